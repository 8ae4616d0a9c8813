// Message-box recorder over the program's test hook.
#include "support/message_box_recorder.h"

namespace zuvelo::testing {

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : answer_(answer), hook_([this](const MessageBoxCall& call) {
        std::lock_guard<std::mutex> hold(lock_);
        boxes_.push_back(call);
        return answer_;
      }) {}

std::vector<MessageBoxCall> MessageBoxRecorder::Take() {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<MessageBoxCall> taken;
  taken.swap(boxes_);
  return taken;
}

}  // namespace zuvelo::testing
