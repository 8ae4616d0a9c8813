// The worker's status texts and their keeping.
#include "logana/worker_status_win.h"

#include <atomic>
#include <utility>

#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {
namespace {

std::atomic<UINT> status_timeout_ms{kWorkerStatusTimeoutMs};

}  // namespace

void WorkerStatus::Send(HWND main, std::string text) {
  texts_.push_back(std::move(text));
  const auto argument = reinterpret_cast<WPARAM>(texts_.back().c_str());
  // Sent messages are handled in the order sent: an answer means every earlier text was read.
  if (SendNamedCommandTimeout(main, "STATUS", argument, status_timeout_ms, nullptr)) {
    texts_.clear();
  }
}

ScopedWorkerStatusTimeout::ScopedWorkerStatusTimeout(UINT timeout_ms) {
  status_timeout_ms = timeout_ms;
}

ScopedWorkerStatusTimeout::~ScopedWorkerStatusTimeout() {
  status_timeout_ms = kWorkerStatusTimeoutMs;
}

}  // namespace zuvelo
