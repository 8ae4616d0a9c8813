// Callback lookup on the options object, timed calls and the profile.
#include "logana/analyzer_callbacks_win.h"

#include <mmsystem.h>

#include "base/trace.h"
#include "base/variant_win.h"
#include "bridge/automation/script_values.h"

namespace zuvelo {
namespace {

constexpr const wchar_t* kNames[kCallbackCount] = {
    L"OnAnalyzeBegin", L"OnEnumLog",   L"OnEnumCache", L"OnLogBegin", L"OnSceneBegin",
    L"OnTsumo",        L"OnDahai",     L"OnNaki",      L"OnDora",     L"OnReach",
    L"OnAgari",        L"OnRyuukyoku", L"OnSceneEnd",  L"OnLogEnd",   L"OnAnalyzeEnd",
};

// The member number of a callback, or -1. A name the object does not know is not traced.
DISPID FindCallback(IDispatch* options, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(options->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)) ||
      id == DISPID_UNKNOWN) {
    return DISPID_UNKNOWN;
  }
  unique_variant value;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const HRESULT hr =
      options->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.get(), nullptr, nullptr);
  if (FAILED(hr) || value.type() != VT_DISPATCH) id = DISPID_UNKNOWN;
  trace("%-14ls dispid=%d vt=%d hr=%X\r\n", name, static_cast<int>(id),
        static_cast<int>(value.type()), static_cast<unsigned>(hr));
  return id;
}

}  // namespace

const wchar_t* CallbackName(Callback which) { return kNames[static_cast<std::size_t>(which)]; }

void CallbackTable::LookUp(IDispatch* options) {
  for (std::size_t i = 0; i < kCallbackCount; ++i) {
    slots_[i] = CallbackSlot{};
    slots_[i].dispid = FindCallback(options, kNames[i]);
  }
}

HRESULT CallbackTable::Call(Callback which, IDispatch* target, std::span<VARIANT> args,
                            VARIANT* result) {
  CallbackSlot& s = slots_[static_cast<std::size_t>(which)];
  if (s.dispid == DISPID_UNKNOWN) return S_OK;
  const DWORD start = ::timeGetTime();
  const HRESULT hr = CallJSFunc(target, s.dispid, args, result);
  s.time += static_cast<LONG>(::timeGetTime() - start);
  s.count += 1;
  return hr;
}

void CallbackTable::TraceProfile(LONG total_time, LONG run_time) const {
  trace("----- profile -----\r\n");
  for (std::size_t i = 0; i < kCallbackCount; ++i) {
    // Dora indicators are too frequent and too cheap to be worth a line.
    if (static_cast<Callback>(i) == Callback::kOnDora || slots_[i].count == 0) continue;
    trace("%-14ls %5d %7d\r\n", kNames[i], static_cast<int>(slots_[i].time),
          static_cast<int>(slots_[i].count));
  }
  trace("total=%d run=%d\r\n", static_cast<int>(total_time), static_cast<int>(run_time));
}

}  // namespace zuvelo
