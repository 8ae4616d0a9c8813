// The JSON text writing shared by mjlog-dump's outputs: numbers, arrays and strings, always
// valid UTF-8 whatever bytes a log holds.
#pragma once

#include <string>
#include <string_view>

namespace zuvelo::dump {

void AppendInt(std::string& out, long long value);

// Shortest text that reads back as the same double; null for NaN and infinities.
void AppendReal(std::string& out, double value);

// JSON text of a string: UTF-8 as it stands, control characters and bytes that are not UTF-8
// escaped, so any message a log can provoke prints as valid JSON.
void AppendJsonString(std::string& out, std::string_view utf8);
void AppendJsonString(std::string& out, const std::u16string& utf16);

// "[a,b,...]" with append(out, value) writing each value.
template <typename Range, typename Append>
void AppendArray(std::string& out, const Range& values, Append append) {
  out += '[';
  bool first = true;
  for (const auto& value : values) {
    if (!first) out += ',';
    first = false;
    append(out, value);
  }
  out += ']';
}

}  // namespace zuvelo::dump
