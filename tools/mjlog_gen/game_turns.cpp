// A round's turns: draws, the drawn tile's win or calls, riichi, discards and what follows.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "hand/syanten.h"
#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

bool Game::PlayRound() {
  DealRound();
  const int dealer = kyoku_;
  std::vector<int> seed = {wind_ * 4 + kyoku_, honba_,        sticks_,
                           rng_.Below(6),      rng_.Below(6), dead_[0]};
  std::vector<std::vector<TileCode>> hands;
  for (int seat = 0; seat < n_; ++seat) {
    hands.push_back(seats_[seat].hand);
    UpdateWaiting(seat);
    out_.dealSyantenSum[seat] += seats_[seat].syanten;
  }
  const std::vector<int> ten = TenList();
  writer_.Init(seed, ten, dealer, hands);
  GenMove init{GenMove::kInit, dealer};
  init.seed = seed;
  for (int seat = 0; seat < 4; ++seat) init.points[seat] = scores_[seat];
  for (const auto& hand : hands) init.tiles.insert(init.tiles.end(), hand.begin(), hand.end());
  Record(std::move(init));
  for (int seat = 0; seat < 4; ++seat) tenAtInit_[seat] = ten[seat];
  Count(kSceneBegin);
  Count(kSceneEnd);
  ++rounds_;

  Turn turn{dealer, TurnStart::kDraw};
  for (;;) {
    const int seat = turn.seat;
    if (turn.start == TurnStart::kDraw) {
      if (LiveLeft() == 0) {
        RoundResult result = ExhaustiveDraw();
        return Finish(result);
      }
      Draw(seat, wall_[front_++], false);
    }
    if (turn.start != TurnStart::kCalled)
      if (auto result = SelfActions(seat)) return Finish(*result);
    const bool declared = WantsRiichi(seat);
    if (declared) {
      writer_.Reach(seat, 1, {});
      Record({GenMove::kReach, seat});
      Count(kReach);
      ++out_.reaches[seat];
    }
    const TileCode tile = ChooseDiscard(seat, declared);
    Discard(seat, tile);
    Record({GenMove::kDiscard, seat, -1, tile,
            turn.start != TurnStart::kCalled && tile == lastDrawn_});
    std::optional<RoundResult> end;
    turn = AfterDiscard(seat, tile, declared, end);
    if (end) return Finish(*end);
  }
}

Turn Game::AfterDiscard(int seat, TileCode tile, bool declared, std::optional<RoundResult>& end) {
  if ((end = Rons(seat, tile))) return {};
  if (declared) {
    CompleteRiichi(seat);
    if (n_ == 4 && riichiCount_ == 4) {
      end = Abort("reach4", {0, 1, 2, 3});
      return {};
    }
  }
  if (n_ == 4 && discards_ == 4 && !anyCall_ &&
      std::all_of(firstDiscardKinds_.begin(), firstDiscardKinds_.end(),
                  [&](TileKind k) { return k >= 27 && k <= 30 && k == firstDiscardKinds_[0]; })) {
    end = Abort("kaze4", {});
    return {};
  }
  if (kan4Pending_) {
    end = Abort("kan4", {});
    return {};
  }
  if (auto turn = TryCalls(seat, tile)) return *turn;
  // Now and then a player drops out and comes back; the log notes both.
  if (byeSeat_ >= 0) {
    writer_.Reconnect(byeSeat_, names_[byeSeat_]);
    byeSeat_ = -1;
  } else if (rng_.Chance(1)) {
    byeSeat_ = rng_.Below(n_);
    writer_.Bye(byeSeat_);
  }
  return {(seat + 1) % n_, TurnStart::kDraw};
}

void Game::Draw(int seat, TileCode tile, bool rinshan) {
  writer_.Draw(seat, tile);
  Record({GenMove::kDraw, seat, -1, tile});
  Count(kTsumo);
  seats_[seat].hand.push_back(tile);
  ++seats_[seat].draws;
  lastDrawn_ = tile;
  rinshan_ = rinshan;
}

void Game::Discard(int seat, TileCode tile) {
  Seat& s = seats_[seat];
  writer_.Discard(seat, tile);
  Count(kDahai);
  RemoveOne(s.hand, tile);
  s.river.push_back(tile);
  if (!s.riichi) s.tempFuriten = false;
  if (++discards_ <= 4) firstDiscardKinds_.push_back(KindOf(tile));
  UpdateWaiting(seat);
  if (s.syanten != 0) return;
  s.ready = true;
  for (TileKind wait : s.waits)
    for (TileCode own : s.river) s.readyFuriten |= KindOf(own) == wait;
}

// Shanten and waits of a hand between its turns, so checks on others' discards stay cheap.
void Game::UpdateWaiting(int seat) {
  Seat& s = seats_[seat];
  const KindCounts counts = CountsOf(s.hand);
  s.syanten = CalcSyanten34(counts);
  s.waits.clear();
  if (s.syanten != 0) return;
  TileKind waits[kKindCount];
  s.waits.assign(waits, waits + ComputeMachi(counts, waits));
}

void Game::CompleteRiichi(int seat) {
  seats_[seat].riichi = true;
  scores_[seat] -= 1000;
  ++sticks_;
  ++riichiCount_;
  tenAtInit_[seat] -= 10;
  writer_.Reach(seat, 2, TenList());
  Record({GenMove::kReachAccepted, seat});
}

std::optional<RoundResult> Game::SelfActions(int seat) {
  for (;;) {
    WinValue value;
    if (CanWin(seat, lastDrawn_, true, &value)) return Win(seat, seat, lastDrawn_, value);
    const Seat& s = seats_[seat];
    if (!anyCall_ && s.draws == 1 && s.hand.size() == 14) {
      const KindCounts counts = CountsOf(s.hand);
      const auto kinds = std::count_if(kTerminalHonourKinds.begin(), kTerminalHonourKinds.end(),
                                       [&](TileKind k) { return counts[k] > 0; });
      if (kinds >= 9 && (scenario_ == Scenario::kYao9 || rng_.Chance(50)))
        return Abort("yao9", {seat});
    }
    if (LiveLeft() == 0) return std::nullopt;
    if (!TryNuki(seat) && !TryAnkan(seat) && !TryKakan(seat)) return std::nullopt;
  }
}

}  // namespace zuvelo::gen
