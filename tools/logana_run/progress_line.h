// The analyzer's status texts as one self-overwriting line on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace zuvelo::run {

class ProgressLine {
 public:
  // The bytes to write for a status text at `now_ms`: "" when the line is not worth redrawing
  // yet. "Analyzing a/b" becomes a bar with the counts; other texts are shown as they are, and
  // "done" and errors end the line.
  [[nodiscard]] std::string Show(std::string_view status, long long now_ms);
  // Ends a line left open, so that later output starts on its own line.
  [[nodiscard]] std::string Finish();

 private:
  std::string Draw(const std::string& text, bool end);

  std::size_t shown_ = 0;  // width of the open line; 0 when none is open
  long long last_ms_ = -1;
};

}  // namespace zuvelo::run
