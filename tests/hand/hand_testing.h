// Hands for the tests: loose notation, codes and slots, printing, random hands.
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

// Any number of tiles, no checks: each digit takes the next suit letter.
inline KindCounts Tiles(std::string_view text) {
  KindCounts counts{};
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t letter = text.find_first_of("mpsz", i);
    if (letter != i) ++counts[9 * std::string_view("mpsz").find(text.at(letter)) + text[i] - '1'];
  }
  return counts;
}

inline std::vector<TileCode> CodesOf(const KindCounts& counts) {
  std::vector<TileCode> codes;
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int copy = 0; copy < counts[kind]; ++copy)
      codes.push_back(static_cast<TileCode>(kind * 4 + copy));
  return codes;
}

inline std::array<TileCode, 14> SlotsOf(const std::vector<TileCode>& codes) {
  std::array<TileCode, 14> slots;
  slots.fill(kNoTile);
  std::copy(codes.begin(), codes.end(), slots.begin());
  return slots;
}

inline std::string Describe(const KindCounts& counts) {
  const int called = (14 - std::accumulate(counts.begin(), counts.end(), 0)) / 3;
  return FormatTiles(counts) + (called > 0 ? '+' + std::to_string(called) : "");
}

inline std::string Describe(const std::vector<TileKind>& kinds) {
  std::string text;
  for (TileKind kind : kinds) text.append(text.empty() ? "" : " ") += FormatKind(kind);
  return kinds.empty() ? "none" : text;
}

// Standard distributions differ between platforms, mt19937 does not: draws are by remainder.
class HandRng {
 public:
  explicit HandRng(std::uint32_t seed) : engine_(seed) {}

  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

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
  KindCounts Counts(int size) { return CountKinds(Hand(size).data(), size); }

 private:
  std::mt19937 engine_;
};

}  // namespace zuvelo::hand_testing
