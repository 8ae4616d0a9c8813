// Owned BSTR: the handle template keyed on SysFreeString, plus the few ways to make one.
#pragma once

#include <oleauto.h>

#include <string>
#include <string_view>

#include "base/handle_win.h"

namespace zuvelo {

struct bstr_traits {
  using pointer = BSTR;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer s) noexcept { ::SysFreeString(s); }
};

using unique_bstr = unique_handle<bstr_traits>;

// A failed allocation gives an empty (null) owner; callers that must tell it from an empty
// text compare the input length.
[[nodiscard]] inline unique_bstr make_bstr(std::wstring_view text) {
  return unique_bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// The text as the script engine sees it: a null BSTR is the empty string.
[[nodiscard]] inline std::wstring_view bstr_view(BSTR s) noexcept {
  return s ? std::wstring_view(s, ::SysStringLen(s)) : std::wstring_view();
}

}  // namespace zuvelo
