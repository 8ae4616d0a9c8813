// Conversions between UTF-16 and the ANSI code page, for window texts and named commands.
#pragma once

#include <windows.h>

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

[[nodiscard]] inline std::wstring AnsiToWide(std::string_view text) {
  const int size = static_cast<int>(text.size());
  if (size == 0) return {};
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace zuvelo
