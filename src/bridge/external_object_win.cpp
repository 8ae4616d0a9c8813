// The external object's members. The hand calculators take a script array or separate
// integers; an array value that the hand model cannot hold fails like a bad separate argument,
// so nothing a page passes reaches the search unchecked.
#include "bridge/external_object_win.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string_view>

#include "base/bstr_win.h"
#include "base/trace.h"
#include "base/variant_win.h"
#include "bridge/automation/script_values.h"
#include "fileexport/file_object_win.h"
#include "hand/syanten.h"
#include "hand/tile.h"
#include "logana/analyzer_object_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {
namespace {

constexpr double kVersion = 1.03;
constexpr int kMaxTiles = 14;
constexpr int kMaxCount = 4;

[[nodiscard]] bool IsSlotValue(int value) {
  return value == kNoTile || (value >= 0 && IsTileCode(static_cast<unsigned>(value)));
}

[[nodiscard]] bool IsCount(int value) { return value >= 0 && value <= kMaxCount; }

// The one object argument of a calculator, or null for the separate-argument form.
IDispatch* ArrayArgument(const Invocation& call) {
  if (call.count() != 1 || !IsType(call.stored(0), VT_DISPATCH)) return nullptr;
  return V_DISPATCH(call.stored(0));
}

// How many elements of a script array to read: a missing, non-integer or negative length
// reads them all.
int ElementsToRead(IDispatch* array, int cap) {
  const int length = GetIntProperty(array, L"length", -1);
  return static_cast<int>(std::min(static_cast<unsigned>(length), static_cast<unsigned>(cap)));
}

using Slots = std::array<TileCode, kMaxTiles>;

HRESULT ReadSlotsFromArray(IDispatch* object, Slots& slots) {
  const com_ptr<IDispatch> array = com_ptr<IDispatch>::copy_of(object);
  const int n = ElementsToRead(array.get(), kMaxTiles);
  for (int i = 0; i < n; ++i) {
    const int value = GetIntElement(array.get(), i, kNoTile);
    if (!IsSlotValue(value)) return E_FAIL;
    slots[static_cast<std::size_t>(i)] = static_cast<TileCode>(value);
  }
  return S_OK;
}

// Slots take the arguments in stored order: the last one the script wrote comes first.
HRESULT ReadSlotsFromArguments(const Invocation& call, Slots& slots) {
  const UINT n = std::min<UINT>(call.count(), kMaxTiles);
  for (UINT i = 0; i < n; ++i) {
    const VARIANT* arg = call.stored(i);
    if (!IsType(arg, VT_I4)) return DISP_E_TYPEMISMATCH;
    if (!IsSlotValue(V_I4(arg))) return E_FAIL;
    slots[i] = static_cast<TileCode>(V_I4(arg));
  }
  return S_OK;
}

HRESULT ReadCountsFromArray(IDispatch* object, KindCounts& counts) {
  const com_ptr<IDispatch> array = com_ptr<IDispatch>::copy_of(object);
  const int n = ElementsToRead(array.get(), kKindCount);
  int total = 0;
  for (int k = 0; k < n; ++k) {
    const int value = GetIntElement(array.get(), k, 0);
    if (!IsCount(value)) return E_FAIL;
    total += value;
    counts[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value);
  }
  return total <= kMaxTiles ? S_OK : E_FAIL;
}

// Kind k is the k-th argument in script order. A total above 14 is left to the search here,
// as pages have always been allowed to pass it this way.
HRESULT ReadCountsFromArguments(const Invocation& call, KindCounts& counts) {
  const UINT n = std::min<UINT>(call.count(), kKindCount);
  for (UINT k = 0; k < n; ++k) {
    const VARIANT* arg = call.arg(k);
    if (!IsType(arg, VT_I4)) return DISP_E_TYPEMISMATCH;
    if (!IsCount(V_I4(arg))) return E_FAIL;
    counts[k] = static_cast<std::uint8_t>(V_I4(arg));
  }
  return S_OK;
}

void TraceSlots(const Slots& s) {
  trace("CalcSyanten14 %d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\r\n", s[0], s[1], s[2], s[3], s[4],
        s[5], s[6], s[7], s[8], s[9], s[10], s[11], s[12], s[13]);
}

void WriteInt(VARIANT* result, int value) {
  if (result != nullptr) variant_i4(value).release_to(result);
}

// The object enters the result with the one reference it was born with.
std::optional<com_ptr<IDispatch>> CreateInstance(std::wstring_view command, HWND host) {
  if (command == L"CREATEINSTANCE::LOGANA1.0") {
    if (auto analyzer = IDispatchLogAnaImpl::Create(host)) {
      return com_ptr<IDispatch>(static_cast<IDispatch*>(analyzer.release()));
    }
    return com_ptr<IDispatch>();
  }
  if (command == L"CREATEINSTANCE::FILE1.0") {
    return com_ptr<IDispatch>(IDispatchFileImpl::Create(host).release());
  }
  return std::nullopt;
}

}  // namespace

std::span<const Member<IDispatchBrowserExternalImpl>> IDispatchBrowserExternalImpl::Members() {
  using E = IDispatchBrowserExternalImpl;
  static constexpr Member<E> members[] = {
      {L"mjCommand", 1001, MemberKind::kMethod, &E::MjCommand},
      {L"mjCalcSyanten14", 1002, MemberKind::kMethod, &E::CalcSyanten14},
      {L"mjCalcSyanten34", 1003, MemberKind::kMethod, &E::CalcSyanten34},
      {L"startGame", 1004, MemberKind::kMethod, &E::StartGame},
      {L"trayPopup", 1005, MemberKind::kMethod, &E::TrayPopup},
  };
  return members;
}

com_ptr<IDispatchBrowserExternalImpl> IDispatchBrowserExternalImpl::Create(HWND host) {
  return com_ptr<IDispatchBrowserExternalImpl>(new (std::nothrow)
                                                   IDispatchBrowserExternalImpl(host));
}

HRESULT IDispatchBrowserExternalImpl::MjCommand(const Invocation& call) {
  const VARIANT* command = call.stored(0);
  if (!IsType(command, VT_BSTR) || call.result() == nullptr) return DISP_E_MEMBERNOTFOUND;
  ::VariantInit(call.result());
  const std::wstring_view text = bstr_view(V_BSTR(command));
  if (text == L"VERSION") {
    variant_r8(kVersion).release_to(call.result());
    return S_OK;
  }
  std::optional<com_ptr<IDispatch>> made = CreateInstance(text, host_);
  if (!made || !*made) return DISP_E_MEMBERNOTFOUND;
  V_VT(call.result()) = VT_DISPATCH;
  V_DISPATCH(call.result()) = made->release();
  return S_OK;
}

HRESULT IDispatchBrowserExternalImpl::CalcSyanten14(const Invocation& call) {
  Slots slots;
  slots.fill(kNoTile);
  IDispatch* array = ArrayArgument(call);
  const HRESULT read =
      array ? ReadSlotsFromArray(array, slots) : ReadSlotsFromArguments(call, slots);
  if (FAILED(read)) return read;
  TraceSlots(slots);
  WriteInt(call.result(), zuvelo::CalcSyanten14(slots.data()));
  return S_OK;
}

HRESULT IDispatchBrowserExternalImpl::CalcSyanten34(const Invocation& call) {
  KindCounts counts{};
  IDispatch* array = ArrayArgument(call);
  const HRESULT read =
      array ? ReadCountsFromArray(array, counts) : ReadCountsFromArguments(call, counts);
  if (FAILED(read)) return read;
  WriteInt(call.result(), zuvelo::CalcSyanten34(counts));
  return S_OK;
}

HRESULT IDispatchBrowserExternalImpl::StartGame(const Invocation& call) {
  return SendRequest(call, "__startGame c=%d V_VT=%d\r\n", "STARTGAME");
}

HRESULT IDispatchBrowserExternalImpl::TrayPopup(const Invocation& call) {
  return SendRequest(call, "__trayPopup c=%d V_VT=%d\r\n", "TRAYPOPUP");
}

// Sent, not posted, so the page's string stays valid while the main window uses it. Without an
// argument the traced type is 0, VT_EMPTY, as if the argument were missing.
HRESULT IDispatchBrowserExternalImpl::SendRequest(const Invocation& call, const char* trace_format,
                                                  const char* command) {
  const VARIANT* first = call.stored(0);
  trace(trace_format, static_cast<int>(call.count()), first ? static_cast<int>(V_VT(first)) : 0);
  const bool one_text = call.count() == 1 && IsType(first, VT_BSTR);
  const WPARAM argument = one_text ? reinterpret_cast<WPARAM>(V_BSTR(first)) : 0;
  SendNamedCommand(::GetParent(host_), command, argument);
  return S_OK;
}

}  // namespace zuvelo
