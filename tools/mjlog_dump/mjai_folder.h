// mjai export of log files: one file to a stream, or a whole log folder to one ".json" file
// per log, each file written whole or not at all.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "mjlog_dump/mjai_export.h"

namespace zuvelo::mjai {

// Reads a log file (gzip or plain) and appends its stream to out. The game type comes from
// the file's name when it is a log name; any other name leaves the red fives on. text is the
// caller's buffer for the file's bytes, so a long run reuses it.
ExportResult ExportFile(LogReplayer& replayer, const std::filesystem::path& file, std::string& text,
                        std::string& out);

struct FolderReport {
  int converted = 0;
  int skipped = 0;
  int unwritten = 0;                   // skipped because an output file could not be written
  std::map<std::string, int> reasons;  // why logs were skipped, with their counts
  std::map<std::string, std::string> firstLog;  // per reason, the first log it was for
  std::string fault;  // the folder could not be read or the output folder made
};

// Converts every file named "*.mjlog" (any case) under folder, at any depth of month folders,
// to outDir/<log name>.json, in path order. Skipped: empty placeholder files, names that are
// not log names or repeat one already converted, three-player games, and logs the replay
// rejects. progress, when not null, gets a progress line a few times a second.
FolderReport ConvertFolder(const std::filesystem::path& folder, const std::filesystem::path& outDir,
                           std::FILE* progress);

}  // namespace zuvelo::mjai
