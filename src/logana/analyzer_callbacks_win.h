// The analyzer's 15 script callbacks: their names, looked up as members of the options object
// that a page hands to analyze, called by member number with the time spent in each counted,
// and the profile of those times written to the trace at the end of a run.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <array>
#include <cstddef>
#include <span>

namespace zuvelo {

// In table order; the order is also the order of lookup and of the profile.
enum class Callback : std::size_t {
  kOnAnalyzeBegin,
  kOnEnumLog,
  kOnEnumCache,
  kOnLogBegin,
  kOnSceneBegin,
  kOnTsumo,
  kOnDahai,
  kOnNaki,
  kOnDora,
  kOnReach,
  kOnAgari,
  kOnRyuukyoku,
  kOnSceneEnd,
  kOnLogEnd,
  kOnAnalyzeEnd,
};
inline constexpr std::size_t kCallbackCount = 15;

[[nodiscard]] const wchar_t* CallbackName(Callback which);

struct CallbackSlot {
  DISPID dispid = DISPID_UNKNOWN;  // -1: the script did not supply this callback
  LONG time = 0;                   // milliseconds spent in it
  LONG count = 0;                  // calls made
};

class CallbackTable {
 public:
  // A callback exists when `options` has a property of its name whose value is an object.
  // Each name the object knows is traced with what its read gave.
  void LookUp(IDispatch* options);

  [[nodiscard]] const CallbackSlot& slot(Callback which) const {
    return slots_[static_cast<std::size_t>(which)];
  }
  [[nodiscard]] bool has(Callback which) const { return slot(which).dispid != DISPID_UNKNOWN; }

  // Calls the callback on `target` with `args` in stored order (the last script parameter
  // first). An absent callback is S_OK without a call. `result` may be null.
  HRESULT Call(Callback which, IDispatch* target, std::span<VARIANT> args, VARIANT* result);

  // The profile: every callback called at least once but OnDora, then the two run times.
  void TraceProfile(LONG total_time, LONG run_time) const;

 private:
  std::array<CallbackSlot, kCallbackCount> slots_{};
};

}  // namespace zuvelo
