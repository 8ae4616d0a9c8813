// Yaku, fu and basic points of generated wins.
#include "mjlog_gen/scoring.h"

#include <algorithm>

namespace zuvelo::gen {
namespace {

constexpr int kYakuTsumo = 0, kYakuRiichi = 1, kYakuRinshan = 4, kYakuHaitei = 5, kYakuHoutei = 6,
              kYakuTanyao = 8, kYakuSeatWind = 10, kYakuRoundWind = 14, kYakuDragon = 18,
              kYakuChiitoitsu = 22, kYakuDora = 52, kYakuUra = 53, kYakuRed = 54,
              kYakumanKokushi = 47;

bool IsTripletOf(const WinContext& c, int kind) {
  return c.concealed[kind] >= 3 ||
         std::find(c.tripletKinds.begin(), c.tripletKinds.end(), kind) != c.tripletKinds.end();
}

bool AllSimples(const WinContext& c) {
  for (int kind = 0; kind < kKindCount; ++kind)
    if (c.concealed[kind] && IsTerminalOrHonour(kind)) return false;
  return std::none_of(c.meldKinds.begin(), c.meldKinds.end(),
                      [](TileKind k) { return IsTerminalOrHonour(k); });
}

bool SevenPairs(const WinContext& c) {
  return c.closed && c.meldKinds.empty() &&
         std::count(c.concealed.begin(), c.concealed.end(), 2) == 7;
}

bool ThirteenOrphans(const WinContext& c) {
  if (!c.closed || !c.meldKinds.empty()) return false;
  int pairs = 0;
  for (TileKind k : kTerminalHonourKinds) {
    if (c.concealed[k] == 0) return false;
    pairs += c.concealed[k] == 2;
  }
  return pairs == 1;
}

void Add(WinValue& v, int id, int han) {
  v.yaku.push_back(id);
  v.yaku.push_back(han);
  v.han += han;
}

void SetBase(WinValue& v) {
  if (!v.yakuman.empty()) {
    v.base = 8000 * static_cast<int>(v.yakuman.size());
    v.limit = 5;
    return;
  }
  const int h = v.han;
  if (h >= 13)
    v.base = 8000, v.limit = 5;
  else if (h >= 11)
    v.base = 6000, v.limit = 4;
  else if (h >= 8)
    v.base = 4000, v.limit = 3;
  else if (h >= 6)
    v.base = 3000, v.limit = 2;
  else {
    v.base = v.fu << (2 + h);
    if (h >= 5 || v.base > 2000) v.base = 2000, v.limit = 1;
  }
}

}  // namespace

WinValue EvaluateWin(const WinContext& c) {
  WinValue v;
  if (ThirteenOrphans(c)) {
    v.yakuman.push_back(kYakumanKokushi);
    SetBase(v);
    return v;
  }
  if (c.tsumo && c.closed) Add(v, kYakuTsumo, 1);
  if (c.riichi) Add(v, kYakuRiichi, 1);
  if (c.rinshan) Add(v, kYakuRinshan, 1);
  if (c.lastTile && !c.rinshan) Add(v, c.tsumo ? kYakuHaitei : kYakuHoutei, 1);
  if (AllSimples(c)) Add(v, kYakuTanyao, 1);
  if (IsTripletOf(c, c.seatWind)) Add(v, kYakuSeatWind + c.seatWind - 27, 1);
  if (IsTripletOf(c, c.roundWind)) Add(v, kYakuRoundWind + c.roundWind - 27, 1);
  for (int dragon = 31; dragon <= 33; ++dragon)
    if (IsTripletOf(c, dragon)) Add(v, kYakuDragon + dragon - 31, 1);
  if (SevenPairs(c)) {
    Add(v, kYakuChiitoitsu, 2);
    v.fu = 25;
  }
  if (v.han == 0) return v;
  if (c.dora > 0) Add(v, kYakuDora, c.dora);
  if (c.riichi) Add(v, kYakuUra, c.ura);
  if (c.red > 0) Add(v, kYakuRed, c.red);
  SetBase(v);
  return v;
}

TileKind DoraKindOf(TileCode indicator, bool threePlayers) {
  const int kind = KindOf(indicator);
  if (threePlayers && kind == 0) return 8;
  if (kind < kSuitKindCount) return static_cast<TileKind>(kind % 9 == 8 ? kind - 8 : kind + 1);
  if (kind <= 30) return static_cast<TileKind>(kind == 30 ? 27 : kind + 1);
  return static_cast<TileKind>(kind == 33 ? 31 : kind + 1);
}

}  // namespace zuvelo::gen
