// Conversion of script text through the platform with an explicit code page.
#include <gtest/gtest.h>

#include <string>

#include "fileexport/ansi_text_win.h"

namespace zuvelo {
namespace {

TEST(ToAnsiTest, ConvertsThroughTheGivenCodePage) {
  struct Case {
    std::wstring text;
    UINT code_page;
    std::string bytes;
  };
  const Case cases[] = {
      {L"", 932, ""},
      {L"plain ASCII\r\n", 932, "plain ASCII\r\n"},
      {L"\u65e5\u672c", 932, "\x93\xfa\x96\x7b"},
      {L"\uff76\uff85", 932, "\xb6\xc5"},  // half-width kana: one byte each
      {L"\ud55c", 932, "?"},
      {L"caf\u00e9", 1252, "caf\xe9"},
      {L"\u65e5", 1252, "?"},
      {std::wstring(L"ab\0cd", 5), 932, "ab"},
      {std::wstring(L"\0x", 2), 932, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text) + " in " + std::to_string(c.code_page));
    EXPECT_EQ(ToAnsi(c.text, c.code_page), c.bytes);
  }
}

TEST(ToAnsiTest, LongTextsConvertWhole) {
  std::wstring text;
  std::string bytes;
  for (int i = 0; i < 5000; ++i) {
    text += L"\u8a9e.";
    bytes += "\x8c\xea.";
  }
  EXPECT_EQ(ToAnsi(text, 932), bytes);
}

}  // namespace
}  // namespace zuvelo
