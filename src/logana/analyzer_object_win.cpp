// The analyzer's script members, analyze with its callback and option reading, and the step
// that the main window runs for it.
#include "logana/analyzer_object_win.h"

#include <new>
#include <optional>
#include <utility>

#include "base/trace.h"
#include "base/variant_win.h"
#include "shell/services/mainthread_calls_win.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {
namespace {

// What one analyze reads from its options object.
struct RunSettings {
  com_ptr<IDispatch> target;
  CallbackTable callbacks;
  AnalyzeOptions options;
};

RunSettings ReadRunSettings(IDispatch* options) {
  RunSettings s;
  s.target = com_ptr<IDispatch>::copy_of(options);
  s.callbacks.LookUp(options);
  s.options = AnalyzeOptions::Read(options);
  return s;
}

std::optional<AnalyzerParts> MakeParts(HWND host) {
  AnalyzerParts parts;
  parts.wake_event.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!parts.wake_event) return std::nullopt;
  std::optional<PlayerSeats> seats = PlayerSeats::Create(host);
  if (!seats) return std::nullopt;
  parts.players = std::move(*seats);
  parts.log_info = IDispatchLogInfoImpl::Create();
  if (!parts.log_info) return std::nullopt;
  parts.cache = IDispatchCacheImpl::Create();
  if (!parts.cache) return std::nullopt;
  return parts;
}

}  // namespace

std::span<const Member<IDispatchLogAnaImpl>> IDispatchLogAnaImpl::Members() {
  using A = IDispatchLogAnaImpl;
  static constexpr Member<A> members[] = {
      {L"analyze", 101, MemberKind::kMethod, &A::Analyze},
      {L"stop", 102, MemberKind::kMethod, &A::Stop},
      {L"nTotal", 103, MemberKind::kProperty, &A::Total},
      {L"nProgress", 104, MemberKind::kProperty, &A::Progress},
      {L"cache", 105, MemberKind::kProperty, &A::Cache},
      {L"global", 106, MemberKind::kProperty, &A::GetGlobal, &A::PutGlobal},
  };
  return members;
}

com_ptr<IDispatchLogAnaImpl> IDispatchLogAnaImpl::Create(HWND host) {
  std::optional<AnalyzerParts> parts = MakeParts(host);
  if (!parts) return {};
  return com_ptr<IDispatchLogAnaImpl>(new (std::nothrow)
                                          IDispatchLogAnaImpl(host, std::move(*parts)));
}

IDispatchLogAnaImpl::IDispatchLogAnaImpl(HWND host, AnalyzerParts parts)
    : LogAnaThread(host, std::move(parts)) {
  trace("IDispatchLogAnaImpl CONSTRUCT\r\n");
}

IDispatchLogAnaImpl::~IDispatchLogAnaImpl() {
  WaitForWorker();
  global.reset();
  trace("IDispatchLogAnaImpl DESTRUCT\r\n");
}

STDMETHODIMP IDispatchLogAnaImpl::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                         UINT* arg_error) {
  constexpr WORD kReadOrCall = DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT;
  if (!(flags & kReadOrCall)) return DISP_E_MEMBERNOTFOUND;
  return AutomationObject::Invoke(id, riid, lcid, flags, params, result, exception, arg_error);
}

// Options and callbacks are read, and OnAnalyzeBegin called, before the worker check; they
// replace the analyzer's own only when the analyzer is free, so a running run keeps the table
// and target it started with.
HRESULT IDispatchLogAnaImpl::Analyze(const Invocation& call) {
  const VARIANT* last = call.stored(0);
  if (!IsType(last, VT_DISPATCH)) return E_INVALIDARG;
  if (V_DISPATCH(last) == nullptr) return E_POINTER;
  // Script code runs below (the getters, OnAnalyzeBegin) and may drop its last reference.
  const com_ptr<IDispatchLogAnaImpl> keep = com_ptr<IDispatchLogAnaImpl>::copy_of(this);
  RunSettings next = ReadRunSettings(V_DISPATCH(last));
  const HRESULT begin =
      next.callbacks.Call(Callback::kOnAnalyzeBegin, next.target.get(), {}, nullptr);
  const bool busy = thread_recorded() || attached();
  if (!busy) {
    callbackTarget = std::move(next.target);
    callbacks = next.callbacks;
    options = std::move(next.options);
    bHasOnEnumLog = callbacks.has(Callback::kOnEnumLog);
    bHasOnEnumCache = callbacks.has(Callback::kOnEnumCache);
  }
  if (begin != S_OK) return begin;
  if (busy) {
    ShowMessageBox(hwndHost, "THREAD IS NOT EMPTY", nullptr, MB_ICONERROR);
    return kThreadNotEmpty;
  }
  return StartRun();
}

HRESULT IDispatchLogAnaImpl::Stop(const Invocation&) {
  StopThread();
  return S_OK;
}

HRESULT IDispatchLogAnaImpl::Total(const Invocation& call) {
  variant_i4(nTotal).release_to(call.result());
  return S_OK;
}

HRESULT IDispatchLogAnaImpl::Progress(const Invocation& call) {
  variant_i4(nProgress).release_to(call.result());
  return S_OK;
}

HRESULT IDispatchLogAnaImpl::Cache(const Invocation& call) {
  variant_dispatch(cache.get()).release_to(call.result());
  return S_OK;
}

HRESULT IDispatchLogAnaImpl::GetGlobal(const Invocation& call) {
  variant_dispatch(global.get()).release_to(call.result());
  return S_OK;
}

HRESULT IDispatchLogAnaImpl::PutGlobal(const Invocation& call) {
  if (call.count() != 1 || !IsType(call.arg(0), VT_DISPATCH)) return DISP_E_MEMBERNOTFOUND;
  global = com_ptr<IDispatch>::copy_of(V_DISPATCH(call.arg(0)));
  return S_OK;
}

// The ended run's detach is still queued behind this step: an analyze from OnAnalyzeEnd is
// refused as busy, where attaching again would end the program.
void IDispatchLogAnaImpl::FinalStep() {
  SendNamedCommand(MainWindow(), "STATUS", reinterpret_cast<WPARAM>("done"));
  StopThread();
  KillThread();
  const com_ptr<IDispatch> target = com_ptr<IDispatch>::copy_of(callbackTarget.get());
  hrStep = callbacks.Call(Callback::kOnAnalyzeEnd, target.get(), {}, nullptr);
  callbacks.TraceProfile(nTotalTime, nRunTime);
}

}  // namespace zuvelo
