// UTF-8 and UTF-16 by the well-formed byte sequences of the Unicode standard, not by bit
// patterns alone: a lead byte also fixes the range of the byte after it, which is what refuses
// overlong forms, encoded surrogates and values above U+10FFFF.
#include "base/text_conversion.h"

namespace zuvelo {
namespace {

constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

constexpr DecodedCharacter IllFormed(std::size_t length) {
  return {kReplacementCharacter, length, false};
}

bool IsSurrogate(char32_t c) { return c >= kSurrogateFirst && c < kSurrogateEnd; }

}  // namespace

DecodedCharacter DecodeUtf8(std::string_view text) {
  if (text.empty()) return IllFormed(0);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // below: overlong
    if (lead == 0xED) high = 0x9F;  // above: a surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // below: overlong
    if (lead == 0xF4) high = 0x8F;  // above: past U+10FFFF
  } else {
    return IllFormed(1);
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= text.size() || byte(i) < low || byte(i) > high) return IllFormed(i);
    value = value << 6 | (byte(i) & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {value, length, true};
}

DecodedCharacter DecodeUtf16(std::u16string_view text) {
  if (text.empty()) return IllFormed(0);
  const char32_t unit = text[0];
  if (!IsSurrogate(unit)) return {unit, 1, true};
  if (unit < kLowSurrogateFirst && text.size() > 1 && text[1] >= kLowSurrogateFirst &&
      text[1] < kSurrogateEnd) {
    return {0x10000 + ((unit - kSurrogateFirst) << 10) + (text[1] - kLowSurrogateFirst), 2, true};
  }
  return IllFormed(1);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (IsSurrogate(c) || c > kLastCodePoint) c = kReplacementCharacter;
  const auto put = [&](char32_t bits) { out.push_back(static_cast<char>(bits)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | c >> 6);
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (IsSurrogate(c) || c > kLastCodePoint) c = kReplacementCharacter;
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(kSurrogateFirst + (c >> 10)));
    out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (c & 0x3FF)));
  }
}

namespace {

template <typename Out, typename In>
Out Transcode(In text, DecodedCharacter (*decode)(In), void (*append)(Out&, char32_t)) {
  Out out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const DecodedCharacter next = decode(text.substr(i));
    append(out, next.code_point);
    i += next.length;
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  return Transcode(text, DecodeUtf8, AppendUtf16);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return Transcode(text, DecodeUtf16, AppendUtf8);
}

}  // namespace zuvelo
