// Message-box recorder over the program's test hook.
#include "support/message_box_recorder.h"

#include <utility>

#include "base/code_page_win.h"

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

std::wstring ShownText(const MessageBoxCall& box, UINT code_page) {
  return box.wide ? box.wide_text : AnsiToWide(box.text, code_page);
}

std::optional<std::wstring> ShownCaption(const MessageBoxCall& box, UINT code_page) {
  if (box.wide) return box.wide_caption;
  if (!box.caption) return std::nullopt;
  return AnsiToWide(*box.caption, code_page);
}

}  // namespace zuvelo::testing
