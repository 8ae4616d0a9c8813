// mjlog-dump: replays game log files (gzip or plain) and prints every event as a JSON line, or
// with --summary one line per log; with --mjai it exports logs as mjai event streams. See the
// README for the formats.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "base/text_conversion.h"
#include "mjlog_dump/json_dump.h"
#include "mjlog_dump/mjai_folder.h"
#include "replay/log_file.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: mjlog-dump [--summary] FILE.mjlog...\n"
    "       mjlog-dump --mjai FILE.mjlog\n"
    "       mjlog-dump --mjai --out DIR FOLDER\n";
constexpr int kShownReasons = 20;

// The log's name as the analyzer would have it: the file name without folder and extension.
std::u16string LogName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return zuvelo::Utf8ToUtf16(name);
}

int DumpFiles(const std::vector<std::string>& files, bool summary) {
  zuvelo::LogReplayer replayer;
  std::string text, out;
  int status = 0;
  for (const std::string& file : files) {
    if (!zuvelo::ReadLogFile(file.c_str(), text)) {
      std::fprintf(stderr, "mjlog-dump: cannot read %s\n", file.c_str());
      status = 1;
      continue;
    }
    zuvelo::LogInfo info;
    info.name = LogName(file);
    out.clear();
    const int result = summary ? zuvelo::dump::DumpSummary(replayer, text.c_str(), info, file, out)
                               : zuvelo::dump::DumpEvents(replayer, text.c_str(), info, out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (result != 0) status = 1;
  }
  return status;
}

// The stream goes out only whole: a log that fails writes nothing to standard output.
int ExportOne(const std::string& file) {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the lines end in LF on every platform
#endif
  zuvelo::LogReplayer replayer;
  std::string text, out;
  const zuvelo::mjai::ExportResult result =
      zuvelo::mjai::ExportFile(replayer, fs::path(file), text, out);
  if (!result.ok) {
    std::fprintf(stderr, "mjlog-dump: %s: %s\n", file.c_str(), result.reason.c_str());
    if (result.reason == zuvelo::mjai::kThreePlayers) {
      std::fprintf(stderr, "mjlog-dump: the mjai stream has four seats; nothing written\n");
      return 2;
    }
    return 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int ExportFolder(const std::string& folder, const std::string& outDir) {
  const zuvelo::mjai::FolderReport report =
      zuvelo::mjai::ConvertFolder(fs::path(folder), fs::path(outDir), stderr);
  if (!report.fault.empty()) {
    std::fprintf(stderr, "mjlog-dump: %s: %s\n", folder.c_str(), report.fault.c_str());
    return 1;
  }
  std::fprintf(stderr, "mjlog-dump: %d logs converted into %s, %d skipped\n", report.converted,
               outDir.c_str(), report.skipped);
  int shown = 0;
  for (const auto& [reason, count] : report.reasons) {
    if (++shown > kShownReasons) {
      std::fprintf(stderr, "  ... and %d more reasons\n",
                   static_cast<int>(report.reasons.size()) - kShownReasons);
      break;
    }
    std::fprintf(stderr, "  %d %s (first: %s)\n", count, reason.c_str(),
                 report.firstLog.at(reason).c_str());
  }
  return report.unwritten == 0 ? 0 : 1;
}

int Run(int argc, char** argv) {
  bool summary = false, mjai = false;
  std::string outDir;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--summary") {
      summary = true;
    } else if (arg == "--mjai") {
      mjai = true;
    } else if (arg == "--out" && i + 1 < argc && argv[i + 1][0] != '\0') {
      outDir = argv[++i];
    } else if (arg.rfind("--", 0) == 0) {
      files.clear();  // an unknown option is a usage error
      break;
    } else {
      files.push_back(arg);
    }
  }
  const bool usable = mjai ? !summary && files.size() == 1 : outDir.empty() && !files.empty();
  if (!usable) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!mjai) return DumpFiles(files, summary);
  return outDir.empty() ? ExportOne(files[0]) : ExportFolder(files[0], outDir);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, or a path the platform cannot convert
    std::fprintf(stderr, "mjlog-dump: %s\n", e.what());
    return 1;
  }
}
