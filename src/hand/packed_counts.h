// The 34 kind counts as five little-endian 64-bit words, eight counts to a word, for the fast
// paths: legality, totals and per-count censuses without a loop over the kinds.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "hand/tile.h"

namespace zuvelo::detail {

using Packed = std::array<std::uint64_t, 5>;
inline constexpr std::uint64_t kLow = 0x0101010101010101ull;

[[nodiscard]] inline Packed Pack(const KindCounts& counts) {
  Packed words{};
  std::memcpy(words.data(), counts.data(), counts.size());
  return words;
}

// Masks and bit planes hold one bit at the bottom of each byte, one byte per kind.
[[nodiscard]] constexpr Packed MaskOf(std::initializer_list<int> kinds) {
  Packed mask{};
  for (int k : kinds) mask[k / 8] |= std::uint64_t{1} << (8 * (k % 8));
  return mask;
}
inline constexpr Packed kOrphanMask = MaskOf({0, 8, 9, 17, 18, 26, 27, 28, 29, 30, 31, 32, 33});
inline constexpr Packed kHonourMask = MaskOf({27, 28, 29, 30, 31, 32, 33});

// Sum of the bytes of a word whose bytes add up to less than 256.
[[nodiscard]] constexpr int ByteSum(std::uint64_t w) { return static_cast<int>((w * kLow) >> 56); }

// Some byte above 4 (any value 5..255).
[[nodiscard]] constexpr bool HasOverFour(std::uint64_t w) {
  return ((((w & (0x7F * kLow)) + (0x7B * kLow)) | w) & (0x80 * kLow)) != 0;
}

// The total of a legal hand (counts 0..4, at most 14 tiles), or -1.
[[nodiscard]] inline int LegalTotal(const Packed& words) {
  int total = 0;
  for (std::uint64_t w : words) {
    if (HasOverFour(w)) return -1;
    total += ByteSum(w);
  }
  return total <= 14 ? total : -1;
}

// Which counts of a word (each 0..4) are held, two or more, exactly 1, 2, 3 or 4.
struct Planes {
  std::uint64_t held, twoUp, one, two, three, four;
};
[[nodiscard]] constexpr Planes PlanesOf(std::uint64_t w) {
  const std::uint64_t b0 = w & kLow, b1 = w >> 1 & kLow, b2 = w >> 2 & kLow;
  return {b0 | b1 | b2, b1 | b2, b0 & ~b1 & ~b2, b1 & ~b0, b0 & b1, b2};
}

}  // namespace zuvelo::detail
