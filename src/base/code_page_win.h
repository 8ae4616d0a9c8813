// Conversions between UTF-16 and a Windows code page (the ANSI one unless given), for window
// texts, file names, named commands and files, over the rules of base/text_conversion.h:
// explicit lengths, so zeros are kept; CP_UTF8 goes through the portable conversion, so UTF-8
// reads the same on every build. In any other code page what it cannot hold becomes its default
// character, and bytes that are no text in it become what the platform makes of them.
#pragma once

#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "base/text_conversion.h"

namespace zuvelo {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

// The platform's conversions count in int: a longer text (only a hostile page or file has one)
// converts to nothing rather than to a wrapped length.
inline constexpr std::size_t kMaxCodePageText = INT_MAX;

[[nodiscard]] inline std::u16string_view AsUtf16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

[[nodiscard]] inline std::wstring_view AsWide(std::u16string_view text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

namespace code_page_detail {

// Null `defaulted` asks for the default character; otherwise no best fit either, and it tells
// whether a character had none.
inline std::string Narrow(std::wstring_view text, UINT code_page, BOOL* defaulted) {
  if (code_page == CP_UTF8) {
    std::string narrow = Utf16ToUtf8(AsUtf16(text));
    if (defaulted != nullptr) *defaulted = Utf8ToUtf16(narrow) != AsUtf16(text);
    return narrow;
  }
  if (text.empty() || text.size() > kMaxCodePageText) return {};
  const DWORD flags = defaulted != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
  const int size = static_cast<int>(text.size());
  const int length =
      ::WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, defaulted);
  if (length <= 0) return {};
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(code_page, flags, text.data(), size, narrow.data(), length, nullptr,
                        nullptr);
  return narrow;
}

}  // namespace code_page_detail

// What the code page cannot hold becomes its default character.
[[nodiscard]] inline std::string WideToAnsi(std::wstring_view text, UINT code_page = CP_ACP) {
  return code_page_detail::Narrow(text, code_page, nullptr);
}

[[nodiscard]] inline std::string WideToAnsi(std::u16string_view text, UINT code_page = CP_ACP) {
  return WideToAnsi(AsWide(text), code_page);
}

// None when the code page cannot hold the text as it is: no best fit (which turns a full-width
// backslash into "\\" in code page 1252, the yen sign into one in 932), no default character.
[[nodiscard]] inline std::optional<std::string> WideToAnsiExact(std::wstring_view text,
                                                                UINT code_page = CP_ACP) {
  if (text.empty()) return std::string();
  BOOL defaulted = FALSE;
  std::string narrow = code_page_detail::Narrow(text, code_page, &defaulted);
  if (narrow.empty() || defaulted) return std::nullopt;
  return narrow;
}

// At most `limit` bytes of `text`, never half a double-byte character.
[[nodiscard]] inline std::string CutAnsi(std::string_view text, std::size_t limit,
                                         UINT code_page = CP_ACP) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next =
        end + (::IsDBCSLeadByteEx(code_page, static_cast<BYTE>(text[end])) ? 2 : 1);
    if (next > limit || next > text.size()) break;
    end = next;
  }
  return std::string(text.substr(0, end));
}

[[nodiscard]] inline std::u16string AnsiToUtf16(std::string_view text, UINT code_page = CP_ACP) {
  if (code_page == CP_UTF8) return Utf8ToUtf16(text);
  if (text.empty() || text.size() > kMaxCodePageText) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  ::MultiByteToWideChar(code_page, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                        length);
  return wide;
}

[[nodiscard]] inline std::wstring AnsiToWide(std::string_view text, UINT code_page = CP_ACP) {
  return std::wstring(AsWide(AnsiToUtf16(text, code_page)));
}

// The program's fixed Japanese texts are kept in Shift-JIS; read in the system code page they
// would be mojibake anywhere but on a Japanese system.
inline constexpr UINT kShiftJisCodePage = 932;

[[nodiscard]] inline std::wstring ShiftJisToWide(std::string_view text) {
  return AnsiToWide(text, kShiftJisCodePage);
}

}  // namespace zuvelo
