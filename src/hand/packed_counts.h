// The 34 kind counts as little-endian machine words, one count to a byte, for the fast paths:
// legality, totals and per-count censuses without a loop over the kinds. 64-bit targets take
// eight counts to a word (five words); 32-bit ones four (nine words), since a 64-bit word there
// is two registers and its multiplies are three.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "hand/tile.h"

namespace zuvelo::detail {

#if UINTPTR_MAX > 0xFFFFFFFFu
using Word = std::uint64_t;
#else
using Word = std::uint32_t;
#endif
inline constexpr int kWordBytes = sizeof(Word);
inline constexpr int kWords = (kKindCount + kWordBytes - 1) / kWordBytes;
using Packed = std::array<Word, kWords>;
inline constexpr Word kLow = ~Word{0} / 0xFF;  // 0x01 in every byte

[[nodiscard]] inline Packed Pack(const KindCounts& counts) {
  Packed words{};
  std::memcpy(words.data(), counts.data(), counts.size());
  return words;
}

// The kind of byte b of word i.
[[nodiscard]] constexpr int KindAt(int word, int byte) { return kWordBytes * word + byte; }

// Masks and bit planes hold one bit at the bottom of each byte, one byte per kind.
[[nodiscard]] constexpr Packed MaskOf(std::initializer_list<int> kinds) {
  Packed mask{};
  for (int k : kinds) mask[k / kWordBytes] |= Word{1} << (8 * (k % kWordBytes));
  return mask;
}
inline constexpr Packed kOrphanMask = MaskOf({0, 8, 9, 17, 18, 26, 27, 28, 29, 30, 31, 32, 33});
inline constexpr Packed kHonourMask = MaskOf({27, 28, 29, 30, 31, 32, 33});
inline constexpr int kFirstHonourWord = kSuitKindCount / kWordBytes;

// Sum of the bytes of a word whose bytes add up to less than 256: the multiply gathers every
// byte into the top one.
[[nodiscard]] constexpr int ByteSum(Word w) {
  return static_cast<int>((w * kLow) >> (8 * (kWordBytes - 1)));
}

// The top bit of each byte above 4 (any value 5..255): adding 0x7B carries into bit 7 from 5
// on.
[[nodiscard]] constexpr Word OverFour(Word w) {
  return (((w & (0x7F * kLow)) + (0x7B * kLow)) | w) & (0x80 * kLow);
}

// Which counts of a word (each 0..4) are held, two or more, exactly 1, 2, 3 or 4.
struct Planes {
  Word held, twoUp, one, two, three, four;
};
[[nodiscard]] constexpr Planes PlanesOf(Word w) {
  const Word b0 = w & kLow, b1 = w >> 1 & kLow, b2 = w >> 2 & kLow;
  return {b0 | b1 | b2, b1 | b2, b0 & ~b1 & ~b2, b1 & ~b0, b0 & b1, b2};
}

}  // namespace zuvelo::detail
