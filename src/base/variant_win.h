// Owned VARIANT: cleared on destruction, move-only, with makers for the types script values use;
// and the owned SAFEARRAY that carries such values.
#pragma once

#include <oleauto.h>

#include <string_view>

#include "base/bstr_win.h"
#include "base/handle_win.h"

namespace zuvelo {

class unique_variant {
 public:
  unique_variant() noexcept { ::VariantInit(&v_); }
  ~unique_variant() { ::VariantClear(&v_); }

  unique_variant(unique_variant&& other) noexcept : v_(other.v_) { ::VariantInit(&other.v_); }
  unique_variant& operator=(unique_variant&& other) noexcept {
    if (this != &other) {
      ::VariantClear(&v_);
      v_ = other.v_;
      ::VariantInit(&other.v_);
    }
    return *this;
  }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;

  [[nodiscard]] VARIANT* get() noexcept { return &v_; }
  [[nodiscard]] const VARIANT* get() const noexcept { return &v_; }
  const VARIANT* operator->() const noexcept { return &v_; }
  [[nodiscard]] VARTYPE type() const noexcept { return V_VT(&v_); }

  // For out-parameters: the old value is cleared first.
  [[nodiscard]] VARIANT* put() noexcept {
    ::VariantClear(&v_);
    return &v_;
  }

  // Moves the value into a VARIANT that the caller owns (its old content is not cleared,
  // as with a result slot given to Invoke).
  void release_to(VARIANT* out) noexcept {
    *out = v_;
    ::VariantInit(&v_);
  }

  void clear() noexcept { ::VariantClear(&v_); }

 private:
  VARIANT v_;
};

[[nodiscard]] inline unique_variant variant_i4(LONG value) noexcept {
  unique_variant v;
  V_VT(v.get()) = VT_I4;
  V_I4(v.get()) = value;
  return v;
}

[[nodiscard]] inline unique_variant variant_bool(bool value) noexcept {
  unique_variant v;
  V_VT(v.get()) = VT_BOOL;
  V_BOOL(v.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

[[nodiscard]] inline unique_variant variant_r8(double value) noexcept {
  unique_variant v;
  V_VT(v.get()) = VT_R8;
  V_R8(v.get()) = value;
  return v;
}

// A null BSTR is a valid VT_BSTR value (the empty text), so a failed allocation is not
// distinguishable here; callers that care use make_bstr themselves.
[[nodiscard]] inline unique_variant variant_text(std::wstring_view text) {
  unique_variant v;
  V_VT(v.get()) = VT_BSTR;
  V_BSTR(v.get()) = make_bstr(text).release();
  return v;
}

// Adds a reference for the variant.
[[nodiscard]] inline unique_variant variant_dispatch(IDispatch* object) noexcept {
  unique_variant v;
  if (object) object->AddRef();
  V_VT(v.get()) = VT_DISPATCH;
  V_DISPATCH(v.get()) = object;
  return v;
}

// Destroying the array clears the values it holds.
using unique_safearray = unique_handle<null_handle_traits<SAFEARRAY*, &::SafeArrayDestroy>>;

}  // namespace zuvelo
