// Yaku and points of a generated win: a small, honest subset of the scoring rules (riichi,
// self-draw, tanyao, yakuhai, seven pairs, last tile, after a kan, thirteen orphans, dora,
// under-dora, red fives),
// enough that every generated win has a yaku and consistent payments.
#pragma once

#include <vector>

#include "hand/tile.h"

namespace zuvelo::gen {

struct WinContext {
  KindCounts concealed{};              // the winning hand's concealed tiles, win tile included
  std::vector<TileKind> meldKinds;     // one kind per tile of every open or closed meld
  std::vector<TileKind> tripletKinds;  // kinds of the pons and kans
  bool closed = true;                  // no chi, pon, open or added kan
  bool riichi = false;
  bool tsumo = false;
  bool rinshan = false;
  bool lastTile = false;
  int seatWind = 27;   // kind of the winner's seat wind
  int roundWind = 27;  // kind of the round wind
  int dora = 0;
  int ura = 0;
  int red = 0;  // red fives among the hand's and melds' tiles
};

struct WinValue {
  std::vector<int> yaku;     // id, han pairs as the log writes them
  std::vector<int> yakuman;  // ids
  int han = 0;
  int fu = 30;
  int base = 0;   // basic points
  int limit = 0;  // 0 none, 1 mangan .. 5 yakuman

  [[nodiscard]] bool HasYaku() const { return !yakuman.empty() || han > 0; }
};

// Han before dora decide whether the hand may win at all; dora are added only then.
[[nodiscard]] WinValue EvaluateWin(const WinContext& context);

[[nodiscard]] constexpr int RoundUp100(int points) { return (points + 99) / 100 * 100; }

// The dora kind an indicator points at; three-player sets jump from 1m to 9m.
[[nodiscard]] TileKind DoraKindOf(TileCode indicator, bool threePlayers);

}  // namespace zuvelo::gen
