// Name times and the replay order of the worker's log list.
#include "logana/log_list_win.h"

#include <algorithm>
#include <cstdlib>

namespace zuvelo {
namespace {

constexpr std::string_view kGameMarker = "gm-";
constexpr std::size_t kDateLength = 8;   // yyyymmdd
constexpr std::size_t kHourLength = 10;  // yyyymmddhh

// Every character counts as its digit value, whatever it is, as the name was always read.
WORD Digits(std::string_view text) {
  int value = 0;
  for (const char c : text) value = value * 10 + (static_cast<unsigned char>(c) - '0');
  return static_cast<WORD>(value);
}

}  // namespace

std::uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t NameTimeOf(std::string_view file_name) {
  const std::size_t marker = file_name.find(kGameMarker);
  if (marker == std::string_view::npos || marker < kDateLength) return 0;
  SYSTEMTIME date{};
  date.wYear = Digits(file_name.substr(0, 4));
  date.wMonth = Digits(file_name.substr(4, 2));
  date.wDay = Digits(file_name.substr(6, 2));
  if (marker >= kHourLength) date.wHour = Digits(file_name.substr(8, 2));
  FILETIME time{};
  if (!::SystemTimeToFileTime(&date, &time)) return 0;
  return FileTimeValue(time);
}

void SortLogList(std::vector<LogListEntry>& list, int sort_as) {
  auto key = [](const LogListEntry& e) { return std::pair(e.nameTime, e.createTime); };
  if (sort_as == 0) {
    std::stable_sort(list.begin(), list.end(),
                     [&](const auto& a, const auto& b) { return key(a) < key(b); });
  } else {
    std::stable_sort(list.begin(), list.end(),
                     [&](const auto& a, const auto& b) { return key(b) < key(a); });
  }
}

// The C library's own splitting, which knows the ANSI code page's double-byte characters.
std::string FileNamePart(const std::string& path) {
  char name[_MAX_FNAME] = "";
  if (_splitpath_s(path.c_str(), nullptr, 0, nullptr, 0, name, sizeof name, nullptr, 0) != 0) {
    return {};
  }
  return name;
}

}  // namespace zuvelo
