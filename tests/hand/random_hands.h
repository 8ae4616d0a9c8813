// Deterministic random hands and small hand helpers shared by the large hand tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hand/hand_notation.h"
#include "hand/tile.h"

namespace zuvelo::testing_hands {

// The same hands on every platform: std::mt19937 is fully specified, but the standard
// distributions are not, so bounded draws are taken by remainder.
class HandRng {
 public:
  explicit HandRng(std::uint32_t seed) : engine_(seed) {}

  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

  // `size` distinct tile codes in the order they were drawn from a full set.
  std::vector<TileCode> Hand(int size) {
    std::array<TileCode, kTileCodeCount> wall;
    std::iota(wall.begin(), wall.end(), TileCode{0});
    for (int i = 0; i < size; ++i) std::swap(wall[i], wall[i + Below(kTileCodeCount - i)]);
    return {wall.begin(), wall.begin() + size};
  }

  // `size` distinct codes drawn from `pool` (which is shuffled in part).
  std::vector<TileCode> HandFrom(std::vector<TileCode>& pool, int size) {
    const int n = static_cast<int>(pool.size());
    for (int i = 0; i < size; ++i) std::swap(pool[i], pool[i + Below(n - i)]);
    return {pool.begin(), pool.begin() + size};
  }

  // A code not in `held`, as if drawn from the rest of the set.
  TileCode Draw(const std::vector<TileCode>& held) {
    for (;;) {
      const auto code = static_cast<TileCode>(Below(kTileCodeCount));
      if (std::find(held.begin(), held.end(), code) == held.end()) return code;
    }
  }

 private:
  std::mt19937 engine_;
};

inline KindCounts CountsOf(const std::vector<TileCode>& codes) {
  return CountKinds(codes.data(), codes.size());
}

// The codes of a hand given by counts: copies 0, 1, ... of each kind, ascending.
inline std::vector<TileCode> CodesOf(const KindCounts& counts) {
  std::vector<TileCode> codes;
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int copy = 0; copy < counts[kind]; ++copy)
      codes.push_back(static_cast<TileCode>(kind * 4 + copy));
  return codes;
}

// 14 slots as the engine reads them: the codes first, then empty slots.
inline std::array<TileCode, 14> SlotsOf(const std::vector<TileCode>& codes) {
  std::array<TileCode, 14> slots;
  slots.fill(kNoTile);
  std::copy(codes.begin(), codes.end(), slots.begin());
  return slots;
}

// "123m456p789s1122z", with "+N" when the size implies called sets.
inline std::string Describe(const KindCounts& counts) {
  const int total = std::accumulate(counts.begin(), counts.end(), 0);
  const int called = (14 - total) / 3;
  std::string text = FormatTiles(counts);
  if (called > 0) text += '+' + std::to_string(called);
  return text;
}

inline std::string Describe(const std::vector<TileKind>& kinds) {
  if (kinds.empty()) return "none";
  std::string text;
  for (TileKind kind : kinds) {
    if (!text.empty()) text += ' ';
    text += FormatKind(kind);
  }
  return text;
}

}  // namespace zuvelo::testing_hands
