// The part every script-callable object shares: identity, reference counting, no type
// information, the class's trace texts, and the view of one call that members work with.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <new>

#include "base/catch_all.h"
#include "base/code_page_win.h"
#include "base/trace.h"

namespace zuvelo {

// How a class's Invoke reads wFlags.
enum class InvokeStyle {
  kMethods,            // a call runs a method; a read gives a property or hands a method out
  kPropertiesOnly,     // a read is the only use; a call bit beside the read bit is ignored
  kHandOutEverything,  // every member goes through the hand-out rule with the caller's flags
};

// What a class declares besides its members. Trace lines are whole lines; a null line is
// not written.
struct ScriptClass {
  InvokeStyle style;
  HRESULT unknown_name_result;
  const char* constructed;                  // written first thing in construction
  const char* destroyed;                    // written last thing in destruction
  const char* unknown_name;                 // takes the name in the ANSI code page (%s)
  const char* unknown_member;               // takes the number twice and cArgs
  bool unknown_member_shows_flags = false;  // ...then also the low 16 bits of wFlags
};

// An argument exactly of this type: no conversion, and VT_BYREF never matches.
[[nodiscard]] inline bool IsType(const VARIANT* v, VARTYPE type) noexcept {
  return v != nullptr && V_VT(v) == type;
}

// One call of a member. Arguments are read only through here, so a count is always checked
// before rgvarg is touched.
class Invocation {
 public:
  Invocation(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) noexcept
      : id_(id), flags_(flags), params_(params), result_(result) {}

  [[nodiscard]] DISPID id() const noexcept { return id_; }
  [[nodiscard]] WORD flags() const noexcept { return flags_; }
  [[nodiscard]] VARIANT* result() const noexcept { return result_; }
  [[nodiscard]] DISPPARAMS* params() const noexcept { return params_; }
  [[nodiscard]] UINT count() const noexcept {
    return params_ && params_->rgvarg ? params_->cArgs : 0;
  }
  // Script order: 0 is the first argument the script wrote. Null past the end.
  [[nodiscard]] const VARIANT* arg(UINT i) const noexcept {
    return i < count() ? &params_->rgvarg[count() - 1 - i] : nullptr;
  }
  // Storage order: 0 is the last argument the script wrote.
  [[nodiscard]] const VARIANT* stored(UINT i) const noexcept {
    return i < count() ? &params_->rgvarg[i] : nullptr;
  }

 private:
  DISPID id_;
  WORD flags_;
  DISPPARAMS* params_;
  VARIANT* result_;
};

enum class MemberKind { kMethod, kProperty };

// One row of a class's member table.
template <class T>
struct Member {
  using Op = HRESULT (T::*)(const Invocation&);
  const wchar_t* name;  // null: reached by number only (a default member)
  DISPID id;
  MemberKind kind;
  Op run;            // a method's call, or a property's read into an initialised result
  Op put = nullptr;  // the write of a writable property
};

// A COM method's body: what it throws becomes E_OUTOFMEMORY (memory ran out) or E_UNEXPECTED.
template <class F>
HRESULT NoThrow(const char* where, F&& body) noexcept {
  HRESULT result = E_UNEXPECTED;
  switch (CatchAll(where, [&] { result = body(); })) {
    case Escaped::kNothing:
      return result;
    case Escaped::kOutOfMemory:
      return E_OUTOFMEMORY;
    case Escaped::kOther:
      break;
  }
  return E_UNEXPECTED;
}

// Identity, counting and life of a script object. Derived declares
// `static constexpr ScriptClass kClass`. The count starts at 1 for objects whose creator
// owns them at once, at 0 for function objects (their creator adds the first reference).
template <class Derived>
class ScriptObject : public IDispatch {
 public:
  ScriptObject(const ScriptObject&) = delete;
  ScriptObject& operator=(const ScriptObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *ppv = static_cast<IDispatch*>(this);
    }
    if (*ppv == nullptr) return E_NOINTERFACE;
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  explicit ScriptObject(LONG initial_refs = 1) noexcept : refs_(initial_refs) {
    if (Derived::kClass.constructed) trace("%s", Derived::kClass.constructed);
  }
  virtual ~ScriptObject() {
    if (Derived::kClass.destroyed) trace("%s", Derived::kClass.destroyed);
  }

  // The count as it stands, for an object whose worker must know whether anyone but its
  // keeper still holds it. Safe from any thread.
  [[nodiscard]] LONG ref_count() const noexcept {
    return ::InterlockedCompareExchange(const_cast<LONG*>(&refs_), 0, 0);
  }

  // The C runtime's "%ls" stops at the first character beyond its "C" locale.
  static HRESULT TraceUnknownName(const wchar_t* name) {
    trace(Derived::kClass.unknown_name, WideToAnsi(name ? name : L"").c_str());
    return Derived::kClass.unknown_name_result;
  }
  static HRESULT TraceUnknownMember(DISPID id, const DISPPARAMS* params, WORD flags) {
    constexpr const ScriptClass& c = Derived::kClass;
    if constexpr (c.unknown_member != nullptr) {
      const int args = params ? static_cast<int>(params->cArgs) : 0;
      if constexpr (c.unknown_member_shows_flags) {
        trace(c.unknown_member, static_cast<int>(id), static_cast<unsigned>(id), args,
              static_cast<unsigned>(flags));
      } else {
        trace(c.unknown_member, static_cast<int>(id), static_cast<unsigned>(id), args);
      }
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  LONG refs_;
};

}  // namespace zuvelo
