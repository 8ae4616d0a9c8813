// Records message boxes instead of showing them while it lives.
#pragma once

#include <mutex>
#include <optional>
#include <string>
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

// What a box shows where the ANSI code page is `code_page`: a narrow box reads its bytes in it,
// a wide one shows its own text everywhere.
std::wstring ShownText(const MessageBoxCall& box, UINT code_page);
std::optional<std::wstring> ShownCaption(const MessageBoxCall& box, UINT code_page);

}  // namespace zuvelo::testing
