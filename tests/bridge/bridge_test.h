// Script classes made for the tests, one per Invoke style, and a leak check after every test.
#pragma once

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "bridge/automation/automation_object.h"
#include "page_test.h"

namespace zuvelo::testing {

inline int live_samples = 0;
struct LiveCount {
  LiveCount() { ++live_samples; }
  ~LiveCount() { --live_samples; }
};

inline HRESULT Give(const Invocation& call, unique_variant value) {
  if (call.result() != nullptr) value.release_to(call.result());
  return S_OK;
}

class Sample final : public AutomationObject<Sample>, LiveCount {
 public:
  static constexpr ScriptClass kClass = ScriptClass(
      InvokeStyle::kMethods, DISP_E_MEMBERNOTFOUND, "Sample made\r\n", "Sample gone\r\n",
      "Sample name? %s\r\n", "Sample member? %d/0x%0X args %d flags %X\r\n", true);
  static std::span<const Member<Sample>> Members() {
    static constexpr Member<Sample> members[] = {
        {L"sub", 101, MemberKind::kMethod, &Sample::Sub},
        {L"slot", 104, MemberKind::kProperty, &Sample::GetSlot, &Sample::PutSlot},
    };
    return members;
  }
  HRESULT Sub(const Invocation& call) {
    ++calls;
    if (call.count() != 2) return DISP_E_BADPARAMCOUNT;
    if (!IsType(call.arg(0), VT_I4) || !IsType(call.arg(1), VT_I4)) return DISP_E_TYPEMISMATCH;
    return Give(call, variant_i4(V_I4(call.arg(0)) - V_I4(call.arg(1))));
  }
  HRESULT GetSlot(const Invocation& call) { return Give(call, variant_dispatch(slot.get())); }
  HRESULT PutSlot(const Invocation& call) {
    if (call.count() != 1 || !IsType(call.arg(0), VT_DISPATCH)) return DISP_E_MEMBERNOTFOUND;
    slot = com_ptr<IDispatch>::copy_of(V_DISPATCH(call.arg(0)));
    return S_OK;
  }

  int calls = 0;
  com_ptr<IDispatch> slot;
};

class Record final : public AutomationObject<Record>, LiveCount {
 public:
  static constexpr ScriptClass kClass =
      ScriptClass(InvokeStyle::kPropertiesOnly, DISP_E_MEMBERNOTFOUND, nullptr, "Record gone\r\n",
                  "Record name? %s\r\n", "Record member? %d/0x%0X args %d");
  static std::span<const Member<Record>> Members() {
    static constexpr Member<Record> members[] = {
        {L"score", 102, MemberKind::kProperty, &Record::Score}};
    return members;
  }
  HRESULT Score(const Invocation& call) { return Give(call, variant_i4(25000)); }
};

class Note final : public AutomationObject<Note>, LiveCount {
 public:
  static constexpr ScriptClass kClass =
      ScriptClass(InvokeStyle::kHandOutEverything, DISP_E_UNKNOWNNAME, nullptr, "Note gone\r\n",
                  "Note name? %s\r\n", "Note member? %d/0x%0X args %d");
  static std::span<const Member<Note>> Members() {
    static constexpr Member<Note> members[] = {
        {L"write", 101, MemberKind::kMethod, &Note::Write},
        {L"read", 102, MemberKind::kMethod, &Note::Read},
    };
    return members;
  }
  HRESULT Write(const Invocation& call) {
    if (call.count() != 1) return E_INVALIDARG;
    if (IsType(call.arg(0), VT_BSTR)) text += bstr_view(V_BSTR(call.arg(0)));
    return S_OK;
  }
  HRESULT Read(const Invocation& call) { return Give(call, variant_text(text)); }

  std::wstring text;
};

// The analyzer's shape: a script face and an attachable face sharing one count.
class Worker final : public AutomationObject<Worker>, public AttachableObject, LiveCount {
 public:
  static constexpr ScriptClass kClass =
      ScriptClass(InvokeStyle::kMethods, DISP_E_MEMBERNOTFOUND, nullptr, nullptr,
                  "Worker name? %s\r\n", nullptr);
  static std::span<const Member<Worker>> Members() {
    static constexpr Member<Worker> members[] = {
        {L"exhaust", 102, MemberKind::kMethod, &Worker::Exhaust},
        {L"throw", 103, MemberKind::kMethod, &Worker::Throw},
        {L"maybe", 104, MemberKind::kMethod, &Worker::Maybe},
    };
    return members;
  }
  HRESULT Exhaust(const Invocation&) { throw std::bad_alloc(); }
  HRESULT Throw(const Invocation&) { throw 42; }
  HRESULT Maybe(const Invocation&) { return S_FALSE; }

  STDMETHODIMP_(ULONG) AddRef() override { return AutomationObject::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return AutomationObject::Release(); }
  void MainThreadStep() override { ++steps; }

  int steps = 0;
};

class BridgeTest : public PageTest {
 protected:
  void TearDown() override {
    PageTest::TearDown();
    script_.Close();
    EXPECT_EQ(live_samples, 0) << "a script object outlived its test";
  }
};

template <class T>
com_ptr<T> Make() {
  return com_ptr<T>(new T);
}

}  // namespace zuvelo::testing
