// The events a replay raises toward the analyzer, one virtual operation each. A sink says
// which events it takes; the replay raises no other and walks no element when it takes none
// of the per-move events.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "replay/naki.h"
#include "replay/replay_types.h"

namespace zuvelo {

enum class ReplayEvent : std::uint8_t {
  kLogBegin,
  kSceneBegin,
  kTsumo,
  kDahai,
  kNaki,
  kDora,
  kReach,
  kAgari,
  kRyuukyoku,
  kSceneEnd,
  kLogEnd,
};
inline constexpr int kReplayEventCount = 11;

// The events' script names, "OnLogBegin" .. "OnLogEnd".
[[nodiscard]] std::string_view ReplayEventName(ReplayEvent event);

class EventSet {
 public:
  constexpr EventSet() = default;
  static constexpr EventSet All() { return EventSet((1u << kReplayEventCount) - 1); }
  // OnSceneBegin .. OnSceneEnd: without any of them the elements are not walked.
  static constexpr EventSet PerMove() { return EventSet(0x3FEu); }
  constexpr EventSet& Add(ReplayEvent event) {
    bits_ |= Bit(event);
    return *this;
  }
  [[nodiscard]] constexpr bool Has(ReplayEvent event) const { return bits_ & Bit(event); }
  [[nodiscard]] constexpr bool Intersects(EventSet other) const { return bits_ & other.bits_; }

 private:
  explicit constexpr EventSet(std::uint32_t bits) : bits_(bits) {}
  static constexpr std::uint32_t Bit(ReplayEvent event) {
    return 1u << static_cast<unsigned>(event);
  }
  std::uint32_t bits_ = 0;
};

struct NakiEvent {
  int who;
  std::uint16_t m;
  MeldCall call;  // type, from and t1..t4
};

struct AgariEvent {
  int who;
  std::array<std::int32_t, 3> ten;  // values the log lacks are 0
  std::span<const std::int32_t> yaku;
  std::span<const std::int32_t> yakuman;
  std::span<const std::int32_t> doraHaiUra;
  std::span<const double> sc;
  int paoWho;
  int fromWho;
};

struct RyuukyokuEvent {
  std::string_view type;             // "" for none
  std::span<const std::int32_t> sc;  // truncated toward zero
  std::array<bool, 4> shown;         // hai0..hai3 non-empty
};

// Every operation returns a result code; a non-zero one stops the replay and becomes its
// result. The defaults accept the event, so a sink overrides only what it takes.
class ReplayEvents {
 public:
  virtual ~ReplayEvents() = default;
  [[nodiscard]] virtual EventSet Supplied() const = 0;
  // False for a sink that reads only tiles and scores: the replay then checks tile counts as
  // always but leaves shanten, waits and furiten as they are, which is most of its work.
  [[nodiscard]] virtual bool ReadsHandValues() const { return true; }

  virtual int OnLogBegin(const LogInfo&, const Players&) { return 0; }
  // seed values 0..4, and the values from index 5 on (dora indicators)
  virtual int OnSceneBegin(std::span<const std::int32_t, 5>, std::span<const std::int32_t>) {
    return 0;
  }
  virtual int OnTsumo(int /*who*/, int /*hai*/) { return 0; }
  virtual int OnDahai(int /*who*/, int /*hai*/) { return 0; }
  virtual int OnNaki(const NakiEvent&) { return 0; }
  virtual int OnDora(int /*hai*/) { return 0; }
  virtual int OnReach(int /*who*/) { return 0; }
  virtual int OnAgari(const AgariEvent&) { return 0; }
  virtual int OnRyuukyoku(const RyuukyokuEvent&) { return 0; }
  virtual int OnSceneEnd() { return 0; }
  virtual int OnLogEnd(std::span<const double> /*owari*/) { return 0; }
};

}  // namespace zuvelo
