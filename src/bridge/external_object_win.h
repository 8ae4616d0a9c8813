// IDispatchBrowserExternalImpl: the page's window.external, the only door from page script
// into native code. Answers the two hand calculators at once, turns game-start and pop-up
// requests into named commands for the main window, and creates the analyzer and file writer.
#pragma once

#include <span>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"

namespace zuvelo {

class IDispatchBrowserExternalImpl final : public AutomationObject<IDispatchBrowserExternalImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      "IDispatchBrowserExternalImpl Construct\r\n",
      "IDispatchBrowserExternalImpl Destruct\r\n",
      "IDispatchBrowserExternalImpl GetIDsOfNames UNKNOWN %s\r\n",
      nullptr,  // unknown numbers fail quietly
  };
  static std::span<const Member<IDispatchBrowserExternalImpl>> Members();

  // Bound to the browser host window: commands go to its parent, created objects get it.
  // Null when memory runs out.
  [[nodiscard]] static com_ptr<IDispatchBrowserExternalImpl> Create(HWND host);

  HRESULT MjCommand(const Invocation& call);
  HRESULT CalcSyanten14(const Invocation& call);
  HRESULT CalcSyanten34(const Invocation& call);
  HRESULT StartGame(const Invocation& call);
  HRESULT TrayPopup(const Invocation& call);

 private:
  explicit IDispatchBrowserExternalImpl(HWND host) noexcept : host_(host) {}
  ~IDispatchBrowserExternalImpl() override = default;

  HRESULT SendRequest(const Invocation& call, const char* trace_format, const char* command);

  const HWND host_;
};

}  // namespace zuvelo
