// Log name rules, shared by the log info object and the analyzer's worker.
#include "logana/log_name.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>

namespace zuvelo {
namespace {

constexpr std::u16string_view kTableSuffix = u"&tw=";

// Through the C library's own wcstol, so whitespace, signs, a "0x" prefix and overflow are
// read exactly as it reads them; a 64-bit long is cut back to the 32 bits the fields have.
std::int32_t ReadNumber(std::u16string_view text, int base) {
  const std::wstring wide(text.begin(), text.end());
  const long value = std::wcstol(wide.c_str(), nullptr, base);
  return static_cast<std::int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

bool HasTableDigit(std::u16string_view name) {
  if (name.size() < kTableSuffix.size() + 1) return false;
  const char16_t digit = name.back();
  return name.substr(name.size() - kTableSuffix.size() - 1, kTableSuffix.size()) == kTableSuffix &&
         digit >= u'0' && digit <= u'3';
}

}  // namespace

bool IsLogNameLength(std::size_t length) {
  switch (length) {
    case 34:
    case 35:
    case 36:
    case 37:
    case 42:
    case 43:
      return true;
    default:
      return false;
  }
}

std::optional<LogNameFields> ParseLogName(std::u16string_view name) {
  if (!IsLogNameLength(name.size()) || !HasTableDigit(name)) return std::nullopt;
  std::size_t field = 0;
  if (name[10] == u'-') {
    field = 11;
  } else if (name[12] == u'-') {
    field = 13;
  } else {
    return std::nullopt;
  }
  return LogNameFields{ReadNumber(name.substr(field), 16), ReadNumber(name.substr(field + 5), 10)};
}

bool SetLogName(LogInfo& info, std::u16string_view name) {
  if (!IsLogNameLength(name.size())) return false;
  info.name.assign(name);
  const std::optional<LogNameFields> fields = ParseLogName(name);
  if (!fields) return false;
  info.gameType = fields->gameType;
  info.lobby = fields->lobby;
  return true;
}

}  // namespace zuvelo
