// Conversions between UTF-16 and the ANSI code page, for window texts and named commands.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace zuvelo {

// What the code page cannot hold becomes its default character.
[[nodiscard]] inline std::string WideToAnsi(std::wstring_view text) {
  const int size = static_cast<int>(text.size());
  if (size == 0) return {};
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

// None when the code page cannot hold the text as it is: no best fit (which turns a full-width
// backslash into "\\" in code page 1252, the yen sign into one in 932), no default character.
[[nodiscard]] inline std::optional<std::string> WideToAnsiExact(std::wstring_view text,
                                                                UINT code_page = CP_ACP) {
  const int size = static_cast<int>(text.size());
  if (size == 0) return std::string();
  BOOL defaulted = FALSE;
  const int length = ::WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                           nullptr, 0, nullptr, &defaulted);
  if (length <= 0 || defaulted) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(), size, narrow.data(), length,
                        nullptr, nullptr);
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

[[nodiscard]] inline std::wstring AnsiToWide(std::string_view text) {
  const int size = static_cast<int>(text.size());
  if (size == 0) return {};
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace zuvelo
