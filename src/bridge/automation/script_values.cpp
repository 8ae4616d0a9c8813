// Readers, array builders and callback calls over the page engine's own objects.
#include "bridge/automation/script_values.h"

#include <dispex.h>

#include <cwchar>

#include "base/com_ptr_win.h"
#include "base/trace.h"
#include "base/variant_win.h"

namespace zuvelo {
namespace {

std::wstring DecimalName(int index) {
  wchar_t name[16];
  std::swprintf(name, sizeof name / sizeof name[0], L"%d", index);
  return name;
}

// Creates element `index` (fdexNameEnsure) and stores the value. The engine's own answers are
// not looked at: a page cannot do anything useful about a half-filled array anyway.
void PutElement(IDispatchEx* array, std::size_t index, unique_variant value) {
  unique_bstr name = make_bstr(DecimalName(static_cast<int>(index)));
  DISPID id = DISPID_UNKNOWN;
  array->GetDispID(name.get(), fdexNameEnsure, &id);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{value.get(), &named, 1, 1};
  array->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                  nullptr);
}

template <class T, class MakeValue>
HRESULT BuildArray(IDispatch* scope, std::span<T> values, VARIANT* result, MakeValue make) {
  unique_variant made;
  const HRESULT hr = InvokeByName(scope, L"Array", DISPATCH_METHOD, made.get());
  if (FAILED(hr)) return hr;
  if (made.type() != VT_DISPATCH || V_DISPATCH(made.get()) == nullptr) return S_OK;
  com_ptr<IDispatchEx> array;
  const HRESULT query =
      V_DISPATCH(made.get())->QueryInterface(__uuidof(IDispatchEx), array.put_void());
  if (FAILED(query)) return query;
  for (std::size_t i = 0; i < values.size(); ++i) PutElement(array.get(), i, make(values[i]));
  ::VariantInit(result);
  made.release_to(result);
  return S_OK;
}

}  // namespace

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return object->Invoke(id, IID_NULL, 0, flags, &none, result, nullptr, nullptr);
}

HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* result) {
  return InvokeByName(object, name, DISPATCH_PROPERTYGET, result);
}

int GetIntProperty(IDispatch* object, const wchar_t* name, int fallback) {
  unique_variant value;
  if (FAILED(GetPropertyByName(object, name, value.get()))) return fallback;
  return value.type() == VT_I4 ? V_I4(value.get()) : fallback;
}

int GetIntElement(IDispatch* object, int index, int fallback) {
  return GetIntProperty(object, DecimalName(index).c_str(), fallback);
}

std::optional<std::wstring> GetTextProperty(IDispatch* object, const wchar_t* name) {
  unique_variant value;
  if (FAILED(GetPropertyByName(object, name, value.get()))) return std::nullopt;
  if (value.type() != VT_BSTR) return std::nullopt;
  return std::wstring(bstr_view(V_BSTR(value.get())));
}

HRESULT BuildByteArray(IDispatch* scope, std::span<const std::uint8_t> values, VARIANT* result) {
  return BuildArray(scope, values, result, [](std::uint8_t b) { return variant_i4(b); });
}

HRESULT BuildIntArray(IDispatch* scope, std::span<const std::int32_t> values, VARIANT* result) {
  return BuildArray(scope, values, result, [](std::int32_t n) { return variant_i4(n); });
}

HRESULT BuildObjectArray(IDispatch* scope, std::span<IDispatch* const> values, VARIANT* result) {
  return BuildArray(scope, values, result, [](IDispatch* d) { return variant_dispatch(d); });
}

HRESULT BuildBoolArray(IDispatch* scope, std::span<const std::uint8_t> values, VARIANT* result) {
  return BuildArray(scope, values, result, [](std::uint8_t b) { return variant_bool(b != 0); });
}

HRESULT BuildRealArray(IDispatch* scope, std::span<const double> values, VARIANT* result) {
  return BuildArray(scope, values, result, [](double r) { return variant_r8(r); });
}

HRESULT CallJSFunc(IDispatch* holder, DISPID id, std::span<VARIANT> args, VARIANT* result) {
  if (holder == nullptr) return E_POINTER;
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                    0};
  const HRESULT hr =
      holder->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
  if (hr != S_OK) trace("CallJSFunc hr=%d/%X\r\n", static_cast<int>(hr), static_cast<unsigned>(hr));
  return hr;
}

}  // namespace zuvelo
