// UTF-8, UTF-16 and, on Windows, code pages: zeros kept, what is not well-formed as U+FFFD.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/text_conversion.h"
#ifdef _WIN32
#include "base/code_page_win.h"
#endif

namespace zuvelo {
namespace {

using namespace std::string_literals;

TEST(TextConversion, BothWaysKeepZerosAndReplaceWhatIsIllFormed) {
  // clang-format off
  const struct { std::string utf8; std::u16string utf16; } to16[] = {
      {"", u""}, {"a\0b"s, u"a\0b"s}, {"\0"s, u"\0"s}, {"\xF0\x9F\x80\x84", u"\U0001F004"},
      {"\xC3", u"\uFFFD"}, {"\xF0\x9F\x80", u"\uFFFD"},  // one replacement for a cut sequence
      {"\xE6\x97\x61", u"\uFFFDa"}, {"\x80\xBF", u"\uFFFD\uFFFD"}, {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"}, {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"\xF5\xFF", u"\uFFFD\uFFFD"}};
  const struct { std::u16string utf16; std::string utf8; } to8[] = {
      {u"", ""}, {u"a\0b"s, "a\0b"s}, {u"\U0001F004", "\xF0\x9F\x80\x84"},
      {u"\u007F\u0080\u07FF\u0800\uFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {u"\xD83C", "\xEF\xBF\xBD"}, {u"\xD83C\x61", "\xEF\xBF\xBD\x61"}, {u"\xDC04", "\xEF\xBF\xBD"},
      {u"\xDC04\xD83C", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\xD83C\xD83C\xDC04", "\xEF\xBF\xBD\xF0\x9F\x80\x84"}};
  // clang-format on
  for (const auto& c : to16)
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
  for (const auto& c : to8)
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << testing::PrintToString(c.utf8);
}

TEST(TextConversion, EveryCodePointRoundTrips) {
  std::string utf8;
  std::u16string utf16;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    AppendUtf8(utf8, c);
    AppendUtf16(utf16, c);
  }
  EXPECT_EQ(utf16.size(), 0x10000 - 0x800 + 2 * 0x100000);
  EXPECT_TRUE(Utf8ToUtf16(utf8) == utf16);
  EXPECT_TRUE(Utf16ToUtf8(utf16) == utf8);
}

#ifdef _WIN32

// Code pages given explicitly, so the cases hold whatever the test machine's ANSI code page is.
TEST(CodePageConversion, NarrowsAndWidensThroughTheGivenCodePage) {
  // clang-format off
  const struct {
    std::wstring text; UINT code_page; std::string bytes; std::optional<std::string> exact;
  } cases[] = {
      {L"", 932, "", ""}, {L"\u65e5\u672c", 932, "\x93\xfa\x96\x7b", "\x93\xfa\x96\x7b"},
      {L"\uff76\uff85", 932, "\xb6\xc5", "\xb6\xc5"},  // half-width kana: one byte each
      {L"\u8868", 932, "\x95\x5c", "\x95\x5c"},        // a trail byte that is a backslash
      {L"\ud55c", 932, "?", std::nullopt}, {L"caf\u00e9\u20ac", 1252, "caf\xe9\x80", "caf\xe9\x80"},
      {L"\u00a5", 932, "\\", std::nullopt},   // the yen sign's best fit is a separator,
      {L"\uff3c", 1252, "\\", std::nullopt},  // and so is the full-width backslash's
      {L"\u65e5", 1252, "?", std::nullopt}, {L"ab\0cd"s, 932, "ab\0cd"s, "ab\0cd"s},
      {L"\xd83c\x61", 1252, "?a", std::nullopt},
      {L"\xd83c\x61", CP_UTF8, "\xef\xbf\xbd\x61", std::nullopt},
      {L"\U0001F004\0"s, CP_UTF8, "\xf0\x9f\x80\x84\0"s, "\xf0\x9f\x80\x84\0"s}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text) + " in " + std::to_string(c.code_page));
    EXPECT_EQ(WideToAnsi(c.text, c.code_page), c.bytes);
    EXPECT_EQ(WideToAnsiExact(c.text, c.code_page), c.exact);
    if (c.exact) {
      EXPECT_EQ(AnsiToWide(*c.exact, c.code_page), c.text);
    }
  }
  EXPECT_EQ(AnsiToWide("\xe6\x97\xa5\xed\xa0\x80", CP_UTF8), L"\u65e5\ufffd\ufffd\ufffd");
}

#endif

}  // namespace
}  // namespace zuvelo
