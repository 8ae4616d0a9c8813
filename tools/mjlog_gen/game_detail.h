// What the files of the generated game share: event and call numbers, and tile-list helpers.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "hand/syanten.h"
#include "hand/tile.h"

namespace zuvelo::gen::detail {

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

inline KindCounts CountsOf(const std::vector<TileCode>& tiles) {
  return CountKinds(tiles.data(), tiles.size());
}

inline int SyantenOf(const std::vector<TileCode>& tiles) { return CalcSyanten34(CountsOf(tiles)); }

// With red fives, the first code of each suit's five is the red one.
inline bool IsRedFive(TileCode code) { return code == 16 || code == 52 || code == 88; }

inline void RemoveOne(std::vector<TileCode>& tiles, TileCode code) {
  tiles.erase(std::find(tiles.begin(), tiles.end(), code));
}

// Codes of a kind in the tiles, ascending.
inline std::vector<TileCode> CodesOfKind(const std::vector<TileCode>& tiles, int kind) {
  std::vector<TileCode> codes;
  for (TileCode c : tiles)
    if (KindOf(c) == kind) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  return codes;
}

inline std::vector<TileCode> Sorted(std::vector<TileCode> tiles) {
  std::sort(tiles.begin(), tiles.end());
  return tiles;
}

// t1 followed by the other codes ascending: how the replay reports a call's tiles.
inline std::array<TileCode, 4> CalledFirst(TileCode t1, std::vector<TileCode> others) {
  std::sort(others.begin(), others.end());
  std::array<TileCode, 4> order{t1, kNoTile, kNoTile, kNoTile};
  for (std::size_t i = 0; i < others.size() && i < 3; ++i) order[i + 1] = others[i];
  return order;
}

}  // namespace zuvelo::gen::detail
