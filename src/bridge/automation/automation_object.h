// Name lookup over a member table and the three Invoke flavours, shared by every script
// class. A class derives from AutomationObject<Self>, declares kClass and
// `static std::span<const Member<Self>> Members()`, and writes only its members.
//
// A class with an unusual name space or member set hides LookupName or FindMember with its
// own (same signature); the base always calls them through the derived type.
#pragma once

#include <cwchar>
#include <span>

#include "bridge/automation/function_object.h"
#include "bridge/automation/script_object.h"

namespace zuvelo {

template <class Derived>
class AutomationObject : public ScriptObject<Derived> {
  using Base = ScriptObject<Derived>;

 public:
  using MemberRow = Member<Derived>;

  // Every name is looked up, also after a failure; a failure decides the result.
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 0 && (names == nullptr || ids == nullptr)) return E_POINTER;
    return NoThrow("GetIDsOfNames", [&] {
      HRESULT result = S_OK;
      for (UINT i = 0; i < count; ++i) {
        const HRESULT hr = self().LookupName(names[i] ? names[i] : L"", &ids[i]);
        if (hr != S_OK) result = hr;
      }
      return result;
    });
  }

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    return NoThrow("Invoke", [&] { return Dispatch(Invocation(id, flags, params, result)); });
  }

  // Exact match, code unit by code unit, in table order.
  HRESULT LookupName(const wchar_t* name, DISPID* id) {
    for (const MemberRow& m : Derived::Members()) {
      if (m.name != nullptr && std::wcscmp(m.name, name) == 0) {
        *id = m.id;
        return S_OK;
      }
    }
    *id = DISPID_UNKNOWN;
    return Base::TraceUnknownName(name);
  }

  const MemberRow* FindMember(DISPID id) {
    for (const MemberRow& m : Derived::Members()) {
      if (m.id == id) return &m;
    }
    return nullptr;
  }

 protected:
  using Base::Base;

 private:
  Derived& self() { return static_cast<Derived&>(*this); }

  HRESULT Dispatch(const Invocation& call) {
    switch (Derived::kClass.style) {
      case InvokeStyle::kMethods:
        return InvokeMethods(call);
      case InvokeStyle::kPropertiesOnly:
        return InvokeProperties(call);
      case InvokeStyle::kHandOutEverything:
        return InvokeHandOut(call);
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT Unknown(const Invocation& call) {
    return Base::TraceUnknownMember(call.id(), call.params(), call.flags());
  }

  HRESULT InvokeMethods(const Invocation& call) {
    const MemberRow* m = self().FindMember(call.id());
    if (call.flags() & DISPATCH_METHOD) {
      if (m == nullptr || m->kind != MemberKind::kMethod) return Unknown(call);
      return (self().*m->run)(call);
    }
    if (call.flags() & DISPATCH_PROPERTYGET) {
      if (m == nullptr) return Unknown(call);
      if (m->kind == MemberKind::kProperty) return Read(*m, call);
      return HandOut(*m, call);
    }
    if (call.flags() & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (m != nullptr && m->put != nullptr) return (self().*m->put)(call);
      // Only a class that has something writable treats a write elsewhere as unknown.
      return HasWritableMember() ? Unknown(call) : DISP_E_MEMBERNOTFOUND;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT InvokeProperties(const Invocation& call) {
    if (call.result() == nullptr || !(call.flags() & DISPATCH_PROPERTYGET)) {
      return DISP_E_MEMBERNOTFOUND;
    }
    const MemberRow* m = self().FindMember(call.id());
    if (m == nullptr) return Unknown(call);
    return Read(*m, call);
  }

  HRESULT InvokeHandOut(const Invocation& call) {
    const MemberRow* m = self().FindMember(call.id());
    if (m == nullptr) return Unknown(call);
    return HandOut(*m, call);
  }

  HRESULT Read(const MemberRow& m, const Invocation& call) {
    if (call.result() == nullptr) return DISP_E_MEMBERNOTFOUND;
    ::VariantInit(call.result());
    return (self().*m.run)(call);
  }

  // A read hands out a function object bound to this object and the method; a call runs the
  // method, whose own result then takes the place of (and releases) the function object.
  HRESULT HandOut(const MemberRow& m, const Invocation& call) {
    const bool handed_out = (call.flags() & DISPATCH_PROPERTYGET) && call.result() != nullptr;
    if (handed_out) {
      ::VariantInit(call.result());
      com_ptr<IDispatch> function = CFunctionObject<Derived>::Create(self(), m.run, m.id);
      if (!function) return E_OUTOFMEMORY;
      V_VT(call.result()) = VT_DISPATCH;
      V_DISPATCH(call.result()) = function.release();
    }
    if (call.flags() & DISPATCH_METHOD) {
      if (handed_out) ::VariantClear(call.result());
      return (self().*m.run)(call);
    }
    return S_OK;
  }

  static bool HasWritableMember() {
    for (const MemberRow& m : Derived::Members()) {
      if (m.put != nullptr) return true;
    }
    return false;
  }
};

}  // namespace zuvelo
