// Hands for the hand tests: loose notation, codes and slots, printing, random hands.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hand/hand_notation.h"
#include "hand/tile.h"

namespace zuvelo::hand_testing {

// "123m456p11z" with any number of tiles and no checks: digits wait for their suit letter.
inline KindCounts Tiles(std::string_view text) {
  KindCounts counts{};
  std::string digits;
  for (char c : text) {
    if (c >= '1' && c <= '9') {
      digits += c;
      continue;
    }
    const auto suit = static_cast<int>(std::string_view("mpsz").find(c));
    for (char d : digits) ++counts[9 * suit + (d - '1')];
    digits.clear();
  }
  return counts;
}

// Copies 0, 1, ... of each kind, kinds ascending.
inline std::vector<TileCode> CodesOf(const KindCounts& counts) {
  std::vector<TileCode> codes;
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int copy = 0; copy < counts[kind]; ++copy)
      codes.push_back(static_cast<TileCode>(kind * 4 + copy));
  return codes;
}

// The codes first, then empty slots.
inline std::array<TileCode, 14> SlotsOf(const std::vector<TileCode>& codes) {
  std::array<TileCode, 14> slots;
  slots.fill(kNoTile);
  std::copy(codes.begin(), codes.end(), slots.begin());
  return slots;
}

// "123m456p789s1122z", with "+N" when the size implies called sets.
inline std::string Describe(const KindCounts& counts) {
  const int called = (14 - std::accumulate(counts.begin(), counts.end(), 0)) / 3;
  std::string text = FormatTiles(counts);
  if (called > 0) text += '+' + std::to_string(called);
  return text;
}

// "1m 4m", or "none".
inline std::string Describe(const std::vector<TileKind>& kinds) {
  std::string text;
  for (TileKind kind : kinds) text.append(text.empty() ? "" : " ") += FormatKind(kind);
  return kinds.empty() ? "none" : text;
}

// The same hands on every platform: std::mt19937 is fully specified but the standard
// distributions are not, so bounded draws are taken by remainder.
class HandRng {
 public:
  explicit HandRng(std::uint32_t seed) : engine_(seed) {}

  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

  // `size` distinct codes drawn from `pool` (shuffled in part), by default a full set.
  std::vector<TileCode> Hand(int size) {
    std::vector<TileCode> wall(kTileCodeCount);
    std::iota(wall.begin(), wall.end(), TileCode{0});
    return HandFrom(wall, size);
  }
  std::vector<TileCode> HandFrom(std::vector<TileCode>& pool, int size) {
    const int n = static_cast<int>(pool.size());
    for (int i = 0; i < size; ++i) std::swap(pool[i], pool[i + Below(n - i)]);
    return {pool.begin(), pool.begin() + size};
  }
  KindCounts Counts(int size) {
    const std::vector<TileCode> codes = Hand(size);
    return CountKinds(codes.data(), codes.size());
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

}  // namespace zuvelo::hand_testing
