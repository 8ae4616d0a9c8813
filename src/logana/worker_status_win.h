// Status texts from the analyzer's worker to the main window. The worker never waits long for a
// busy main window, yet a message that timed out may still be read later, so each text stays
// alive until a later message is known to have been handled.
#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>

#include "base/seam.h"

namespace zuvelo {

inline constexpr UINT kWorkerStatusTimeoutMs = 1;

class WorkerStatus {
 public:
  // Sends "STATUS" with the text to `main`, waiting at most the status time-out.
  void Send(HWND main, std::string text);
  // At the start of a run: the messages of the last one were handled before its detach.
  void Forget() { texts_.clear(); }

 private:
  std::deque<std::string> texts_;  // a deque never moves what it holds
};

// Test seam: while it lives, statuses wait up to its time-out (ms) for the main window, so that a
// test whose main thread is slow to look at its queue still sees every text.
using WorkerStatusTimeoutSeam = Seam<std::optional<UINT>, struct WorkerStatusTimeoutSeamTag>;
using ScopedWorkerStatusTimeout = WorkerStatusTimeoutSeam::Scope;

}  // namespace zuvelo
