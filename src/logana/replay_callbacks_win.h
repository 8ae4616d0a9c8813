// The replay's events as calls of the page's callbacks: each event's arguments in script order
// (lists as script arrays made with the options object's Array), built only for callbacks the
// page supplied. And the replay's fault messages as message boxes.
#pragma once

#include <oaidl.h>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

#include "logana/analyzer_callbacks_win.h"
#include "logana/log_info_object_win.h"
#include "logana/player_object_win.h"
#include "replay/replay_events.h"
#include "replay/replay_types.h"

namespace zuvelo {

// Up to ten arguments (OnAgari's count), set in script order and stored last-first, as
// Invoke takes them. Clearing them at the end drops the references taken for the call.
class CallArgs {
 public:
  static constexpr std::size_t kMost = 10;
  explicit CallArgs(std::size_t count);
  ~CallArgs();
  CallArgs(const CallArgs&) = delete;
  CallArgs& operator=(const CallArgs&) = delete;

  // Argument `index` in script order (0: the first parameter); VT_EMPTY until set.
  [[nodiscard]] VARIANT* at(std::size_t index) { return &stored_[count_ - 1 - index]; }
  void SetInt(std::size_t index, LONG value);
  void SetObject(std::size_t index, IDispatch* object);  // adds a reference
  void SetText(std::size_t index, std::u16string_view text);
  [[nodiscard]] std::span<VARIANT> stored() { return {stored_.data(), count_}; }

 private:
  std::array<VARIANT, kMost> stored_;
  std::size_t count_;
};

class ScriptReplayEvents final : public ReplayEvents {
 public:
  // `target` holds the callbacks and the "Array" constructor.
  ScriptReplayEvents(CallbackTable& callbacks, IDispatch* target, IDispatchLogInfoImpl* log_info,
                     const PlayerSeats& seats);

  [[nodiscard]] EventSet Supplied() const override { return supplied_; }

  int OnLogBegin(const LogInfo& info, const Players& players) override;
  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> rest) override;
  int OnTsumo(int who, int hai) override;
  int OnDahai(int who, int hai) override;
  int OnNaki(const NakiEvent& naki) override;
  int OnDora(int hai) override;
  int OnReach(int who) override;
  int OnAgari(const AgariEvent& agari) override;
  int OnRyuukyoku(const RyuukyokuEvent& ryuukyoku) override;
  int OnSceneEnd() override;
  int OnLogEnd(std::span<const double> owari) override;

 private:
  int Call(Callback which, CallArgs& args);
  int CallWithInts(Callback which, std::initializer_list<LONG> values);
  [[nodiscard]] bool has(Callback which) const { return callbacks_.has(which); }

  CallbackTable& callbacks_;
  IDispatch* target_;
  IDispatchLogInfoImpl* log_info_;
  const PlayerSeats& seats_;
  EventSet supplied_;
};

// Modal, no owner, the platform's default caption and the message's icon.
class MessageBoxReplayReporter final : public ReplayReporter {
 public:
  void Report(const ReplayMessage& message) override;
};

}  // namespace zuvelo
