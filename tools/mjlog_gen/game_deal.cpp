// Dealing a round: the wall, the dead wall and the hands, some stacked for a rare ending.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

bool Game::TakeKind(std::vector<TileCode>& pool, std::vector<TileCode>& hand, int kind) {
  const auto it =
      std::find_if(pool.begin(), pool.end(), [&](TileCode c) { return KindOf(c) == kind; });
  if (it == pool.end()) return false;
  hand.push_back(*it);
  pool.erase(it);
  return true;
}

bool Game::TakeSet(std::vector<TileCode>& pool, std::vector<TileCode>& hand, bool simplesOnly) {
  const KindCounts counts = CountsOf(pool);
  for (int attempt = 0; attempt < 60; ++attempt) {
    // Three-player sets have no 2m..8m, so their sequences come from circles and bamboos.
    const int suit = n_ == 3 ? 1 + rng_.Below(2) : rng_.Below(3);
    if (rng_.Chance(30)) {
      const int kind = simplesOnly ? suit * 9 + 1 + rng_.Below(7) : rng_.Below(kKindCount);
      if (counts[kind] < 3) continue;
      for (int i = 0; i < 3; ++i) TakeKind(pool, hand, kind);
      return true;
    }
    const int low = suit * 9 + (simplesOnly ? 1 + rng_.Below(5) : rng_.Below(7));
    if (!counts[low] || !counts[low + 1] || !counts[low + 2]) continue;
    for (int i = 0; i < 3; ++i) TakeKind(pool, hand, low + i);
    return true;
  }
  return false;
}

void Game::FillScenarioHands(std::vector<TileCode>& pool, std::vector<TileCode>& stacked) {
  const int dealer = kyoku_;
  auto hand = [&](int seat) -> std::vector<TileCode>& { return seats_[seat].hand; };
  switch (scenario_) {
    case Scenario::kYao9: {
      std::vector<TileKind> kinds(kTerminalHonourKinds.begin(), kTerminalHonourKinds.end());
      rng_.Shuffle(kinds);
      for (int i = 0; i < 9; ++i) TakeKind(pool, hand(dealer), kinds[i]);
      break;
    }
    case Scenario::kKaze4:
      scenarioKind_ = 27 + rng_.Below(4);
      for (int seat = 0; seat < 4; ++seat) TakeKind(pool, hand(seat), scenarioKind_);
      break;
    case Scenario::kReach4:
      for (int seat = 0; seat < 4; ++seat) {
        for (int set = 0; set < 4; ++set) TakeSet(pool, hand(seat), false);
        TakeKind(pool, hand(seat), KindOf(pool[rng_.Below(static_cast<int>(pool.size()))]));
      }
      break;
    case Scenario::kRon3:
      scenarioKind_ = rng_.Below(3) * 9 + 1 + rng_.Below(7);
      for (int seat = 0; seat < 4; ++seat) {
        TakeKind(pool, hand(seat), scenarioKind_);
        if (seat == dealer) continue;
        for (int set = 0; set < 4; ++set) TakeSet(pool, hand(seat), true);
      }
      break;
    case Scenario::kKan4:
      for (int seat : {dealer, (dealer + 1) % n_})
        for (int quad = 0; quad < 2; ++quad) {
          const KindCounts counts = CountsOf(pool);
          std::vector<int> full;
          for (int kind = 0; kind < kKindCount; ++kind)
            if (counts[kind] == 4) full.push_back(kind);
          const int kind = full[rng_.Below(static_cast<int>(full.size()))];
          for (int i = 0; i < 4; ++i) TakeKind(pool, hand(seat), kind);
        }
      break;
    case Scenario::kNagashi: {
      std::vector<TileCode> terminals;
      for (TileCode c : pool)
        if (IsTerminalOrHonour(KindOf(c))) terminals.push_back(c);
      for (TileCode c : terminals) RemoveOne(pool, c);
      for (int i = 0; i < 13; ++i) hand(scenarioSeat_).push_back(terminals[i]);
      stacked.assign(terminals.begin() + 13, terminals.end());
      break;
    }
    case Scenario::kNone:
      break;
  }
}

void Game::DealRound() {
  const int dealer = kyoku_;
  for (Seat& seat : seats_) seat = Seat{};
  scenario_ = Scenario::kNone;
  if (rng_.Chance(options_.scenarioPercent)) {
    static const Scenario kFour[] = {Scenario::kYao9, Scenario::kKaze4, Scenario::kReach4,
                                     Scenario::kRon3, Scenario::kKan4,  Scenario::kNagashi};
    static const Scenario kThree[] = {Scenario::kYao9, Scenario::kKan4, Scenario::kNagashi};
    scenario_ = n_ == 4 ? kFour[rng_.Below(6)] : kThree[rng_.Below(3)];
  }
  scenarioSeat_ = rng_.Below(n_);
  std::vector<TileCode> pool;
  for (int code = 0; code < kTileCodeCount; ++code)
    if (n_ == 4 || KindOf(code) < 1 || KindOf(code) > 7)
      pool.push_back(static_cast<TileCode>(code));
  rng_.Shuffle(pool);
  std::vector<TileCode> stacked;
  FillScenarioHands(pool, stacked);
  dead_.assign(pool.end() - 14, pool.end());
  pool.resize(pool.size() - 14);
  for (int seat = 0; seat < n_; ++seat)
    while (seats_[seat].hand.size() < 13) {
      seats_[seat].hand.push_back(pool.back());
      pool.pop_back();
    }
  // The nagashi player's draws are stacked with terminals and honours; the others' are not.
  wall_.clear();
  std::size_t next = 0;
  const std::size_t total = pool.size() + stacked.size();
  for (std::size_t k = 0; k < total; ++k) {
    const bool players = (dealer + static_cast<int>(k)) % n_ == scenarioSeat_;
    if (players && !stacked.empty()) {
      wall_.push_back(stacked.back());
      stacked.pop_back();
    } else if (next < pool.size()) {
      wall_.push_back(pool[next++]);
    } else {
      wall_.push_back(stacked.back());
      stacked.pop_back();
    }
  }
  front_ = 0;
  liveEnd_ = static_cast<int>(wall_.size());
  doraCount_ = 1;
  kansTotal_ = riichiCount_ = discards_ = 0;
  anyCall_ = kan4Pending_ = rinshan_ = false;
  firstDiscardKinds_.clear();
  byeSeat_ = -1;
}

}  // namespace zuvelo::gen
