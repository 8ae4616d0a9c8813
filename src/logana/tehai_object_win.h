// IDispatchTehaiImpl: the script face of one player's hand record. Besides its named members
// it answers to the slot names "0" .. "13" (any run of decimal digits is read as a number, the
// empty name as 0), so script reads a slot as it reads an array element.
//
// A hand asks its host window for the page's script object as it is made, and builds its
// script arrays ("machi", "toArray") with that object's Array constructor.
#pragma once

#include <memory>
#include <span>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"
#include "hand/tehai.h"

namespace zuvelo {

class IDispatchTehaiImpl final : public AutomationObject<IDispatchTehaiImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      "IDispatchTehaiImpl DESTRUCT\r\n",
      "IDispatchTehaiImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchTehaiImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static constexpr DISPID kFirstSlot = 200;
  static std::span<const Member<IDispatchTehaiImpl>> Members();

  // Sends "GETSCRIPT" to `host` and keeps the answer. Without one it shows "GETSCRIPT FAILED"
  // (owner `host`, error icon) and gives null; the object made for the attempt is released.
  [[nodiscard]] static com_ptr<IDispatchTehaiImpl> Create(std::shared_ptr<Tehai> record, HWND host);

  [[nodiscard]] Tehai& record() { return *record_; }

  // Digit names first; the rest as in the member table.
  HRESULT LookupName(const wchar_t* name, DISPID* id);

  HRESULT Length(const Invocation& call);
  HRESULT Sort(const Invocation& call);
  HRESULT Syanten(const Invocation& call);
  HRESULT Machi(const Invocation& call);
  HRESULT MachiCount(const Invocation& call);
  HRESULT Furiten(const Invocation& call);
  HRESULT ToArray(const Invocation& call);
  HRESULT Slot(const Invocation& call);

 private:
  explicit IDispatchTehaiImpl(std::shared_ptr<Tehai> record) : record_(std::move(record)) {}
  ~IDispatchTehaiImpl() override = default;

  std::shared_ptr<Tehai> record_;  // shared with the player record it belongs to
  com_ptr<IDispatch> script_;      // the page's global script object
};

}  // namespace zuvelo
