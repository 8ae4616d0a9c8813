// One look at a legal hand for the fast paths: the census of its kinds, its honours and the
// table entries of its three suits. The shanten and the waits of one hand share it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "hand/packed_counts.h"
#include "hand/suit_table.h"

namespace zuvelo::detail {

// Filled whole by ViewLegalHand (no initialisers: zeroing it cost more than a 32-bit lookup).
struct HandView {
  int total;
  int held, pairs;               // kinds held, kinds held twice or more
  int orphansHeld, orphanPairs;  // the same among terminals and honours
  int honourSets, honourPairs;   // honours held three or four times, twice
  int honourQuads, honourSingles;
  int largest;                              // the most tiles in one suit
  std::array<SuitSpot, 3> spots;            // indexes mean something only when tabled
  std::array<const SuitClass*, 3> classes;  // null unless every suit is tabled
};

using SuitKeys = std::array<SuitKey, 3>;

// The honour counts (kinds 27..33) as words: the eight bytes from kind 26 on, kind 26 masked
// off, so that no load reaches past the counts.
inline constexpr int kHonourWordsAt = 26;
using HonourWords = std::array<Word, 8 / kWordBytes>;
inline constexpr HonourWords kHonourLanes = [] {
  HonourWords lanes;
  lanes.fill(kLow);
  lanes[0] &= ~Word{0xFF};
  return lanes;
}();

// The view of a legal hand of `total` tiles (counts 0..4, at most 14 tiles) whose suits' keys
// are known. The suits come first: their lookups need nothing from the counts, which the slot
// entry points have just written byte by byte, and reading bytes back as words waits until
// every one of those stores is done.
inline void ViewLegalHand(const KindCounts& counts, const SuitKeys& keys, int total, HandView& v) {
  v.total = total;
  const SuitTables& tables = GetSuitTables();
  for (int s = 0; s < 3; ++s) v.spots[s] = tables.Locate(keys[s]);
  v.largest = std::max({v.spots[0].tiles(), v.spots[1].tiles(), v.spots[2].tiles()});
  int census = 0;
  if (v.largest <= kTabledSuitTiles) {
    for (int s = 0; s < 3; ++s) {
      v.classes[s] = &tables.Class(v.spots[s].index());
      census += v.classes[s]->census;
    }
  } else {
    v.classes.fill(nullptr);
    for (int s = 0; s < 3; ++s) census += SuitCensusOf(&counts[9 * s]);
  }
  // The honours' figures two to a byte, one per nibble, summed by one multiply each.
  HonourWords words;
  std::memcpy(words.data(), &counts[kHonourWordsAt], sizeof words);
  Word kinds = 0, groups = 0, odd = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Planes p = PlanesOf(words[i]);
    const Word honour = kHonourLanes[i] | kHonourLanes[i] << 4;
    kinds += (p.held | p.twoUp << 4) & honour;
    groups += ((p.three | p.four) | p.two << 4) & honour;
    odd += (p.four | p.one << 4) & honour;
  }
  const int k = ByteSum(kinds), g = ByteSum(groups), o = ByteSum(odd);
  v.honourSets = g & 15, v.honourPairs = g >> 4;
  v.honourQuads = o & 15, v.honourSingles = o >> 4;
  v.held = (census >> kHeldShift & 15) + (k & 15);
  v.pairs = (census >> kPairsShift & 15) + (k >> 4);
  v.orphansHeld = (census >> kEndsHeldShift & 15) + (k & 15);
  v.orphanPairs = (census >> kEndPairsShift & 15) + (k >> 4);
}

// False when the hand is not legal: a count above 4, or more than 14 tiles. keys: the three
// suits' keys of these counts.
[[nodiscard]] inline bool ViewHand(const KindCounts& counts, const SuitKeys& keys, HandView& v) {
  const Packed words = Pack(counts);
  Word over = 0, sum = 0;
  for (Word w : words) over |= OverFour(w), sum += w;
  if (over != 0) return false;
  const int total = ByteSum(sum);
  if (total > 14) return false;
  ViewLegalHand(counts, keys, total, v);
  return true;
}

[[nodiscard]] inline bool ViewHand(const KindCounts& counts, HandView& v) {
  if constexpr (sizeof(Word) == 8)
    return ViewHand(
        counts, {KeyOfSuitWide(&counts[0]), KeyOfSuitWide(&counts[9]), KeyOfSuitWide(&counts[18])},
        v);
  return ViewHand(counts, {KeyOfSuit(&counts[0]), KeyOfSuit(&counts[9]), KeyOfSuit(&counts[18])},
                  v);
}

// The suits' keys gathered tile by tile from 14 slots, 16 bits a suit: each tile adds its
// rank's weight to its suit's field, so the keys come with the counting pass instead of a
// second pass over the counts.
struct SlotWeights {
  std::array<std::uint64_t, 256> heads{}, tails{};
  std::array<std::uint8_t, 256> kind{};  // 34, a spare count, for codes that are no tile
};

constexpr SlotWeights MakeSlotWeights() {
  SlotWeights w;
  for (int code = 0; code < 256; ++code)
    w.kind[code] = static_cast<std::uint8_t>(IsTileCode(code) ? KindOf(code) : kKindCount);
  for (int code = 0; code < 4 * kSuitKindCount; ++code) {
    const int kind = code / 4, suit = kind / 9, rank = kind % 9;
    std::uint64_t weight = 1;
    for (int r = rank; r < (rank < 5 ? 4 : 8); ++r) weight *= 5;
    (rank < 5 ? w.heads : w.tails)[code] = weight << (16 * suit);
  }
  return w;
}
inline constexpr SlotWeights kSlotWeights = MakeSlotWeights();

// Counts of 14 slots (codes of 136 and above count as no tile), their suits' keys, their total,
// and whether every count stayed below 5 (empty slots counted too, so a hand of fewer than ten
// tiles says no and takes the full check). 64-bit targets gather the keys with the counting;
// 32-bit ones, where each 64-bit add is two, take them from the counts afterwards.
[[nodiscard]] inline KindCounts CountSlots(const TileCode* slots14, SuitKeys& keys, int& total,
                                           bool& belowFive) {
  std::array<std::uint8_t, kKindCount + 1> counts{};  // no branch: empty slots count apart
  unsigned over = 0;  // a count of 5 to 252 sets bit 3 or above of count + 3
  KindCounts kinds;
  if constexpr (sizeof(Word) == 8) {
    std::uint64_t heads = 0, tails = 0;
    for (int i = 0; i < 14; ++i) {
      const TileCode code = slots14[i];
      heads += kSlotWeights.heads[code], tails += kSlotWeights.tails[code];
      over |= (++counts[kSlotWeights.kind[code]] + 3u) >> 3;
    }
    for (int s = 0; s < 3; ++s)
      keys[s] = {static_cast<int>(heads >> (16 * s) & 0xFFFF),
                 static_cast<int>(tails >> (16 * s) & 0xFFFF)};
    std::memcpy(kinds.data(), counts.data(), kinds.size());
  } else {
    for (int i = 0; i < 14; ++i) over |= (++counts[kSlotWeights.kind[slots14[i]]] + 3u) >> 3;
    std::memcpy(kinds.data(), counts.data(), kinds.size());
    for (int s = 0; s < 3; ++s) keys[s] = KeyOfSuit(&kinds[9 * s]);
  }
  total = 14 - counts[kKindCount];
  belowFive = over == 0;
  return kinds;
}

}  // namespace zuvelo::detail
