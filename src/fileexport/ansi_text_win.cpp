// Conversion through WideCharToMultiByte with an explicit length, so no terminator is written.
#include "fileexport/ansi_text_win.h"

namespace zuvelo {

std::string ToAnsi(std::wstring_view text, UINT code_page) {
  text = text.substr(0, text.find(L'\0'));
  if (text.empty()) return {};
  const int units = static_cast<int>(text.size());
  const int bytes =
      ::WideCharToMultiByte(code_page, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(code_page, 0, text.data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace zuvelo
