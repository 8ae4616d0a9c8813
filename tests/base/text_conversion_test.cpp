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

TEST(TextConversion, Utf8ToUtf16KeepsZerosAndReplacesEachIllFormedPart) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"", u""},
      {"a\0b"s, u"a\0b"s},
      {"\0"s, u"\0"s},
      {"caf\xC3\xA9 \xE6\x97\xA5", u"caf\u00E9 \u65E5"},
      {"\xF0\x9F\x80\x84", u"\U0001F004"},  // four bytes: a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"\xC3", u"\uFFFD"},                      // cut at the end
      {"\xF0\x9F\x80", u"\uFFFD"},              // one replacement for the whole cut sequence
      {"\xE6\x97\x61", u"\uFFFDa"},             // cut before a character, which survives
      {"\x80\xBF", u"\uFFFD\uFFFD"},            // stray continuation bytes
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong two bytes
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},  // overlong three bytes
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF5\xFF", u"\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.utf8));
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  }
}

TEST(TextConversion, Utf16ToUtf8KeepsZerosAndReplacesUnpairedSurrogates) {
  struct Case {
    std::u16string utf16;
    std::string utf8;
  };
  const Case cases[] = {
      {u"", ""},
      {u"a\0b"s, "a\0b"s},
      {u"\u007F\u0080\u07FF\u0800\uFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {u"\U0001F004", "\xF0\x9F\x80\x84"},
      {u"\xD83C", "\xEF\xBF\xBD"},                    // high surrogate at the end
      {u"\xD83C\x61", "\xEF\xBF\xBD\x61"},            // high surrogate before a character
      {u"\xDC04", "\xEF\xBF\xBD"},                    // low surrogate alone
      {u"\xDC04\xD83C", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // a pair in the wrong order
      {u"\xD83C\xD83C\xDC04", "\xEF\xBF\xBD\xF0\x9F\x80\x84"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.utf8));
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
  }
}

// Every code point through both encoders and both decoders: each length boundary, the
// surrogate gap and the top of the range.
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
TEST(CodePageConversion, NarrowsThroughTheGivenCodePage) {
  struct Case {
    std::wstring text;
    UINT code_page;
    std::string bytes;
    std::optional<std::string> exact;
  };
  const Case cases[] = {
      {L"", 932, "", ""},
      {L"\u65e5\u672c", 932, "\x93\xfa\x96\x7b", "\x93\xfa\x96\x7b"},
      {L"\uff76\uff85", 932, "\xb6\xc5", "\xb6\xc5"},  // half-width kana: one byte each
      {L"\u8868", 932, "\x95\x5c", "\x95\x5c"},        // a trail byte that is a backslash
      {L"\ud55c", 932, "?", std::nullopt},
      {L"\u00a5", 932, "\\", std::nullopt},  // the yen sign's best fit is a separator
      {L"caf\u00e9", 1252, "caf\xe9", "caf\xe9"},
      {L"\uff3c", 1252, "\\", std::nullopt},  // so is the full-width backslash's
      {L"\u65e5", 1252, "?", std::nullopt},
      {L"ab\0cd"s, 932, "ab\0cd"s, "ab\0cd"s},
      {L"\xd83c\x61", 1252, "?a", std::nullopt},
      {L"\xd83c\x61", CP_UTF8, "\xef\xbf\xbd\x61", std::nullopt},
      {L"\U0001F004\0"s, CP_UTF8, "\xf0\x9f\x80\x84\0"s, "\xf0\x9f\x80\x84\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text) + " in " + std::to_string(c.code_page));
    EXPECT_EQ(WideToAnsi(c.text, c.code_page), c.bytes);
    EXPECT_EQ(WideToAnsiExact(c.text, c.code_page), c.exact);
  }
}

TEST(CodePageConversion, WidensThroughTheGivenCodePage) {
  struct Case {
    std::string bytes;
    UINT code_page;
    std::wstring text;
  };
  const Case cases[] = {
      {"", 932, L""},
      {"\x93\xfa\x96\x7b\xb6", 932, L"\u65e5\u672c\uff76"},
      {"caf\xe9\x80", 1252, L"caf\u00e9\u20ac"},
      {"a\0b"s, 1252, L"a\0b"s},
      {"\xe6\x97\xa5\xed\xa0\x80", CP_UTF8, L"\u65e5\ufffd\ufffd\ufffd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes) + " in " + std::to_string(c.code_page));
    EXPECT_EQ(AnsiToWide(c.bytes, c.code_page), c.text);
  }
}

#endif

}  // namespace
}  // namespace zuvelo
