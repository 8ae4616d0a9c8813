// Message-box recorder over the program's test hook.
#include "support/message_box_recorder.h"

#include <utility>

namespace zuvelo::testing {

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : answer_(answer), hook_([this](const MessageBoxCall& call) {
        std::lock_guard<std::mutex> hold(lock_);
        boxes_.push_back(call);
        return answer_;
      }) {}

std::vector<MessageBoxCall> MessageBoxRecorder::Take() {
  std::lock_guard<std::mutex> hold(lock_);
  return std::exchange(boxes_, {});
}

}  // namespace zuvelo::testing
