// Tehai: one player's hand record during a replay, with its derived values (shanten, waits,
// furiten) recomputed by UpdateSyanten1/UpdateSyanten2.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "hand/hand_result.h"
#include "hand/tile.h"

namespace zuvelo {

struct Tehai {
  std::array<TileCode, 14> hai;
  std::int32_t nHai;
  std::int32_t syanten1;
  std::int32_t syanten2;
  std::uint32_t haiKey;
  std::vector<std::uint16_t> nakiList;  // meld codes in call order
  std::vector<TileKind> machi;          // ascending; empty unless syanten1 == 0
  std::array<std::uint8_t, 34> sutehaiKinds;
  bool furiten;
  // The slots at the last recomputation, and whether there was one since the reset. The slots
  // themselves decide whether to skip: a reset leaves the key 0, which dealt slots can also
  // give, and different slots can share a key (1m and 5m in slots 0 and 4 give the key of
  // East and White there).
  std::array<TileCode, 14> keyedHai;
  bool haiKeyed;

  Tehai();  // reserves the lists once and resets

  void ResetTehai();
  // values: exactly 13 integers (the caller checked the count); low 8 bits taken unchecked.
  void SetHaipai(const int* values13);
  HandResult AddHai(int code);
  HandResult RemoveHai(int code);
  void MarkDiscard(int code);
  void Sort();  // the script member "sort"
  HandResult UpdateSyanten1();
  HandResult UpdateSyanten2();
  // Only the tile-count checks of the two, for a replay whose reader never looks at shanten,
  // waits or furiten: it fails exactly where they would.
  [[nodiscard]] HandResult CheckTileCount1() const;
  [[nodiscard]] HandResult CheckTileCount2() const;

  [[nodiscard]] KindCounts Counts() const { return CountKinds(hai.data(), hai.size()); }
  // "syanten" as scripts read it.
  [[nodiscard]] int Syanten() const { return nHai % 3 == 1 ? syanten1 : syanten2; }
  // "machiCount": per wait, 4 minus the copies in the hand's own slots.
  [[nodiscard]] int MachiCount() const;
  // Whether one of the kinds was discarded this round.
  [[nodiscard]] bool AnyDiscarded(const std::vector<TileKind>& kinds) const;
};

// Change key of the 14 slots: XOR of three little-endian 32-bit words and one 16-bit word.
[[nodiscard]] std::uint32_t HaiKey(const std::array<TileCode, 14>& hai);

}  // namespace zuvelo
