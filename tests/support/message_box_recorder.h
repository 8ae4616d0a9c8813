// Records message boxes instead of showing them while it lives.
#pragma once

#include <mutex>
#include <vector>

#include "shell/services/message_box_win.h"

namespace zuvelo::testing {

class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);

  std::vector<MessageBoxCall> Take();

 private:
  int answer_;
  std::mutex lock_;
  std::vector<MessageBoxCall> boxes_;
  ScopedMessageBoxHook hook_;  // last: it goes first, before what it writes to
};

}  // namespace zuvelo::testing
