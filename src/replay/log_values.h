// Readers of the log's attribute value encodings (integer, int list, real list, digit) and
// the byte-word helpers that name attributes and elements. Every reader stops at the text's
// terminating zero, so none can run past it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zuvelo::logtext {

// The bytes of a name as one word, first byte lowest, so "yaku" compares as one integer.
[[nodiscard]] constexpr std::uint32_t Word4(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24;
}
[[nodiscard]] constexpr std::uint16_t Word2(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                    static_cast<unsigned char>(p[1]) << 8);
}

[[nodiscard]] constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The general case of ReadInt: white space, sign, long digit runs.
std::int32_t ReadIntSlow(const char* p, const char** end);

// Leading decimal integer: optional white space and sign, then digits; no digits gives 0 and
// leaves *end at p. Saturates at the 32-bit limits, as strtol does where long is 32 bits.
// Inline because nearly every value of a log is a short plain number.
inline std::int32_t ReadInt(const char* p, const char** end = nullptr) {
  std::uint32_t value = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
  if (value < 10) {
    for (int i = 1; i < 9; ++i) {
      const std::uint32_t digit = static_cast<unsigned char>(p[i]) - static_cast<unsigned>('0');
      if (digit >= 10) {
        if (end) *end = p + i;
        return static_cast<std::int32_t>(value);
      }
      value = value * 10 + digit;
    }
  }
  return ReadIntSlow(p, end);
}

// The "digit" encoding: the character minus '0', whatever the character.
[[nodiscard]] inline int ReadDigit(const char* p) { return *p - '0'; }

// Comma-separated lists starting right after the opening quote; the list is emptied first.
void ReadIntList(const char* p, std::vector<std::int32_t>& out);
void ReadRealList(const char* p, std::vector<double>& out);

// Truncation toward zero that is defined for every double (NaN gives 0, out-of-range values
// saturate), for score and rate values shown as integers.
[[nodiscard]] std::int32_t TruncateToInt(double value);

}  // namespace zuvelo::logtext
