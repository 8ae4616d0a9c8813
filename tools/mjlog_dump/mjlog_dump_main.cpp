// mjlog-dump: replays game log files (gzip or plain) and prints every event as a JSON line, or
// with --summary one line per log. See the README for the format.
#include <cstdio>
#include <string>
#include <vector>

#include "mjlog_dump/json_dump.h"
#include "replay/log_file.h"

namespace {

// The log's name as the analyzer would have it: the file name without folder and extension.
std::u16string LogName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return std::u16string(name.begin(), name.end());
}

}  // namespace

int main(int argc, char** argv) {
  bool summary = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--summary")
      summary = true;
    else
      files.push_back(arg);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: mjlog-dump [--summary] FILE.mjlog...\n");
    return 2;
  }
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
