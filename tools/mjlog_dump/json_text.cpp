// JSON numbers, arrays and strings for mjlog-dump's outputs.
#include "mjlog_dump/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/text_conversion.h"

namespace zuvelo::dump {
namespace {

void AppendEscape(std::string& out, unsigned code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04X", code);
  out += buffer;
}

}  // namespace

void AppendInt(std::string& out, long long value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void AppendReal(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const DecodedCharacter next = DecodeUtf8(s.substr(i));
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || !next.well_formed) {
      AppendEscape(out, c);  // a byte that is no UTF-8 is shown as the Latin-1 character
    } else {
      out.append(s.substr(i, next.length));
      i += next.length;
      continue;
    }
    ++i;
  }
  out += '"';
}

void AppendJsonString(std::string& out, const std::u16string& s) {
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const DecodedCharacter next = DecodeUtf16(std::u16string_view(s).substr(i));
    const char32_t c = next.well_formed ? next.code_point : s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || !next.well_formed) {
      AppendEscape(out, c);  // control characters, and lone surrogates that UTF-8 cannot hold
    } else {
      AppendUtf8(out, c);
    }
    i += next.length;
  }
  out += '"';
}

}  // namespace zuvelo::dump
