// Calls: North set aside and kans on a player's own turn, pon, open kan and chi on a discard.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "mjlog_gen/game_detail.h"
#include "mjlog_gen/meld_codes.h"

namespace zuvelo::gen {
using namespace detail;

bool Game::TryNuki(int seat) {
  Seat& s = seats_[seat];
  if (n_ != 3 || (scenario_ == Scenario::kNagashi && seat == scenarioSeat_)) return false;
  const auto norths = CodesOfKind(s.hand, kNorth);
  if (norths.empty() || !rng_.Chance(90)) return false;
  const TileCode north = norths.front();
  Meld meld{kNuki, {north}, NukiCode(north)};
  RemoveOne(s.hand, north);
  ++s.nukis;
  Call(seat, meld, {north, kNoTile, kNoTile, kNoTile});
  Draw(seat, wall_[--liveEnd_], true);
  return true;
}

bool Game::TryAnkan(int seat) {
  Seat& s = seats_[seat];
  if (s.riichi || kansTotal_ >= 4 || scenario_ == Scenario::kNagashi) return false;
  const KindCounts counts = CountsOf(s.hand);
  for (int kind = 0; kind < kKindCount; ++kind) {
    if (counts[kind] != 4) continue;
    if (scenario_ != Scenario::kKan4 && !rng_.Chance(50)) return false;
    const auto codes = CodesOfKind(s.hand, kind);
    for (TileCode c : codes) RemoveOne(s.hand, c);
    Call(seat, {kAnkan, codes, AnkanCode(codes[0])},
         CalledFirst(codes[0], {codes[1], codes[2], codes[3]}));
    AfterKan(seat);
    return true;
  }
  return false;
}

bool Game::TryKakan(int seat) {
  Seat& s = seats_[seat];
  if (s.riichi || kansTotal_ >= 4 || scenario_ == Scenario::kNagashi) return false;
  for (std::size_t i = 0; i < s.melds.size(); ++i) {
    Meld& pon = s.melds[i];
    if (pon.type != kPon) continue;
    const auto fourth = CodesOfKind(s.hand, KindOf(pon.tiles[0]));
    if (fourth.empty() || !rng_.Chance(50)) continue;
    Meld kan{kKakan, pon.tiles, KakanCode(pon.m)};
    kan.tiles.push_back(fourth[0]);
    RemoveOne(s.hand, fourth[0]);
    writer_.Naki(seat, kan.m);
    Record({GenMove::kCall, seat});
    Count(kNaki);
    kan.from = pon.from;
    out_.calls.push_back({seat, kan.m, kKakan, kan.from, CalledFirst(fourth[0], pon.tiles)});
    pon = kan;
    anyCall_ = true;
    AfterKan(seat);
    return true;
  }
  return false;
}

void Game::AfterKan(int seat) {
  ++seats_[seat].kans;
  ++kansTotal_;
  if (kansTotal_ == 4 && seats_[seat].kans != 4) kan4Pending_ = true;
  if (doraCount_ < 5) {
    Record({GenMove::kDora, -1, -1, dead_[doraCount_]});
    writer_.Dora(dead_[doraCount_++]);
    Count(kDora);
  }
  Draw(seat, wall_[--liveEnd_], true);
}

void Game::Call(int seat, const Meld& meld, const std::array<TileCode, 4>& order) {
  writer_.Naki(seat, meld.m);
  Record({GenMove::kCall, seat});
  Count(kNaki);
  out_.calls.push_back({seat, meld.m, meld.type, meld.from, order});
  if (meld.type != kNuki) seats_[seat].melds.push_back(meld);  // a North set aside is no meld
  if (meld.type == kChi || meld.type == kPon || meld.type == kMinkan) seats_[seat].called = true;
  anyCall_ = true;
}

int Game::Shanten13AfterTaking(int seat, std::vector<TileCode> taken) {
  std::vector<TileCode> rest = seats_[seat].hand;
  for (TileCode c : taken) RemoveOne(rest, c);
  return SyantenOf(rest);
}

std::optional<Turn> Game::TryCalls(int discarder, TileCode tile) {
  if (scenario_ == Scenario::kNagashi || (scenario_ == Scenario::kKaze4 && discards_ <= 4))
    return std::nullopt;
  for (int i = 1; i < n_; ++i) {
    const int seat = (discarder + i) % n_;
    bool minkan = false;
    if (TryPonOrKan(seat, discarder, tile, minkan)) {
      seats_[discarder].riverCalled = true;
      if (minkan) AfterKan(seat);
      return Turn{seat, minkan ? TurnStart::kKanned : TurnStart::kCalled};
    }
  }
  const int next = (discarder + 1) % n_;
  if (n_ == 4 && TryChi(next, discarder, tile)) {
    seats_[discarder].riverCalled = true;
    return Turn{next, TurnStart::kCalled};
  }
  return std::nullopt;
}

bool Game::TryPonOrKan(int seat, int discarder, TileCode tile, bool& minkan) {
  Seat& s = seats_[seat];
  const int kind = KindOf(tile);
  const auto held = CodesOfKind(s.hand, kind);
  if (s.riichi || held.size() < 2) return false;
  const int from = Relative(seat, discarder);
  if (held.size() == 3 && kansTotal_ < 4 && LiveLeft() > 0 && rng_.Chance(25)) {
    for (TileCode c : held) RemoveOne(s.hand, c);
    std::vector<TileCode> tiles = held;
    tiles.push_back(tile);
    Call(seat, {kMinkan, tiles, MinkanCode(tile, from), from}, CalledFirst(tile, held));
    minkan = true;
    return true;
  }
  const int seatWind = 27 + (seat - kyoku_ + n_) % n_;
  const bool yakuhai = kind >= 31 || kind == seatWind || kind == 27 + wind_;
  const int before = s.syanten;
  const bool improves = Shanten13AfterTaking(seat, {held[0], held[1]}) < before;
  const int chance = yakuhai ? 80 : !improves ? 0 : Closed(seat) ? 10 : 40;
  if (!rng_.Chance(chance)) return false;
  TileCode unused = static_cast<TileCode>(kind * 4);
  while (unused == tile || unused == held[0] || unused == held[1]) ++unused;
  RemoveOne(s.hand, held[0]);
  RemoveOne(s.hand, held[1]);
  Call(seat, {kPon, {tile, held[0], held[1]}, PonCode(unused, tile, from), from},
       CalledFirst(tile, {held[0], held[1]}));
  return true;
}

bool Game::TryChi(int seat, int discarder, TileCode tile) {
  Seat& s = seats_[seat];
  const int kind = KindOf(tile);
  if (s.riichi || IsHonour(kind)) return false;
  const int rank = kind % 9;
  const int before = s.syanten;
  for (int low = kind - 2; low <= kind; ++low) {
    if (low < kind - rank || low + 2 > kind - rank + 8) continue;
    std::vector<TileCode> own;
    for (int k = low; k <= low + 2; ++k) {
      if (k == kind) continue;
      const auto codes = CodesOfKind(s.hand, k);
      if (codes.empty()) break;
      own.push_back(codes.front());
    }
    if (own.size() != 2) continue;
    if (Shanten13AfterTaking(seat, own) >= before) continue;
    if (!rng_.Chance(Closed(seat) ? 8 : 40)) return false;
    std::vector<TileCode> tiles = {tile, own[0], own[1]};
    std::sort(tiles.begin(), tiles.end(),
              [](TileCode a, TileCode b) { return KindOf(a) < KindOf(b); });
    RemoveOne(s.hand, own[0]);
    RemoveOne(s.hand, own[1]);
    const int from = Relative(seat, discarder);
    Call(seat, {kChi, tiles, ChiCode(tiles[0], tiles[1], tiles[2], tile, from), from},
         CalledFirst(tile, own));
    return true;
  }
  return false;
}

}  // namespace zuvelo::gen
