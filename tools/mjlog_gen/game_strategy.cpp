// The players' choices: when to declare riichi and which tile to discard.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "hand/syanten.h"
#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

bool Game::WantsRiichi(int seat) {
  const Seat& s = seats_[seat];
  if (s.riichi || !Closed(seat) || scores_[seat] < 1000 || LiveLeft() < n_) return false;
  if (scenario_ == Scenario::kNagashi || scenario_ == Scenario::kKaze4) return false;
  if (SyantenOf(s.hand) > 0) return false;
  return scenario_ == Scenario::kReach4 || rng_.Chance(85);
}

std::optional<TileCode> Game::ForcedDiscard(int seat) {
  const Seat& s = seats_[seat];
  if (scenario_ == Scenario::kKaze4 && discards_ < 4) {
    const auto winds = CodesOfKind(s.hand, scenarioKind_);
    if (!winds.empty()) return winds.front();
  }
  if (scenario_ == Scenario::kRon3 && discards_ == 0) {
    const auto x = CodesOfKind(s.hand, scenarioKind_);
    if (!x.empty()) return x.front();
  }
  if (scenario_ == Scenario::kNagashi && seat == scenarioSeat_) {
    if (IsTerminalOrHonour(KindOf(lastDrawn_)) &&
        std::find(s.hand.begin(), s.hand.end(), lastDrawn_) != s.hand.end())
      return lastDrawn_;
    for (TileCode c : s.hand)
      if (IsTerminalOrHonour(KindOf(c))) return c;
  }
  return std::nullopt;
}

// The discard that leaves the lowest shanten; ties go to lone honours, then terminals, then
// chance. A riichi hand throws what it drew.
TileCode Game::ChooseDiscard(int seat, bool declaring) {
  const Seat& s = seats_[seat];
  if (s.riichi) return lastDrawn_;
  if (!declaring)
    if (auto forced = ForcedDiscard(seat)) return *forced;
  KindCounts counts = CountsOf(s.hand);
  int best = 99, bestScore = -1, bestKind = KindOf(s.hand.front());
  for (int kind = 0; kind < kKindCount; ++kind) {
    if (!counts[kind]) continue;
    --counts[kind];
    const int syanten = CalcSyanten34(counts);
    ++counts[kind];
    if (declaring && syanten != 0) continue;
    const int score = (IsHonour(kind) && counts[kind] == 1 ? 200 : 0) +
                      (IsTerminalOrHonour(kind) ? 100 : 0) + rng_.Below(100);
    if (syanten < best || (syanten == best && score > bestScore)) {
      best = syanten;
      bestScore = score;
      bestKind = kind;
    }
  }
  if (KindOf(lastDrawn_) == bestKind &&
      std::find(s.hand.begin(), s.hand.end(), lastDrawn_) != s.hand.end())
    return lastDrawn_;
  return CodesOfKind(s.hand, bestKind).front();
}

}  // namespace zuvelo::gen
