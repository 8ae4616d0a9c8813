// LogAnaThread: the part of the analyzer that owns its worker thread and the state the worker
// shares with the main thread; IDispatchLogAnaImpl adds the script face on top.
//
// A run is attached to the main window (which then holds a reference) before its thread
// starts, and the thread detaches it as its last act, so an analyzer that the page lets go
// of mid-run lives until its worker is done. Fields keep the names the rest of the analyzer
// and its worker use; the few that both threads touch without a hand-over are atomic.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/com_ptr_win.h"
#include "base/handle_win.h"
#include "base/seam.h"
#include "bridge/automation/script_object.h"
#include "logana/analyze_options_win.h"
#include "logana/analyzer_callbacks_win.h"
#include "logana/cache_object_win.h"
#include "logana/log_info_object_win.h"
#include "logana/log_list_win.h"
#include "logana/player_object_win.h"
#include "logana/worker_status_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {

// The objects an analyzer is made with, in the order they are made.
struct AnalyzerParts {
  unique_kernel_handle wake_event;
  PlayerSeats players;
  com_ptr<IDispatchLogInfoImpl> log_info;
  com_ptr<IDispatchCacheImpl> cache;
};

class LogAnaThread : public AttachableObject {
 public:
  LogAnaThread(const LogAnaThread&) = delete;
  LogAnaThread& operator=(const LogAnaThread&) = delete;

  // Runs KillThread first.
  virtual ~LogAnaThread();
  // The script face's reference count; the main window's attachment is one of them.
  [[nodiscard]] virtual LONG RefCount() const = 0;

  // The run state: idle (no thread, not running, stop set), running, stopping (stop set while
  // a thread is recorded), or spent (a thread recorded that ended without its final step).
  [[nodiscard]] bool thread_recorded() const { return hThread.valid(); }
  // From the attach of a run until the main window has handled its detach, which comes after
  // the final step has forgotten the thread. Main thread only.
  [[nodiscard]] bool attached() const { return attached_; }
  [[nodiscard]] bool running() const { return bRunning; }
  [[nodiscard]] bool stop_requested() const { return bStop; }

  // Asks the run to end at the worker's next loop test; does not wait.
  void StopThread();
  // Lets a worker waiting on a step go, waits for its thread to end and forgets it.
  void KillThread();
  // At the end of the program: ends the run as KillThread does, but waits at most `most_ms`.
  bool StopAndWait(DWORD most_ms) override;
  // The run is over: the cache it changed is saved now, not only at exit.
  void Detached() override;

 protected:
  LogAnaThread(HWND host, AnalyzerParts parts);

  // Attaches to the main window and starts the worker; undoes the attachment when the thread
  // cannot be started (S_FALSE).
  HRESULT StartRun();
  // Waits for a recorded worker without forgetting it or tracing: the script face calls it
  // before it goes, so that no worker ever sees a half-destroyed analyzer.
  void WaitForWorker();
  [[nodiscard]] HWND MainWindow() const { return ::GetParent(hwndHost); }
  // One main-thread step behind the exception boundary, after a test's step hook.
  template <class Step>
  static HRESULT Guarded(Step&& step) noexcept {
    return NoThrow("MainThreadStep", [&] {
      RunStepHook();
      return step();
    });
  }

  unique_kernel_handle hWakeEvent;
  com_ptr<IDispatchLogInfoImpl> logInfo;
  PlayerSeats players;
  HRESULT hrStep = S_OK;
  bool bHasOnEnumLog = false;
  bool bHasOnEnumCache = false;
  bool bEnumLogStep = false;
  bool bEnumCacheStep = false;
  bool bAccepted = false;
  std::atomic<std::int32_t> nTotal{0};     // read by script while the worker writes
  std::atomic<std::int32_t> nProgress{0};  // likewise
  AnalyzeOptions options;
  std::string logText;
  // The log info of the next offer or replay, made by the worker; the step puts it into
  // logInfo, which script may read at any time on the main thread.
  LogInfo stepLogInfo;
  const wchar_t* pCacheKey = nullptr;
  std::int32_t nTotalTime = 0;
  std::int32_t nRunTime = 0;
  com_ptr<IDispatchCacheImpl> cache;
  unique_file_handle hThread;  // INVALID_HANDLE_VALUE: none
  const HWND hwndHost;
  std::atomic<bool> bRunning{false};
  std::atomic<bool> bStop{true};
  CallbackTable callbacks;
  com_ptr<IDispatch> callbackTarget;

 private:
  static DWORD WINAPI ThreadEntry(void* analyzer);
  static void RunStepHook();
  void RunPhases();

  // The four phases (analyze_worker_win.cpp). Those that return false ended the run.
  void EnumCachePhase();
  [[nodiscard]] std::vector<std::u16string> OfferedCacheKeys();
  bool ScanPhase(std::vector<LogListEntry>& logs, std::set<std::string>& downloads);
  bool ScanFolder(const std::string& folder, std::set<std::string>& pending,
                  std::vector<LogListEntry>& logs, std::set<std::string>& downloads);
  bool OfferLogFile(const std::string& folder, const WIN32_FIND_DATAA& entry,
                    std::vector<LogListEntry>& logs, std::set<std::string>& downloads);
  bool DownloadPhase(std::set<std::string>& downloads, std::size_t listed);
  bool ReplayPhase(std::vector<LogListEntry>& logs);
  bool ReadForReplay(const LogListEntry& entry);

  // Someone besides the main window's attachment still wants the run, and it was not stopped.
  [[nodiscard]] bool RunWanted() const;
  // Hands the step to the main thread and waits for it to end.
  void RunStep();
  void SendStatus(std::string text);
  // Shown only while the run is wanted.
  void ShowWorkerBox(const std::string& text);
  void ShowWorkerBox(const std::wstring& text);

  WorkerStatus status_;
  bool attached_ = false;
};

// Test seams, installed for as long as the scope lives: `work` runs on the worker
// before the phases, its result becoming the run's hrStep, so a test can hold a run or end it
// as a failed step would; `fail_thread_start` makes the thread start fail; `step` runs on the
// main thread at the start of every step, which fails with what it throws.
struct AnalyzeWorkerHooks {
  std::function<HRESULT(LogAnaThread&)> work;
  bool fail_thread_start = false;
  std::function<void()> step = nullptr;
};

using AnalyzeWorkerSeam = Seam<AnalyzeWorkerHooks, struct AnalyzeWorkerSeamTag>;
using ScopedAnalyzeWorkerHooks = AnalyzeWorkerSeam::Scope;

}  // namespace zuvelo
