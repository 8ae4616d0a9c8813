// Members of the test-only script classes.
#include "sample_objects.h"

#include <atomic>
#include <cstdint>
#include <cwctype>
#include <new>
#include <string_view>

#include "bridge/bstr.h"
#include "bridge/script_values.h"

namespace zuvelo::testing {
namespace {

std::atomic<int> live{0};

void WriteInt(VARIANT* result, int value) {
  if (result == nullptr) return;
  ::VariantInit(result);
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}

void WriteText(VARIANT* result, std::wstring_view text) {
  if (result == nullptr) return;
  ::VariantInit(result);
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = make_bstr(text).release();
}

void WriteObject(VARIANT* result, IDispatch* object) {
  ::VariantInit(result);
  if (object) object->AddRef();
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object;
}

}  // namespace

int LiveSampleObjects() { return live; }
LiveCount::LiveCount() { ++live; }
LiveCount::~LiveCount() { --live; }

// --- IDispatchSampleImpl ---

std::span<const Member<IDispatchSampleImpl>> IDispatchSampleImpl::Members() {
  using S = IDispatchSampleImpl;
  static constexpr Member<S> members[] = {
      {L"add", 101, MemberKind::kMethod, &S::Add},
      {L"join", 102, MemberKind::kMethod, &S::Join},
      {L"fail", 103, MemberKind::kMethod, &S::Fail},
      {L"calls", 104, MemberKind::kProperty, &S::Calls},
      {L"slot", 105, MemberKind::kProperty, &S::GetSlot, &S::PutSlot},
      {L"sum", 106, MemberKind::kMethod, &S::Sum},
      {L"build", 107, MemberKind::kMethod, &S::Build},
  };
  return members;
}

HRESULT IDispatchSampleImpl::Add(const Invocation& call) {
  ++calls;
  if (call.count() != 2) return DISP_E_BADPARAMCOUNT;
  if (!IsType(call.arg(0), VT_I4) || !IsType(call.arg(1), VT_I4)) return DISP_E_TYPEMISMATCH;
  WriteInt(call.result(), V_I4(call.arg(0)) + V_I4(call.arg(1)));
  return S_OK;
}

HRESULT IDispatchSampleImpl::Join(const Invocation& call) {
  ++calls;
  std::wstring joined;
  for (UINT i = 0; i < call.count(); ++i) {
    if (!IsType(call.arg(i), VT_BSTR)) return DISP_E_TYPEMISMATCH;
    if (i) joined += L'|';
    joined += bstr_view(V_BSTR(call.arg(i)));
  }
  WriteText(call.result(), joined);
  return S_OK;
}

HRESULT IDispatchSampleImpl::Fail(const Invocation&) {
  ++calls;
  return E_FAIL;
}

HRESULT IDispatchSampleImpl::Calls(const Invocation& call) {
  WriteInt(call.result(), calls);
  return S_OK;
}

HRESULT IDispatchSampleImpl::GetSlot(const Invocation& call) {
  WriteObject(call.result(), slot.get());
  return S_OK;
}

HRESULT IDispatchSampleImpl::PutSlot(const Invocation& call) {
  if (call.count() != 1 || !IsType(call.arg(0), VT_DISPATCH)) return DISP_E_MEMBERNOTFOUND;
  slot = com_ptr<IDispatch>::copy_of(V_DISPATCH(call.arg(0)));
  return S_OK;
}

HRESULT IDispatchSampleImpl::Sum(const Invocation& call) {
  ++calls;
  if (!IsType(call.arg(0), VT_DISPATCH)) return DISP_E_TYPEMISMATCH;
  IDispatch* array = V_DISPATCH(call.arg(0));
  const int length = GetIntProperty(array, L"length", -1);
  if (length < 0) return E_INVALIDARG;
  int sum = 0;
  for (int i = 0; i < length; ++i) sum += GetIntElement(array, i, 0);
  WriteInt(call.result(), sum);
  return S_OK;
}

HRESULT IDispatchSampleImpl::Build(const Invocation& call) {
  ++calls;
  if (!IsType(call.arg(0), VT_DISPATCH) || !IsType(call.arg(1), VT_BSTR)) {
    return DISP_E_TYPEMISMATCH;
  }
  IDispatch* scope = V_DISPATCH(call.arg(0));
  const std::wstring_view kind = bstr_view(V_BSTR(call.arg(1)));
  VARIANT* result = call.result();
  static constexpr std::uint8_t bytes[] = {5, 0, 135};
  static constexpr std::int32_t ints[] = {-7, 0, 2147483647};
  static constexpr std::uint8_t truths[] = {1, 0, 255};
  static constexpr double reals[] = {1.5, -0.25};
  if (kind == L"bytes") return BuildByteArray(scope, bytes, result);
  if (kind == L"ints") return BuildIntArray(scope, ints, result);
  if (kind == L"bools") return BuildBoolArray(scope, truths, result);
  if (kind == L"reals") return BuildRealArray(scope, reals, result);
  if (kind == L"empty") return BuildIntArray(scope, {}, result);
  if (kind == L"objects") {
    IDispatch* objects[] = {this, slot.get()};
    return BuildObjectArray(scope, objects, result);
  }
  return E_INVALIDARG;
}

// --- IDispatchRecordImpl ---

std::span<const Member<IDispatchRecordImpl>> IDispatchRecordImpl::Members() {
  using R = IDispatchRecordImpl;
  static constexpr Member<R> members[] = {
      {nullptr, DISPID_VALUE, MemberKind::kProperty, &R::Self},
      {L"name", 101, MemberKind::kProperty, &R::Name},
      {L"score", 102, MemberKind::kProperty, &R::Score},
  };
  return members;
}

HRESULT IDispatchRecordImpl::Self(const Invocation& call) {
  WriteObject(call.result(), this);
  return S_OK;
}

HRESULT IDispatchRecordImpl::Name(const Invocation& call) {
  WriteText(call.result(), name);
  return S_OK;
}

HRESULT IDispatchRecordImpl::Score(const Invocation& call) {
  WriteInt(call.result(), score);
  return S_OK;
}

// --- IDispatchNoteImpl ---

std::span<const Member<IDispatchNoteImpl>> IDispatchNoteImpl::Members() {
  using N = IDispatchNoteImpl;
  static constexpr Member<N> members[] = {
      {L"write", 101, MemberKind::kMethod, &N::Write},
      {L"read", 102, MemberKind::kMethod, &N::Read},
      {L"clear", 103, MemberKind::kMethod, &N::Clear},
  };
  return members;
}

HRESULT IDispatchNoteImpl::Write(const Invocation& call) {
  if (call.count() != 1 || !IsType(call.arg(0), VT_BSTR)) return E_INVALIDARG;
  text += bstr_view(V_BSTR(call.arg(0)));
  return S_OK;
}

HRESULT IDispatchNoteImpl::Read(const Invocation& call) {
  WriteText(call.result(), text);
  return S_OK;
}

HRESULT IDispatchNoteImpl::Clear(const Invocation&) {
  text.clear();
  return S_OK;
}

// --- IDispatchQuietImpl ---

std::span<const Member<IDispatchQuietImpl>> IDispatchQuietImpl::Members() {
  using Q = IDispatchQuietImpl;
  static constexpr Member<Q> members[] = {
      {L"ping", 101, MemberKind::kMethod, &Q::Ping},
      {L"exhaust", 102, MemberKind::kMethod, &Q::Exhaust},
      {L"throw", 103, MemberKind::kMethod, &Q::Throw},
      {L"maybe", 104, MemberKind::kMethod, &Q::Maybe},
  };
  return members;
}

HRESULT IDispatchQuietImpl::LookupName(const wchar_t* name, DISPID* id) {
  if (name[0] != L'\0' && name[1] == L'\0' && std::iswdigit(name[0])) {
    *id = 200 + (name[0] - L'0');
    return S_OK;
  }
  return AutomationObject::LookupName(name, id);
}

const Member<IDispatchQuietImpl>* IDispatchQuietImpl::FindMember(DISPID id) {
  static constexpr Member<IDispatchQuietImpl> digit{nullptr, 200, MemberKind::kProperty,
                                                    &IDispatchQuietImpl::Digit};
  if (id >= 200 && id <= 209) return &digit;
  return AutomationObject::FindMember(id);
}

HRESULT IDispatchQuietImpl::Ping(const Invocation& call) {
  WriteText(call.result(), L"pong");
  return S_OK;
}

HRESULT IDispatchQuietImpl::Digit(const Invocation& call) {
  WriteInt(call.result(), call.id() - 200);
  return S_OK;
}

HRESULT IDispatchQuietImpl::Exhaust(const Invocation&) { throw std::bad_alloc(); }

HRESULT IDispatchQuietImpl::Throw(const Invocation&) { throw 42; }

HRESULT IDispatchQuietImpl::Maybe(const Invocation&) { return S_FALSE; }

// --- IDispatchWorkerImpl ---

std::span<const Member<IDispatchWorkerImpl>> IDispatchWorkerImpl::Members() {
  static constexpr Member<IDispatchWorkerImpl> members[] = {
      {L"steps", 101, MemberKind::kProperty, &IDispatchWorkerImpl::Steps},
  };
  return members;
}

ULONG IDispatchWorkerImpl::Release() {
  const void* self = this;
  const ULONG left = AutomationObject::Release();
  Releases().emplace_back(self, left);
  return left;
}

void IDispatchWorkerImpl::MainThreadStep() {
  ++steps;
  step_thread = ::GetCurrentThreadId();
}

HRESULT IDispatchWorkerImpl::Steps(const Invocation& call) {
  WriteInt(call.result(), steps);
  return S_OK;
}

std::vector<std::pair<const void*, ULONG>>& IDispatchWorkerImpl::Releases() {
  static std::vector<std::pair<const void*, ULONG>> releases;
  return releases;
}

}  // namespace zuvelo::testing
