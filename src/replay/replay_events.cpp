// Script names of the replay's events.
#include "replay/replay_events.h"

#include <array>

namespace zuvelo {

std::string_view ReplayEventName(ReplayEvent event) {
  static constexpr std::array<std::string_view, kReplayEventCount> kNames = {
      "OnLogBegin", "OnSceneBegin", "OnTsumo",     "OnDahai",    "OnNaki",   "OnDora",
      "OnReach",    "OnAgari",      "OnRyuukyoku", "OnSceneEnd", "OnLogEnd",
  };
  const auto index = static_cast<std::size_t>(event);
  return index < kNames.size() ? kNames[index] : std::string_view();
}

}  // namespace zuvelo
