// The analyzer's main-thread step: one OnEnumLog or OnEnumCache call, one log's replay, or the
// final step, chosen by what the worker set before it posted the step.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>

#include "base/code_page_win.h"
#include "base/variant_win.h"
#include "logana/analyzer_object_win.h"
#include "logana/replay_callbacks_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {
namespace {

// OnEnumLog accepts with true or a non-zero integer; anything else it answers rejects.
bool IsAcceptance(const VARIANT* answer) {
  return (V_VT(answer) == VT_BOOL && V_BOOL(answer) == VARIANT_TRUE) ||
         (V_VT(answer) == VT_I4 && V_I4(answer) != 0);
}

void SendStatusText(HWND main, const char* text) {
  SendNamedCommand(main, "STATUS", reinterpret_cast<WPARAM>(text));
}

}  // namespace

void IDispatchLogAnaImpl::MainThreadStep() {
  // The step calls script, which may drop references the step still needs.
  const com_ptr<IDispatchLogAnaImpl> keep = com_ptr<IDispatchLogAnaImpl>::copy_of(this);
  // What a step throws is its failure: the worker waiting for it must wake whatever happened.
  const char* error = nullptr;
  if (bEnumLogStep) {
    hrStep = Guarded([&] { return EnumLogStep(); });
    error = "ERROR(1) hr=%X %s";
  } else if (bEnumCacheStep) {
    hrStep = Guarded([&] { return EnumCacheStep(); });
    error = "ERROR(2) hr=%X %s";
  } else if (nProgress >= nTotal) {
    static_cast<void>(Guarded([&] {
      FinalStep();
      return S_OK;
    }));
    return;
  } else {
    hrStep = Guarded([&] { return ReplayStep(); });
    error = "ERROR(3) hr=%X %s";
  }
  // Made before the worker wakes: it may refill its log info and reset hrStep at once. The
  // name is the step's own, which a step that failed early has not shown script yet.
  const bool failed = hrStep != S_OK;
  char status[1024] = "";
  if (failed) {
    static_cast<void>(NoThrow("MainThreadStep", [&] {
      const LogInfo& info = bEnumCacheStep ? logInfo->record() : stepLogInfo;
      std::snprintf(status, sizeof status, error, static_cast<unsigned>(hrStep),
                    WideToAnsi(info.name).c_str());
      return S_OK;
    }));
  }
  ::SetEvent(hWakeEvent.get());
  if (failed) SendStatusText(MainWindow(), status);
}

HRESULT IDispatchLogAnaImpl::EnumLogStep() {
  logInfo->record() = stepLogInfo;
  CallArgs args(1);
  args.SetObject(0, logInfo.get());
  unique_variant answer;
  V_VT(answer.get()) = VT_ERROR;  // "missing": the callback gave no answer at all
  V_ERROR(answer.get()) = DISP_E_PARAMNOTFOUND;
  const HRESULT hr =
      callbacks.Call(Callback::kOnEnumLog, callbackTarget.get(), args.stored(), answer.get());
  if (answer.type() != VT_ERROR) bAccepted = IsAcceptance(answer.get());
  return hr;
}

// A key that is a valid log name comes with the log info filled from it.
HRESULT IDispatchLogAnaImpl::EnumCacheStep() {
  const std::u16string_view key(reinterpret_cast<const char16_t*>(pCacheKey));
  const bool is_log_name = logInfo->SetLogName(key);
  CallArgs args(is_log_name ? 2 : 1);
  args.SetText(0, key);
  if (is_log_name) args.SetObject(1, logInfo.get());
  return callbacks.Call(Callback::kOnEnumCache, callbackTarget.get(), args.stored(), nullptr);
}

HRESULT IDispatchLogAnaImpl::ReplayStep() {
  char status[64];
  std::snprintf(status, sizeof status, "Analyzing %d/%d", static_cast<int>(nProgress),
                static_cast<int>(nTotal));
  SendStatusText(MainWindow(), status);
  logInfo->record() = stepLogInfo;
  const DWORD start = ::timeGetTime();
  ScriptReplayEvents events(callbacks, callbackTarget.get(), logInfo.get(), players);
  MessageBoxReplayReporter reporter;
  const int result =
      replayer_.Replay(logText.c_str(), logInfo->record(), *players.records, events, reporter);
  nRunTime += static_cast<std::int32_t>(::timeGetTime() - start);
  return static_cast<HRESULT>(result);
}

}  // namespace zuvelo
