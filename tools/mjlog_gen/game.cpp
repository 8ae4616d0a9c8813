// Whole generated games: wall, deals, turns, calls, riichi, wins, draws and final scores.
#include "mjlog_gen/game.h"

#include <algorithm>
#include <cstdio>

#include "hand/syanten.h"
#include "mjlog_gen/meld_codes.h"

namespace zuvelo::gen {
namespace {

constexpr int kNorth = 30;
enum Event {
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
  kLogEnd
};
enum CallType { kChi = 0, kPon = 1, kNuki = 2, kAnkan = 4, kMinkan = 5, kKakan = 6 };

KindCounts CountsOf(const std::vector<TileCode>& tiles) {
  return CountKinds(tiles.data(), tiles.size());
}

int SyantenOf(const std::vector<TileCode>& tiles) { return CalcSyanten34(CountsOf(tiles)); }

// With red fives, the first code of each suit's five is the red one.
bool IsRedFive(TileCode code) { return code == 16 || code == 52 || code == 88; }

void RemoveOne(std::vector<TileCode>& tiles, TileCode code) {
  tiles.erase(std::find(tiles.begin(), tiles.end(), code));
}

// Codes of a kind in the tiles, ascending.
std::vector<TileCode> CodesOfKind(const std::vector<TileCode>& tiles, int kind) {
  std::vector<TileCode> codes;
  for (TileCode c : tiles)
    if (KindOf(c) == kind) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  return codes;
}

std::vector<TileCode> Sorted(std::vector<TileCode> tiles) {
  std::sort(tiles.begin(), tiles.end());
  return tiles;
}

// t1 followed by the other codes ascending: how the replay reports a call's tiles.
std::array<TileCode, 4> CalledFirst(TileCode t1, std::vector<TileCode> others) {
  std::sort(others.begin(), others.end());
  std::array<TileCode, 4> order{t1, kNoTile, kNoTile, kNoTile};
  for (std::size_t i = 0; i < others.size() && i < 3; ++i) order[i + 1] = others[i];
  return order;
}

// Plain UTF-8 to UTF-16 for the names the generator chose (all in the basic plane).
std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
    unsigned value = length == 1 ? b : length == 2 ? b & 0x1F : b & 0x0F;
    for (int k = 1; k < length; ++k) value = value << 6 | (utf8[i + k] & 0x3F);
    out.push_back(static_cast<char16_t>(value));
    i += static_cast<std::size_t>(length);
  }
  return out;
}

}  // namespace

Game::Game(std::uint64_t seed, const GenOptions& options)
    : rng_(seed), options_(options), n_(options.players == 3 ? 3 : 4) {
  out_.players = n_;
}

GeneratedGame Game::Play() {
  WriteHeader();
  Count(kLogBegin);
  while (!PlayRound()) {
  }
  writer_.End();
  Count(kLogEnd);
  for (int seat = 0; seat < 4; ++seat) {
    out_.finalHands[seat] = Sorted(seats_[seat].hand);
    out_.finalTen[seat] = tenAtInit_[seat];
  }
  out_.text = writer_.Take();
  for (int seat = 0; seat < 4; ++seat) out_.names[seat] = Utf16(names_[seat]);
  return std::move(out_);
}

void Game::WriteHeader() {
  static const char* const kNames[] = {
      "Kotaro",
      "Mizuki",
      "NoName",
      "tile_cat",
      "\xE9\x9B\x80\xE5\xA3\xAB",
      "\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86",
      "\xE3\x81\xBE\xE3\x83\xBC\xE3\x81\x98\xE3\x82\x83\xE3\x82\x93",
      "\xE3\x83\xAD\xE3\x83\xB3\xE5\xA4\xAA\xE9\x83\x8E",
      "Caf\xC3\xA9 au lait",
      "\xE5\x8C\x97\xE5\xAE\xB6",
      "\xE4\xB8\x80\xE7\x99\xBA\xE5\xB1\x8B",
      "a+b=c&d",
  };
  std::vector<std::string> names;
  std::vector<int> dan;
  std::vector<double> rate;
  std::string sx;
  for (int seat = 0; seat < 4; ++seat) {
    const bool present = seat < n_;
    names_[seat] = present ? kNames[rng_.Below(std::size(kNames))] : "";
    names.push_back(names_[seat]);
    dan.push_back(present ? rng_.Below(21) : 0);
    rate.push_back(present ? 1200.0 + rng_.Below(110000) / 100.0 : 1500.0);
    sx += std::string(seat ? "," : "") + "MFC"[present ? rng_.Below(3) : 2];
    scores_[seat] = present ? (n_ == 4 ? 25000 : 35000) : 0;
  }
  const int gameType = 0xA1 | (n_ == 3 ? kGameTypeThreePlayers : 0) |
                       (options_.southRound ? kGameTypeEastSouth : 0) |
                       (options_.redFives ? 0 : kGameTypeNoRedFives) |
                       (options_.fast ? kGameTypeFast : 0);
  out_.gameType = gameType;
  char name[64];
  std::snprintf(name, sizeof name, "%04d%02d%02d%02dgm-%04x-0000-%08x&tw=%d", 2009 + rng_.Below(4),
                1 + rng_.Below(12), 1 + rng_.Below(28), rng_.Below(24), gameType,
                static_cast<unsigned>(rng_.Next() & 0xFFFFFFFF), rng_.Below(n_));
  out_.name = name;
  writer_.Root(options_.timedRoot, 1230000000 + rng_.Below(100000000));
  std::string shuffle = "mt19937ar-sha512-n288-base64,";
  for (int i = 0; i < 40; ++i)
    shuffle += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[rng_.Below(64)];
  writer_.Shuffle(shuffle);
  writer_.Go(gameType, 0);
  writer_.Players(names, dan, rate, sx);
  writer_.Taikyoku(0);
}

bool Game::Closed(int seat) const {
  const auto& melds = seats_[seat].melds;
  return std::all_of(melds.begin(), melds.end(), [](const Meld& m) { return m.type == kAnkan; });
}

std::vector<int> Game::TenList() const {
  std::vector<int> ten;
  for (int seat = 0; seat < 4; ++seat) ten.push_back(scores_[seat] / 100);
  return ten;
}

std::vector<int> Game::ScoreList(const RoundResult& result) const {
  std::vector<int> sc;
  for (int seat = 0; seat < 4; ++seat) {
    sc.push_back(scores_[seat] / 100);
    sc.push_back(result.deltas[seat] / 100);
    if (options_.chips) {
      sc.push_back(chips_[seat]);
      sc.push_back(result.chipDeltas[seat]);
    }
  }
  return sc;
}

// ---- dealing ----------------------------------------------------------------------------

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

// ---- a round ----------------------------------------------------------------------------

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

// ---- own turn ---------------------------------------------------------------------------

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

// ---- calls on a discard -------------------------------------------------------------------

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

// ---- wins and draws -----------------------------------------------------------------------

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

RoundResult Game::Abort(const std::string& type, std::vector<int> shownSeats) {
  RoundResult r;
  r.type = type;
  r.dealerKeeps = true;
  for (int seat : shownSeats) r.shown[seat] = Sorted(seats_[seat].hand);
  return r;
}

RoundResult Game::ExhaustiveDraw() {
  RoundResult r;
  std::vector<int> tenpai, noten, nagashi;
  for (int seat = 0; seat < n_; ++seat) {
    const Seat& s = seats_[seat];
    (SyantenOf(s.hand) == 0 ? tenpai : noten).push_back(seat);
    out_.drawsReady[seat] += SyantenOf(s.hand) == 0;
    if (!s.river.empty() && !s.riverCalled &&
        std::all_of(s.river.begin(), s.river.end(),
                    [](TileCode t) { return IsTerminalOrHonour(KindOf(t)); }))
      nagashi.push_back(seat);
  }
  for (int seat : tenpai) r.shown[seat] = Sorted(seats_[seat].hand);
  r.dealerKeeps = std::find(tenpai.begin(), tenpai.end(), kyoku_) != tenpai.end();
  if (!nagashi.empty()) {
    r.type = "nm";
    for (int q : nagashi)
      for (int seat = 0; seat < n_; ++seat) {
        if (seat == q) continue;
        const int pay = q == kyoku_ || seat == kyoku_ ? 4000 : 2000;
        r.deltas[seat] -= pay;
        r.deltas[q] += pay;
      }
    return r;
  }
  if (tenpai.empty() || noten.empty()) return r;
  const int total = n_ == 4 ? 3000 : 2000;
  for (int seat : tenpai) r.deltas[seat] += total / static_cast<int>(tenpai.size());
  for (int seat : noten) r.deltas[seat] -= total / static_cast<int>(noten.size());
  return r;
}

// Applies the round's result, moves the deal on and writes the closing element, with the final
// scores when the game is over. True then.
bool Game::Finish(RoundResult& r) {
  for (int seat = 0; seat < n_; ++seat) {
    out_.calledRounds[seat] += seats_[seat].called;
    out_.readyRounds[seat] += seats_[seat].ready;
    out_.readyFuritenRounds[seat] += seats_[seat].readyFuriten;
  }
  const std::vector<int> sc = ScoreList(r);
  const int honba = honba_, sticks = sticks_;
  for (int seat = 0; seat < 4; ++seat) {
    scores_[seat] += r.deltas[seat];
    chips_[seat] += r.chipDeltas[seat];
  }
  for (RoundResult& also : r.alsoWon) {  // its list shows the scores after the first win
    also.agari.sc = ScoreList(also);
    for (int seat = 0; seat < 4; ++seat) {
      scores_[seat] += also.deltas[seat];
      chips_[seat] += also.chipDeltas[seat];
    }
  }
  if (r.win) {
    sticks_ = 0;
    honba_ = r.dealerKeeps ? honba_ + 1 : 0;
  } else {
    ++honba_;
  }
  const bool last = wind_ == (options_.southRound ? 1 : 0) && kyoku_ == n_ - 1;
  const int top =
      static_cast<int>(std::max_element(scores_.begin(), scores_.begin() + n_) - scores_.begin());
  bool over = std::any_of(scores_.begin(), scores_.begin() + n_, [](int s) { return s < 0; }) ||
              rounds_ >= 24 || (last && (!r.dealerKeeps || top == kyoku_));
  if (!r.dealerKeeps && ++kyoku_ == n_) {
    kyoku_ = 0;
    ++wind_;
  }
  const std::string owari = over ? Owari() : "";
  if (r.win) {
    r.agari.sc = sc;
    std::vector<const RoundResult*> wins{&r};
    for (const RoundResult& also : r.alsoWon) wins.push_back(&also);
    for (const RoundResult* w : wins) {
      writer_.AgariElement(w->agari, w == wins.back() ? owari : "");
      Record({GenMove::kAgari,
              w->agari.who,
              w->agari.fromWho,
              kNoTile,
              false,
              {},
              w->agari.doraHaiUra,
              w->deltas});
      Count(kAgari);
      ++out_.wins;
      CountWin(w->agari);
    }
  } else {
    std::vector<std::vector<TileCode>> shown(r.shown.begin(), r.shown.begin() + n_);
    writer_.Ryuukyoku(r.type, honba, sticks, sc, shown, owari);
    Record({GenMove::kRyuukyoku, -1, -1, kNoTile, false, {}, {}, r.deltas});
    Count(kRyuukyoku);
    out_.ryuukyokuTypes.push_back(r.type);
  }
  return over;
}

void Game::CountWin(const LogWriter::Agari& agari) {
  const int who = agari.who, from = agari.fromWho;
  if (who == from) {
    ++out_.tsumoWins[who];
  } else {
    ++out_.ronWins[who];
    ++out_.dealIns[from];
    out_.dealInPoints[from] += agari.points;
  }
  out_.winPoints[who] += agari.points;
  out_.riichiWins[who] += seats_[who].riichi;
  auto& counts = out_.yakuCounts[who];
  for (std::size_t i = 0; i + 1 < agari.yaku.size(); i += 2) {
    const int number = agari.yaku[i], han = agari.yaku[i + 1];
    counts[number] += number >= kYakuDoraFirst ? han : 1;
  }
  for (int number : agari.yakuman) ++counts[number];
}

// Final scores with points in tenths: (score - return) / 1000 plus the placing bonus, the top
// also taking the deposits left and the difference between start and return.
std::string Game::Owari() {
  std::vector<int> order(n_);
  for (int i = 0; i < n_; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return scores_[a] > scores_[b]; });
  scores_[order[0]] += sticks_ * 1000;
  sticks_ = 0;
  const int back = n_ == 4 ? 30000 : 40000;
  static const int kUma4[] = {200, 100, -100, -200};
  static const int kUma3[] = {150, 0, -150};
  std::array<int, 4> tenths{};
  for (int place = 0; place < n_; ++place) {
    const int seat = order[place];
    tenths[seat] = (scores_[seat] - back) / 100 + (n_ == 4 ? kUma4 : kUma3)[place];
    out_.placements[seat] = place + 1;
    out_.finalScores[seat] = scores_[seat];
  }
  tenths[order[0]] += n_ == 4 ? 200 : 150;
  std::string text;
  for (int seat = 0; seat < 4; ++seat) {
    AppendOwari(text, scores_[seat] / 100, false);
    AppendOwari(text, tenths[seat], true);
    if (options_.chips) {
      AppendOwari(text, chips_[seat], false);
      AppendOwari(text, chips_[seat] * 20, true);
    }
  }
  return text;
}

void Game::AppendOwari(std::string& text, long long value, bool tenths) {
  if (!text.empty()) text += ',';
  out_.owari.push_back(tenths ? static_cast<double>(value) / 10 : static_cast<double>(value));
  if (!tenths) {
    text += std::to_string(value);
    return;
  }
  if (value < 0) text += '-';
  const long long magnitude = value < 0 ? -value : value;
  text += std::to_string(magnitude / 10);
  text += '.';
  text += std::to_string(magnitude % 10);
}

}  // namespace zuvelo::gen
