// A native method handed to script as a value: calling it later runs the method on the
// object it was read from.
//
// The function object holds a reference on its target. Pages are expected to drop a method
// value before the object it came from, but one that does not must find a live object rather
// than freed memory. The price is a cycle when an object stores one of its own methods (for
// instance in a writable object property): both then live until the process ends.
#pragma once

#include "base/com_ptr_win.h"
#include "bridge/automation/script_object.h"

namespace zuvelo {

struct FunctionObjectClass {
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_UNKNOWNNAME,
      nullptr,
      nullptr,  // the destructor writes its line before it lets go of the target
      "CFunctionObject GetIDsOfNames UNKNOWN %s\r\n",
      "CFunctionObject UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
};

template <class Target>
class CFunctionObject final : public ScriptObject<CFunctionObject<Target>> {
  using Base = ScriptObject<CFunctionObject<Target>>;

 public:
  using Method = HRESULT (Target::*)(const Invocation&);
  static constexpr const ScriptClass& kClass = FunctionObjectClass::kClass;

  // The new object with its only reference; null when memory runs out.
  [[nodiscard]] static com_ptr<IDispatch> Create(Target& target, Method method, DISPID member) {
    auto* object = new (std::nothrow) CFunctionObject(target, method, member);
    if (object == nullptr) return {};
    object->AddRef();
    return com_ptr<IDispatch>(object);
  }

  // No named members, so every lookup fails, even one without names.
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 0 && (names == nullptr || ids == nullptr)) return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
      Base::TraceUnknownName(names[i] ? names[i] : L"");
      ids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
  }

  // Always S_OK: script never sees a failure of a method called through its value. Flags are
  // not looked at, so reading the value runs the method too.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (id != DISPID_VALUE) {
      Base::TraceUnknownMember(id, params, flags);
      return S_OK;
    }
    NoThrow("CFunctionObject Invoke",
            [&] { return (target_.get()->*method_)(Invocation(member_, flags, params, result)); });
    return S_OK;
  }

 private:
  CFunctionObject(Target& target, Method method, DISPID member) noexcept
      : Base(0), target_(com_ptr<Target>::copy_of(&target)), method_(method), member_(member) {}
  ~CFunctionObject() override { trace("%s", "CFunctionObject DESTRUCT\r\n"); }

  com_ptr<Target> target_;
  Method method_;
  DISPID member_;
};

}  // namespace zuvelo
