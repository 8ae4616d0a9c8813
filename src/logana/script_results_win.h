// Writing member values into an Invoke result that the caller has initialised. Texts report
// a failed allocation, so a script never takes an empty text for a value it lost.
#pragma once

#include <oaidl.h>

#include <string_view>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "base/variant_win.h"

namespace zuvelo {

inline HRESULT WriteIntResult(VARIANT* result, LONG value) {
  variant_i4(value).release_to(result);
  return S_OK;
}

inline HRESULT WriteBoolResult(VARIANT* result, bool value) {
  variant_bool(value).release_to(result);
  return S_OK;
}

// BSTRs are UTF-16 like the records' texts.
inline HRESULT WriteTextResult(VARIANT* result, std::u16string_view text) {
  unique_bstr made = make_bstr(AsWide(text));
  if (!made && !text.empty()) return E_OUTOFMEMORY;
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = made.release();
  return S_OK;
}

// The object with a reference added for the caller.
inline HRESULT WriteObjectResult(VARIANT* result, IDispatch* object) {
  variant_dispatch(object).release_to(result);
  return S_OK;
}

// A BSTR argument as the records' UTF-16 text; a null BSTR is the empty text.
[[nodiscard]] inline std::u16string_view TextOf(const VARIANT* v) {
  return AsUtf16(bstr_view(V_BSTR(v)));
}

}  // namespace zuvelo
