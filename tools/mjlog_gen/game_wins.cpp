// Wins: whether a tile completes a hand with a yaku, wins on a discard, and what a win pays.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

bool Game::CanWin(int seat, TileCode tile, bool tsumo, WinValue* value) {
  if (scenario_ == Scenario::kNagashi || scenario_ == Scenario::kKaze4) return false;
  const Seat& s = seats_[seat];
  std::vector<TileCode> hand = s.hand;
  if (!tsumo) hand.push_back(tile);
  if (SyantenOf(hand) != -1) return false;
  WinContext c;
  c.concealed = CountsOf(hand);
  for (const Meld& meld : s.melds) {
    for (TileCode t : meld.tiles) c.meldKinds.push_back(KindOf(t));
    if (meld.type != kChi) c.tripletKinds.push_back(KindOf(meld.tiles[0]));
  }
  c.closed = Closed(seat);
  c.riichi = s.riichi;
  c.tsumo = tsumo;
  c.rinshan = tsumo && rinshan_;
  c.lastTile = LiveLeft() == 0;
  c.seatWind = 27 + (seat - kyoku_ + n_) % n_;
  c.roundWind = 27 + wind_;
  std::vector<TileCode> all = hand;
  for (const Meld& meld : s.melds) all.insert(all.end(), meld.tiles.begin(), meld.tiles.end());
  for (int i = 0; i < doraCount_; ++i) {
    const TileKind dora = DoraKindOf(dead_[i], n_ == 3);
    c.dora += static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](TileCode t) { return KindOf(t) == dora; }));
    if (s.riichi) {
      const TileKind ura = DoraKindOf(dead_[5 + i], n_ == 3);
      c.ura += static_cast<int>(
          std::count_if(all.begin(), all.end(), [&](TileCode t) { return KindOf(t) == ura; }));
    }
  }
  c.dora += s.nukis;
  if (options_.redFives) c.red = static_cast<int>(std::count_if(all.begin(), all.end(), IsRedFive));
  *value = EvaluateWin(c);
  return value->HasYaku();
}

bool Game::IsFuriten(int seat) {
  const Seat& s = seats_[seat];
  if (s.tempFuriten) return true;
  for (TileKind wait : s.waits)
    for (TileCode own : s.river)
      if (KindOf(own) == wait) return true;
  return false;
}

std::optional<RoundResult> Game::Rons(int discarder, TileCode tile) {
  std::vector<int> winners;
  std::vector<WinValue> values;
  for (int i = 1; i < n_; ++i) {
    const int seat = (discarder + i) % n_;
    const auto& waits = seats_[seat].waits;
    if (std::find(waits.begin(), waits.end(), KindOf(tile)) == waits.end()) continue;
    WinValue value;
    if (IsFuriten(seat) || !CanWin(seat, tile, false, &value)) {
      seats_[seat].tempFuriten = true;  // passed a winning tile
      continue;
    }
    winners.push_back(seat);
    values.push_back(value);
  }
  if (winners.empty()) return std::nullopt;
  if (n_ == 4 && winners.size() == 3) return Abort("ron3", winners);
  for (std::size_t i = 1; i < winners.size(); ++i) seats_[winners[i]].tempFuriten = true;
  RoundResult result = Win(winners[0], discarder, tile, values[0]);
  if (options_.doubleRon && winners.size() == 2) {
    // Both win; the riichi deposits go to the first in turn order only.
    RoundResult second = Win(winners[1], discarder, tile, values[1]);
    second.deltas[winners[1]] -= sticks_ * 1000;
    second.agari.sticks = 0;
    result.dealerKeeps |= second.dealerKeeps;
    result.alsoWon.push_back(std::move(second));
  }
  return result;
}

RoundResult Game::Win(int winner, int from, TileCode tile, const WinValue& value) {
  RoundResult r;
  r.win = true;
  r.winner = winner;
  const int dealer = kyoku_;
  const bool tsumo = winner == from;
  int points = 0;
  for (int seat = 0; seat < n_; ++seat) {
    if (seat == winner || (!tsumo && seat != from)) continue;
    int pay;
    if (!tsumo)
      pay = RoundUp100((winner == dealer ? 6 : 4) * value.base);
    else if (winner == dealer || seat == dealer)
      pay = RoundUp100(2 * value.base);
    else
      pay = RoundUp100(value.base);
    points += pay;
    pay += honba_ * (tsumo ? 100 : 300);
    r.deltas[seat] -= pay;
    r.deltas[winner] += pay;
    if (options_.chips) {
      --r.chipDeltas[seat];
      ++r.chipDeltas[winner];
    }
  }
  r.deltas[winner] += sticks_ * 1000;
  r.dealerKeeps = winner == dealer;
  const Seat& s = seats_[winner];
  LogWriter::Agari& a = r.agari;
  a.honba = honba_;
  a.sticks = sticks_;
  a.hai = s.hand;
  if (!tsumo) a.hai.push_back(tile);
  std::sort(a.hai.begin(), a.hai.end());
  for (const Meld& meld : s.melds) a.melds.push_back(meld.m);
  a.machi = tile;
  a.fu = value.fu;
  a.points = points;
  a.limit = value.limit;
  a.yaku = value.yaku;
  a.yakuman = value.yakuman;
  a.doraHai.assign(dead_.begin(), dead_.begin() + doraCount_);
  if (s.riichi) a.doraHaiUra.assign(dead_.begin() + 5, dead_.begin() + 5 + doraCount_);
  a.who = winner;
  a.fromWho = from;
  a.paoWho = -1;
  return r;
}

}  // namespace zuvelo::gen
