// Attribute value readers of the log format.
#include "replay/log_values.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zuvelo::logtext {
namespace {

// Like isspace in the C locale, spelled out so no locale is consulted.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// A decimal number as strtod reads it, without hexadecimal forms. from_chars does not take a
// leading '+', so the sign is handled here.
double ReadReal(const char* p, const char** end) {
  const char* s = SkipBlanks(p);
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  if (!IsDigit(*s) && !(*s == '.' && IsDigit(s[1]))) {
    *end = p;
    return 0.0;
  }
  // The number ends at the first byte that cannot belong to it; that byte exists (at worst the
  // terminating zero), so the range handed to from_chars never passes the text's end.
  const char* last = s;
  while (IsDigit(*last) || *last == '.' || *last == 'e' || *last == 'E' ||
         ((*last == '+' || *last == '-') && (last[-1] == 'e' || last[-1] == 'E')))
    ++last;
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(s, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value untouched; strtod gives infinity on overflow and zero on
    // underflow, which only a negative exponent can cause.
    const char* e = s;
    while (e < last && *e != 'e' && *e != 'E') ++e;
    value = e < last && e[1] == '-' ? 0.0 : HUGE_VAL;
  }
  *end = ptr;
  return negative ? -value : value;
}

}  // namespace

std::int32_t ReadIntSlow(const char* p, const char** end) {
  const char* s = SkipBlanks(p);
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  if (!IsDigit(*s)) {
    if (end) *end = p;
    return 0;
  }
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; IsDigit(*s); ++s)
    if (value <= kLimit) value = value * 10 + (*s - '0');
  if (end) *end = s;
  if (negative)
    return value >= kLimit ? std::numeric_limits<std::int32_t>::min()
                           : static_cast<std::int32_t>(-value);
  return value >= kLimit ? std::numeric_limits<std::int32_t>::max()
                         : static_cast<std::int32_t>(value);
}

void ReadIntList(const char* p, std::vector<std::int32_t>& out) {
  out.clear();
  if (*p == '"') return;
  for (;;) {
    const char* end = p;
    out.push_back(ReadInt(p, &end));
    if (*end != ',') return;
    p = end + 1;
  }
}

void ReadRealList(const char* p, std::vector<double>& out) {
  out.clear();
  if (*p == '"') return;
  for (;;) {
    const char* end = p;
    out.push_back(ReadReal(p, &end));
    if (*end != ',') return;
    p = end + 1;
  }
}

std::int32_t TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace zuvelo::logtext
