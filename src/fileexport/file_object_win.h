// IDispatchFileImpl: lets page script save text to a .txt or .html file that the user picks in
// the save dialog. One file at a time; text is written in a narrow code page, the system's
// ANSI one unless the creator says otherwise.
#pragma once

#include <span>

#include "base/com_ptr_win.h"
#include "base/handle_win.h"
#include "bridge/automation/automation_object.h"

namespace zuvelo {

class IDispatchFileImpl final : public AutomationObject<IDispatchFileImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kHandOutEverything,
      DISP_E_UNKNOWNNAME,
      "IDispatchFileImpl CONSTRUCT\r\n",
      "IDispatchFileImpl DESTRUCT\r\n",
      "IDispatchFileImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchFileImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchFileImpl>> Members();

  // `owner` owns the dialog and message boxes. Null when memory runs out.
  [[nodiscard]] static com_ptr<IDispatchFileImpl> Create(HWND owner, UINT code_page = CP_ACP);

  HRESULT Open(const Invocation& call);   // open(mode, extension[, title]): VT_BOOL
  HRESULT Close(const Invocation& call);  // close()
  HRESULT Write(const Invocation& call);  // write(text)

  [[nodiscard]] bool is_open() const { return file_.valid(); }

 private:
  IDispatchFileImpl(HWND owner, UINT code_page) noexcept : owner_(owner), code_page_(code_page) {}
  ~IDispatchFileImpl() override = default;  // the file closes before the destruction line

  HWND owner_;
  UINT code_page_;
  unique_file_handle file_;
};

}  // namespace zuvelo
