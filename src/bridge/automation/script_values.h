// Native access to page script values: readers of properties and elements, builders of real
// script arrays, and calls of script callbacks by member number. Main thread only.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zuvelo {

// GetIDsOfNames for the one name, then Invoke with no arguments; the first failure is returned.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* result);
HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* result);

// Exactly VT_I4 or the default: no conversion of reals, texts or truth values.
[[nodiscard]] int GetIntProperty(IDispatch* object, const wchar_t* name, int fallback);
// Element `index` of a script array: the property named by the index in decimal.
[[nodiscard]] int GetIntElement(IDispatch* object, int index, int fallback);
// A copy of a VT_BSTR value, or nothing for a failed read or another type.
[[nodiscard]] std::optional<std::wstring> GetTextProperty(IDispatch* object, const wchar_t* name);

// Array builders. `scope` is a script object with an "Array" member (the page's global object
// or an options object). On success the result holds the new array with a reference for the
// caller. Without an "Array" member the lookup's failure is returned and the result is left as
// it was; an "Array" that gives no object leaves it too, with S_OK; an array without
// IDispatchEx gives E_NOINTERFACE.
HRESULT BuildByteArray(IDispatch* scope, std::span<const std::uint8_t> values, VARIANT* result);
HRESULT BuildIntArray(IDispatch* scope, std::span<const std::int32_t> values, VARIANT* result);
// Each element gets a reference of its own, held by the array.
HRESULT BuildObjectArray(IDispatch* scope, std::span<IDispatch* const> values, VARIANT* result);
// Non-zero bytes become VARIANT_TRUE.
HRESULT BuildBoolArray(IDispatch* scope, std::span<const std::uint8_t> values, VARIANT* result);
HRESULT BuildRealArray(IDispatch* scope, std::span<const double> values, VARIANT* result);

// Calls member `id` of `holder` as a method. `args` are in storage order (the last script
// parameter first); `result` may be null. Anything but S_OK is traced.
HRESULT CallJSFunc(IDispatch* holder, DISPID id, std::span<VARIANT> args, VARIANT* result);

}  // namespace zuvelo
