// Small helpers for the hand engine's case tables: hands written as "123m456p789s1122z" (any
// number of tiles, no checks beyond the letters), tile codes for them, and printing.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hand/tile.h"

namespace zuvelo::hand_cases {

// Digits each followed, eventually, by the suit letter that closes their group.
inline KindCounts Tiles(std::string_view text) {
  KindCounts counts{};
  std::string digits;
  for (char c : text) {
    if (c >= '1' && c <= '9') {
      digits += c;
      continue;
    }
    const std::string_view suits = "mpsz";
    const auto suit = static_cast<int>(suits.find(c));
    for (char d : digits) ++counts[9 * suit + (d - '1')];
    digits.clear();
  }
  return counts;
}

inline TileKind Kind(std::string_view tile) {
  for (int k = 0; k < kKindCount; ++k)
    if (Tiles(tile)[k] != 0) return static_cast<TileKind>(k);
  return 255;
}

inline std::vector<TileKind> Kinds(std::string_view tiles) {
  const KindCounts counts = Tiles(tiles);
  std::vector<TileKind> kinds;
  for (int k = 0; k < kKindCount; ++k)
    if (counts[k] != 0) kinds.push_back(static_cast<TileKind>(k));
  return kinds;
}

// Copies 0, 1, ... of each kind, kinds ascending.
inline std::vector<TileCode> CodesOf(const KindCounts& counts) {
  std::vector<TileCode> codes;
  for (int k = 0; k < kKindCount; ++k)
    for (int copy = 0; copy < counts[k]; ++copy)
      codes.push_back(static_cast<TileCode>(4 * k + copy));
  return codes;
}

inline std::array<TileCode, 14> SlotsOf(const std::vector<TileCode>& codes) {
  std::array<TileCode, 14> slots;
  slots.fill(kNoTile);
  for (std::size_t i = 0; i < codes.size() && i < slots.size(); ++i) slots[i] = codes[i];
  return slots;
}

inline std::string Show(const KindCounts& counts) {
  std::string text;
  for (int suit = 0; suit < 4; ++suit) {
    std::string digits;
    for (int r = 0; r < (suit < 3 ? 9 : 7); ++r) digits.append(counts[9 * suit + r], char('1' + r));
    if (!digits.empty()) text += digits + "mpsz"[suit];
  }
  return text.empty() ? "(no tiles)" : text;
}

// Random legal hands: `size` distinct codes drawn from a full set. mt19937 is the same on
// every platform; bounded draws are taken by remainder for the same reason.
class Dealer {
 public:
  explicit Dealer(std::uint32_t seed) : engine_(seed) {}

  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

  KindCounts Counts(int size) {
    std::array<TileCode, kTileCodeCount> wall;
    for (int i = 0; i < kTileCodeCount; ++i) wall[i] = static_cast<TileCode>(i);
    KindCounts counts{};
    for (int i = 0; i < size; ++i) {
      std::swap(wall[i], wall[i + Below(kTileCodeCount - i)]);
      ++counts[KindOf(wall[i])];
    }
    return counts;
  }

 private:
  std::mt19937 engine_;
};

}  // namespace zuvelo::hand_cases
