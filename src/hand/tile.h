// Tile codes (one physical tile, 0..135) and tile kinds (0..33), and kind counting.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zuvelo {

using TileCode = std::uint8_t;  // hai136; kind is code / 4
using TileKind = std::uint8_t;  // 0..33: 1-9m, 1-9p, 1-9s, E S W N Wh Gr Rd
using KindCounts = std::array<std::uint8_t, 34>;

inline constexpr int kKindCount = 34;
inline constexpr int kSuitKindCount = 27;
inline constexpr int kTileCodeCount = 136;
inline constexpr TileCode kNoTile = 255;

[[nodiscard]] constexpr TileKind KindOf(TileCode code) { return static_cast<TileKind>(code / 4); }
[[nodiscard]] constexpr bool IsTileCode(unsigned code) { return code < kTileCodeCount; }
[[nodiscard]] constexpr bool IsHonour(int kind) { return kind >= kSuitKindCount; }

// The thirteen kinds that thirteen orphans is built from.
inline constexpr std::array<TileKind, 13> kTerminalHonourKinds = {0,  8,  9,  17, 18, 26, 27,
                                                                  28, 29, 30, 31, 32, 33};
[[nodiscard]] constexpr bool IsTerminalOrHonour(int kind) {
  return kind >= kSuitKindCount || kind % 9 == 0 || kind % 9 == 8;
}

// Codes of 136 and above count as no tile.
[[nodiscard]] constexpr KindCounts CountKinds(const TileCode* codes, std::size_t n) {
  KindCounts counts{};
  for (std::size_t i = 0; i < n; ++i)
    if (IsTileCode(codes[i])) ++counts[KindOf(codes[i])];
  return counts;
}

}  // namespace zuvelo
