// Members of the hand object and the name rule of its slots.
#include "logana/tehai_object_win.h"

#include <algorithm>
#include <new>

#include "bridge/automation/script_values.h"
#include "logana/script_results_win.h"
#include "shell/services/mainthread_calls_win.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {
namespace {

constexpr int kSlotCount = 14;

// A name made only of decimal digits, as a number; -1 for a number past the slots, however
// many digits it has. None for any other name.
std::optional<int> DigitName(const wchar_t* name) {
  int value = 0;
  for (const wchar_t* c = name; *c != L'\0'; ++c) {
    if (*c < L'0' || *c > L'9') return std::nullopt;
    if (value >= 0) value = value * 10 + (*c - L'0');
    if (value >= kSlotCount) value = -1;
  }
  return value;
}

}  // namespace

std::span<const Member<IDispatchTehaiImpl>> IDispatchTehaiImpl::Members() {
  using T = IDispatchTehaiImpl;
  constexpr auto kProperty = MemberKind::kProperty;
  // The slots have no table name: LookupName gives their numbers.
  static constexpr Member<T> members[] = {
      {L"length", 100, kProperty, &T::Length},
      {L"sort", 101, MemberKind::kMethod, &T::Sort},
      {L"syanten", 102, MemberKind::kMethod, &T::Syanten},
      {L"machi", 103, MemberKind::kMethod, &T::Machi},
      {L"machiCount", 104, MemberKind::kMethod, &T::MachiCount},
      {L"furiten", 105, MemberKind::kMethod, &T::Furiten},
      {L"toArray", 106, MemberKind::kMethod, &T::ToArray},
      {nullptr, 200, kProperty, &T::Slot},
      {nullptr, 201, kProperty, &T::Slot},
      {nullptr, 202, kProperty, &T::Slot},
      {nullptr, 203, kProperty, &T::Slot},
      {nullptr, 204, kProperty, &T::Slot},
      {nullptr, 205, kProperty, &T::Slot},
      {nullptr, 206, kProperty, &T::Slot},
      {nullptr, 207, kProperty, &T::Slot},
      {nullptr, 208, kProperty, &T::Slot},
      {nullptr, 209, kProperty, &T::Slot},
      {nullptr, 210, kProperty, &T::Slot},
      {nullptr, 211, kProperty, &T::Slot},
      {nullptr, 212, kProperty, &T::Slot},
      {nullptr, 213, kProperty, &T::Slot},
  };
  return members;
}

com_ptr<IDispatchTehaiImpl> IDispatchTehaiImpl::Create(std::shared_ptr<Tehai> record, HWND host) {
  com_ptr<IDispatchTehaiImpl> hand(new (std::nothrow) IDispatchTehaiImpl(std::move(record)));
  if (!hand) return {};
  // The answer carries one reference, which becomes ours.
  hand->script_.reset(reinterpret_cast<IDispatch*>(SendNamedCommand(host, "GETSCRIPT", 0)));
  if (!hand->script_) {
    ShowMessageBox(host, "GETSCRIPT FAILED", nullptr, MB_ICONERROR);
    return {};
  }
  return hand;
}

HRESULT IDispatchTehaiImpl::LookupName(const wchar_t* name, DISPID* id) {
  if (const std::optional<int> slot = DigitName(name)) {
    if (*slot < 0) {
      *id = DISPID_UNKNOWN;
      return DISP_E_BADINDEX;
    }
    *id = kFirstSlot + *slot;
    return S_OK;
  }
  return AutomationObject::LookupName(name, id);
}

HRESULT IDispatchTehaiImpl::Length(const Invocation& call) {
  return WriteIntResult(call.result(), record_->nHai);
}

HRESULT IDispatchTehaiImpl::Sort(const Invocation&) {
  record_->Sort();
  return S_OK;
}

HRESULT IDispatchTehaiImpl::Syanten(const Invocation& call) {
  if (call.result() == nullptr) return S_OK;
  return WriteIntResult(call.result(), record_->Syanten());
}

HRESULT IDispatchTehaiImpl::Machi(const Invocation& call) {
  if (call.result() == nullptr) return S_OK;
  return BuildByteArray(script_.get(), record_->machi, call.result());
}

HRESULT IDispatchTehaiImpl::MachiCount(const Invocation& call) {
  if (call.result() == nullptr) return S_OK;
  return WriteIntResult(call.result(), record_->MachiCount());
}

HRESULT IDispatchTehaiImpl::Furiten(const Invocation& call) {
  if (call.result() == nullptr) return S_OK;
  return WriteBoolResult(call.result(), record_->furiten);
}

HRESULT IDispatchTehaiImpl::ToArray(const Invocation& call) {
  if (call.result() == nullptr) return S_OK;
  const int filled = std::clamp(record_->nHai, 0, kSlotCount);
  return BuildByteArray(script_.get(), std::span(record_->hai).first(filled), call.result());
}

// Slots cannot be written; a read that also asks to write says so.
HRESULT IDispatchTehaiImpl::Slot(const Invocation& call) {
  if (call.flags() & DISPATCH_PROPERTYPUT) return DISP_E_ARRAYISLOCKED;
  return WriteIntResult(call.result(), record_->hai[call.id() - kFirstSlot]);
}

}  // namespace zuvelo
