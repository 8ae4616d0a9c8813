// Log files to mjai streams: reading, naming, the folder walk and whole-file output.
#include "mjlog_dump/mjai_folder.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <vector>

#include "logana/log_name.h"
#include "replay/log_file.h"

namespace zuvelo::mjai {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxDepth = 8;  // a log folder holds month folders; deeper trees are not logs

// The name as UTF-16; a name the platform cannot convert is no log name either.
std::u16string StemOf(const fs::path& file) {
  try {
    return file.stem().u16string();
  } catch (const std::exception&) {
    return {};
  }
}

bool HasLogExtension(const fs::path& file) {
  const auto& name = file.native();
  constexpr std::string_view kExtension = ".mjlog";
  if (name.size() < kExtension.size()) return false;
  const auto tail = name.substr(name.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](auto c, char want) {
    return (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == want;
  });
}

// Writes under a temporary name first, so a crash or a full disk never leaves a cut file
// under the real name.
bool WriteWhole(const fs::path& target, const std::string& bytes) {
  fs::path temp = target;
  temp += ".tmp";
  std::error_code ec;
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (!ec) return true;
  fs::remove(temp, ec);
  return false;
}

std::vector<fs::path> FindLogs(const fs::path& folder, std::string& fault) {
  std::vector<fs::path> logs;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
    std::error_code typeError;
    if (it->is_regular_file(typeError) && HasLogExtension(it->path())) logs.push_back(it->path());
  }
  if (ec) fault = "cannot read the folder: " + ec.message();
  std::sort(logs.begin(), logs.end());
  return logs;
}

class Progress {
 public:
  Progress(std::FILE* out, std::size_t total) : out_(out), total_(total) {}
  ~Progress() {
    if (out_ && shown_) std::fputc('\n', out_);
  }
  void Step(std::size_t done) {
    if (!out_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(250) && done != total_) return;
    last_ = now;
    shown_ = true;
    std::fprintf(out_, "\rmjlog-dump: %zu/%zu logs", done, total_);
    std::fflush(out_);
  }

 private:
  std::FILE* out_;
  std::size_t total_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_;
};

std::string Shown(const fs::path& log) {
  try {
    const std::u8string text = log.generic_u8string();
    return std::string(text.begin(), text.end());
  } catch (const std::exception&) {
    return "?";
  }
}

void Skip(FolderReport& report, const std::string& reason, const fs::path& log) {
  ++report.skipped;
  if (report.reasons[reason]++ == 0) report.firstLog[reason] = Shown(log);
}

}  // namespace

ExportResult ExportFile(LogReplayer& replayer, const fs::path& file, std::string& text,
                        std::string& out) {
  switch (ReadLogFile(file, kMaxLogText, text)) {
    case LogFileStatus::kRead:
      break;
    case LogFileStatus::kCannotRead:
      return {false, "cannot read the file"};
    case LogFileStatus::kTooLarge:
      return {false, "larger than 16 MiB unpacked"};
  }
  LogInfo info;
  info.name = StemOf(file);
  if (const auto fields = ParseLogName(info.name)) {
    info.gameType = fields->gameType;
    info.lobby = fields->lobby;
  }
  return ExportLog(replayer, text.c_str(), info, out);
}

FolderReport ConvertFolder(const fs::path& folder, const fs::path& outDir, std::FILE* progress) {
  FolderReport report;
  const std::vector<fs::path> logs = FindLogs(folder, report.fault);
  if (!report.fault.empty()) return report;
  std::error_code ec;
  fs::create_directories(outDir, ec);
  if (ec) {
    report.fault = "cannot make the output folder: " + ec.message();
    return report;
  }
  LogReplayer replayer;
  std::string text, out;
  std::set<std::u16string> names;
  Progress shown(progress, logs.size());
  for (std::size_t i = 0; i < logs.size(); ++i) {
    shown.Step(i);
    const fs::path& log = logs[i];
    if (fs::file_size(log, ec) == 0 && !ec) {
      Skip(report, "placeholder, not downloaded yet", log);
      continue;
    }
    if (!ParseLogName(StemOf(log))) {
      Skip(report, "not a log name", log);
      continue;
    }
    if (!names.insert(StemOf(log)).second) {
      Skip(report, "the same log name in another folder", log);
      continue;
    }
    out.clear();
    const ExportResult result = ExportFile(replayer, log, text, out);
    if (!result.ok) {
      Skip(report, result.reason, log);
      continue;
    }
    fs::path target = outDir / log.stem();
    target += ".json";
    if (!WriteWhole(target, out)) {
      ++report.unwritten;
      Skip(report, "cannot write the output file", log);
      continue;
    }
    ++report.converted;
  }
  shown.Step(logs.size());
  return report;
}

}  // namespace zuvelo::mjai
