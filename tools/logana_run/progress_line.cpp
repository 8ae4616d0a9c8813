// Formatting the progress line: bar, counts, padding over the previous text.
#include "progress_line.h"

#include <cstdio>

namespace zuvelo::run {
namespace {

constexpr int kBarWidth = 30;
constexpr long long kRedrawMs = 100;  // thousands of logs must not mean thousands of redraws
constexpr std::size_t kMaxText = 79;

bool ReadCounts(std::string_view status, int& done, int& total) {
  constexpr std::string_view kAnalyzing = "Analyzing ";
  if (status.substr(0, kAnalyzing.size()) != kAnalyzing) return false;
  const std::string rest(status.substr(kAnalyzing.size()));
  char end = 0;
  return std::sscanf(rest.c_str(), "%d/%d%c", &done, &total, &end) == 2 && total > 0 && done >= 0 &&
         done <= total;
}

std::string Bar(int done, int total) {
  const int filled = static_cast<int>(static_cast<long long>(done) * kBarWidth / total);
  std::string bar(1, '[');
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  bar += "] ";
  char counts[48];
  std::snprintf(counts, sizeof counts, "%d/%d logs (%d%%)", done, total,
                static_cast<int>(static_cast<long long>(done) * 100 / total));
  bar += counts;
  return bar;
}

}  // namespace

std::string ProgressLine::Show(std::string_view status, long long now_ms) {
  int done = 0, total = 0;
  if (ReadCounts(status, done, total)) {
    const bool edge = done == 0 || done + 1 >= total;
    if (!edge && last_ms_ >= 0 && now_ms - last_ms_ < kRedrawMs) return {};
    last_ms_ = now_ms;
    return Draw(Bar(done, total), false);
  }
  const bool end = status == "done" || status.substr(0, 6) == "ERROR(";
  return Draw(std::string(status.substr(0, kMaxText)), end);
}

std::string ProgressLine::Finish() {
  if (shown_ == 0) return {};
  shown_ = 0;
  return "\n";
}

std::string ProgressLine::Draw(const std::string& text, bool end) {
  std::string out(1, '\r');
  out += text;
  if (text.size() < shown_) out.append(shown_ - text.size(), ' ');
  shown_ = text.size();
  if (end) {
    out += "\n";
    shown_ = 0;
  }
  return out;
}

}  // namespace zuvelo::run
