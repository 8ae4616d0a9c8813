// The worker's status texts and their keeping.
#include "logana/worker_status_win.h"

#include <utility>

#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {

void WorkerStatus::Send(HWND main, std::string text) {
  texts_.push_back(std::move(text));
  const auto argument = reinterpret_cast<WPARAM>(texts_.back().c_str());
  // Sent messages are handled in the order sent: an answer means every earlier text was read.
  const UINT timeout_ms = WorkerStatusTimeoutSeam::Get().value_or(kWorkerStatusTimeoutMs);
  if (SendNamedCommandTimeout(main, "STATUS", argument, timeout_ms, nullptr)) {
    texts_.clear();
  }
}

}  // namespace zuvelo
