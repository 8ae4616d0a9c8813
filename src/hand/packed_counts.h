// The 34 kind counts as little-endian machine words, one count to a byte, for the fast paths:
// legality, totals and per-count censuses without a loop over the kinds. 64-bit targets take
// eight counts to a word (five words); 32-bit ones four (nine words), since a 64-bit word there
// is two registers and its multiplies are three.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

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

// Whole words, then the last two counts as one 16-bit load: copying the 34 bytes into a
// zeroed array and reading its last word back would wait for the partial store to land.
[[nodiscard]] inline Packed Pack(const KindCounts& counts) {
  static_assert(kKindCount - (kWords - 1) * kWordBytes == 2, "two counts in the last word");
  Packed words;
  for (int i = 0; i + 1 < kWords; ++i) std::memcpy(&words[i], &counts[i * kWordBytes], kWordBytes);
  std::uint16_t last;
  std::memcpy(&last, &counts[(kWords - 1) * kWordBytes], sizeof last);
  words[kWords - 1] = last;
  return words;
}

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

}  // namespace zuvelo::detail
