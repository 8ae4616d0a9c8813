// The analyzer's worker thread: start with attachment, the run's frame, the final-step post,
// the detach, and KillThread. The phases are in analyze_worker_win.cpp.
#include "logana/log_ana_thread_win.h"

#include <mmsystem.h>

#include <utility>

#include "base/trace.h"

namespace zuvelo {
LogAnaThread::LogAnaThread(HWND host, AnalyzerParts parts)
    : hWakeEvent(std::move(parts.wake_event)),
      logInfo(std::move(parts.log_info)),
      players(std::move(parts.players)),
      cache(std::move(parts.cache)),
      hwndHost(host) {}

// Parts go in a fixed order: the cache before the line, the seats last seat first, and the
// options object last of all (script may still be using it).
LogAnaThread::~LogAnaThread() {
  KillThread();
  cache.reset();
  trace("LogAnaThread DESTRUCT\r\n");
  logInfo.reset();
  std::string().swap(logText);
  std::wstring().swap(options.enumPlayer);
  for (auto seat = players.faces.rbegin(); seat != players.faces.rend(); ++seat) seat->reset();
  hWakeEvent.reset();
  callbackTarget.reset();
}

void LogAnaThread::StopThread() {
  trace("StopThread\r\n");
  bStop = true;
}

void LogAnaThread::KillThread() {
  trace("KillThread begin\r\n");
  if (hThread.valid()) {
    bRunning = false;
    ::SetEvent(hWakeEvent.get());
    DWORD code = STILL_ACTIVE;
    const BOOL read = ::GetExitCodeThread(hThread.get(), &code);
    trace("GetExitCodeThread b=%d d=%d/%X\r\n", static_cast<int>(read), static_cast<int>(code),
          static_cast<unsigned>(code));
    ::WaitForSingleObject(hThread.get(), INFINITE);
    hThread.reset();
  }
  trace("KillThread end\r\n");
}

// A download in progress sees bRunning cleared at its next wait slice.
bool LogAnaThread::StopAndWait(DWORD most_ms) {
  if (!hThread.valid()) return true;
  bRunning = false;
  ::SetEvent(hWakeEvent.get());
  return ::WaitForSingleObject(hThread.get(), most_ms) == WAIT_OBJECT_0;
}

void LogAnaThread::WaitForWorker() {
  if (!hThread.valid()) return;
  bRunning = false;
  ::SetEvent(hWakeEvent.get());
  ::WaitForSingleObject(hThread.get(), INFINITE);
}

void LogAnaThread::Detached() {
  attached_ = false;
  SaveProcessCacheChanges();
}

HRESULT LogAnaThread::StartRun() {
  const HWND main = MainWindow();
  attached_ = true;
  ::SendMessageA(main, WM__MAINTHREAD_ATTACH, 0, ToLParam(this));
  bRunning = true;
  bStop = false;
  HANDLE thread = AnalyzeWorkerSeam::Get().fail_thread_start
                      ? nullptr
                      : ::CreateThread(nullptr, 0, &ThreadEntry, this, 0, nullptr);
  if (thread == nullptr) {
    ::SendMessageA(main, WM__MAINTHREAD_DETACH, 0, ToLParam(this));
    return S_FALSE;
  }
  hThread.reset(thread);
  return S_OK;
}

// A run that throws (memory ran out) ends as a failed step would: no final step, and still the
// detach, without which the main window would keep the analyzer for ever.
DWORD WINAPI LogAnaThread::ThreadEntry(void* analyzer) {
  auto* self = static_cast<LogAnaThread*>(analyzer);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  self->pCacheKey = nullptr;
  const HRESULT ran = NoThrow("LogAnaThread", [&] {
    self->RunPhases();
    return S_OK;
  });
  if (FAILED(ran)) self->hrStep = ran;
  self->pCacheKey = nullptr;
  // The last touch: handling the detach may destroy the analyzer.
  const HWND main = self->MainWindow();
  ::PostMessageA(main, WM__MAINTHREAD_DETACH, 0, ToLParam(self));
  return 0;
}

void LogAnaThread::RunStepHook() {
  if (const AnalyzeWorkerHooks hooks = AnalyzeWorkerSeam::Get(); hooks.step) hooks.step();
}

// The frame of a run: a test's stand-in work (if any) first, then the four phases, and the final
// step, posted while someone besides the main window still wants the analyzer.
void LogAnaThread::RunPhases() {
  hrStep = S_OK;
  bEnumLogStep = false;
  bEnumCacheStep = false;
  nTotalTime = 0;
  nRunTime = 0;  // the profile is of this run alone
  const DWORD start = ::timeGetTime();
  status_.Forget();
  if (const AnalyzeWorkerHooks hooks = AnalyzeWorkerSeam::Get(); hooks.work)
    hrStep = hooks.work(*this);
  if (hrStep != S_OK) return;  // a failed step ends the run without its final step

  if (bHasOnEnumCache && cache) EnumCachePhase();
  std::vector<LogListEntry> logs;
  if (bHasOnEnumLog) {
    std::set<std::string> downloads;
    if (!ScanPhase(logs, downloads) || !DownloadPhase(downloads, logs.size())) return;
  }
  if (!ReplayPhase(logs)) return;
  // A stopped run still gets its final step; the main thread joins this thread in it, after
  // nTotalTime below is written.
  if (bRunning && RefCount() > 1 && hrStep == S_OK) {
    ::PostMessageA(MainWindow(), WM__MAINTHREAD_CALL, 0, ToLParam(this));
  }
  nTotalTime = static_cast<std::int32_t>(::timeGetTime() - start);
}

}  // namespace zuvelo
