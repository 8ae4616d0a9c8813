// Conversions between UTF-8 and UTF-16, the one rule set for every text the program converts.
//
// - Lengths are explicit: a zero byte or code unit is a character like any other and is kept.
//   A caller that wants a C string's view of a text cuts it first.
// - What is not well-formed becomes U+FFFD: an unpaired high or low surrogate, and each maximal
//   ill-formed part of UTF-8 (a cut sequence, a stray continuation byte, an overlong form, an
//   encoded surrogate, anything above U+10FFFF, the bytes C0, C1 and F5..FF), as the platform's
//   own UTF-8 conversion and browsers do. A text therefore always converts, never fails.
// - Output grows at most threefold (UTF-16 to UTF-8) or stays within the input's length (UTF-8
//   to UTF-16), so a caller that bounds its input bounds the output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuvelo {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character at the start of a text: its code point and how many bytes or code units it took.
// A part that is not well-formed gives U+FFFD and `well_formed` false, so that a caller that
// escapes such parts instead can find them at the same place.
struct DecodedCharacter {
  char32_t code_point = kReplacementCharacter;
  std::size_t length = 0;  // 0 only for an empty text
  bool well_formed = false;
};

[[nodiscard]] DecodedCharacter DecodeUtf8(std::string_view text);
[[nodiscard]] DecodedCharacter DecodeUtf16(std::u16string_view text);

// A surrogate or a value above U+10FFFF is appended as U+FFFD.
void AppendUtf8(std::string& out, char32_t code_point);
void AppendUtf16(std::u16string& out, char32_t code_point);

[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace zuvelo
