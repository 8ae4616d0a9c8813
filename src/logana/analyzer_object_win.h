// IDispatchLogAnaImpl: the log analyzer that a page gets from window.external. Script hands
// analyze an options object with callbacks and filters; the run goes on in the worker of
// LogAnaThread and reports back on the main thread. Besides analyze and stop, script sees the
// progress, the analysis cache and a free object slot, `global`.
#pragma once

#include <span>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"
#include "logana/log_ana_thread_win.h"
#include "replay/replay_log.h"

namespace zuvelo {

class IDispatchLogAnaImpl final : public AutomationObject<IDispatchLogAnaImpl>,
                                  public LogAnaThread {
 public:
  // Construction and destruction write their own lines, in their places among the parts'.
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      nullptr,
      "IDispatchLogAnaImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchLogAnaImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchLogAnaImpl>> Members();

  // The failure of an analyze that finds a worker thread still recorded.
  static constexpr HRESULT kThreadNotEmpty = HRESULT_FROM_WIN32(ERROR_BUSY);

  // Each hand asks `host` for the page's script object; null when that fails (a box has been
  // shown) or memory runs out.
  [[nodiscard]] static com_ptr<IDispatchLogAnaImpl> Create(HWND host);

  // One count for the script face and the main window's attachment.
  STDMETHODIMP_(ULONG) AddRef() override { return AutomationObject::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return AutomationObject::Release(); }
  // A write by reference alone is not a write of `global`.
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

  void MainThreadStep() override;
  [[nodiscard]] LONG RefCount() const override { return ref_count(); }

  HRESULT Analyze(const Invocation& call);
  HRESULT Stop(const Invocation& call);
  HRESULT Total(const Invocation& call);
  HRESULT Progress(const Invocation& call);
  HRESULT Cache(const Invocation& call);
  HRESULT GetGlobal(const Invocation& call);
  HRESULT PutGlobal(const Invocation& call);

 private:
  IDispatchLogAnaImpl(HWND host, AnalyzerParts parts);
  ~IDispatchLogAnaImpl() override;

  // The main-thread steps (analyzer_steps_win.cpp); each gives the step's result.
  HRESULT EnumLogStep();
  HRESULT EnumCacheStep();
  HRESULT ReplayStep();
  void FinalStep();

  com_ptr<IDispatch> global;
  LogReplayer replayer_;  // its lists serve log after log
};

}  // namespace zuvelo
