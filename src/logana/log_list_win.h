// The worker's list of logs to replay: one entry per accepted file, the time its name gives and
// its creation time, and the order in which the logs are replayed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zuvelo {

struct LogListEntry {
  std::string path;              // ANSI, the file's full path
  std::uint64_t nameTime = 0;    // FILETIME from the name; 0 when it gives no valid date
  std::uint64_t createTime = 0;  // FILETIME from the directory entry
};

// From the ANSI file name (extension included): a "gm-" at index 8 or later makes characters
// 0-7 the date, at 10 or later 8-9 the hour too, each character taken as its digit value. 0 when
// there is no such "gm-" or the platform refuses the date.
[[nodiscard]] std::uint64_t NameTimeOf(std::string_view file_name);

[[nodiscard]] std::uint64_t FileTimeValue(const FILETIME& time);

// Stable: entries with equal times keep their discovery order. 0 sorts by (nameTime,
// createTime) ascending, any other value descending.
void SortLogList(std::vector<LogListEntry>& list, int sort_as);

// The file-name part of a path as _splitpath gives it: no folder, nothing from its last ".".
[[nodiscard]] std::string FileNamePart(const std::string& path);

}  // namespace zuvelo
