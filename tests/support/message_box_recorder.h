// Records message boxes instead of showing them, for as long as it lives.
#pragma once

#include <mutex>
#include <vector>

#include "shell/services/message_box_win.h"

namespace zuvelo::testing {

class MessageBoxRecorder {
 public:
  // Every box is answered with `answer`.
  explicit MessageBoxRecorder(int answer = IDOK);

  // The boxes asked for since the last take, in order.
  std::vector<MessageBoxCall> Take();

 private:
  int answer_;
  std::mutex lock_;
  std::vector<MessageBoxCall> boxes_;
  ScopedMessageBoxHook hook_;  // last: it goes first, before what it writes to
};

}  // namespace zuvelo::testing
