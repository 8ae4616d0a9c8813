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

// The honours' figures by count, a nibble each, so that seven lookups add them all up: held,
// held twice or more, three or four times, exactly twice, four times, once.
inline constexpr int kHeld = 0, kTwoUp = 4, kSet = 8, kTwo = 12, kFour = 16, kOne = 20;
inline constexpr std::array<std::uint32_t, 5> kHonourFigures = {
    0,
    1u << kHeld | 1u << kOne,
    1u << kHeld | 1u << kTwoUp | 1u << kTwo,
    1u << kHeld | 1u << kTwoUp | 1u << kSet,
    1u << kHeld | 1u << kTwoUp | 1u << kSet | 1u << kFour,
};

// The view of a legal hand of `total` tiles (counts 0..4, at most 14 tiles) whose suits' keys
// are known.
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
  // Byte by byte: the slot entry points have just counted these bytes one at a time, and a
  // wider read would wait for those stores.
  std::uint32_t honours = 0;
  for (int kind = kSuitKindCount; kind < kKindCount; ++kind)
    honours += kHonourFigures[counts[kind]];
  const auto figure = [honours](int shift) { return static_cast<int>(honours >> shift & 15); };
  v.honourSets = figure(kSet), v.honourPairs = figure(kTwo);
  v.honourQuads = figure(kFour), v.honourSingles = figure(kOne);
  // Honours are terminals and honours too: they count for thirteen orphans as for seven pairs.
  v.held = (census >> kHeldShift & 15) + figure(kHeld);
  v.pairs = (census >> kPairsShift & 15) + figure(kTwoUp);
  v.orphansHeld = (census >> kEndsHeldShift & 15) + figure(kHeld);
  v.orphanPairs = (census >> kEndPairsShift & 15) + figure(kTwoUp);
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

// Counts of 14 slots, codes of 136 and above counted apart as empty slots so that counting
// needs no branch. Counted in place: copying the counts out after their byte-wise increments
// would wait for every one of those stores to land.
struct SlotCounts {
  KindCounts kinds;
  std::uint8_t empty;
};
static_assert(sizeof(SlotCounts) == kKindCount + 1, "the spare count follows the kinds");

// The counts of 14 slots, their suits' keys, their total, and whether every count stayed below 5
// (empty slots counted too, so a hand of fewer than ten tiles says no and takes the full check).
// 64-bit targets gather the keys with the counting; 32-bit ones, where each 64-bit add is two,
// take them from the counts afterwards.
inline void CountSlots(const TileCode* slots14, SlotCounts& out, SuitKeys& keys, int& total,
                       bool& belowFive) {
  out = {};
  // Kinds 0..33 and the spare as one run of bytes (reading an object's bytes is always allowed).
  unsigned char* counts = reinterpret_cast<unsigned char*>(&out);
  unsigned over = 0;  // a count of 5 to 252 sets bit 3 or above of count + 3
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
  } else {
    for (int i = 0; i < 14; ++i) over |= (++counts[kSlotWeights.kind[slots14[i]]] + 3u) >> 3;
    for (int s = 0; s < 3; ++s) keys[s] = KeyOfSuit(&out.kinds[9 * s]);
  }
  total = 14 - out.empty;
  belowFive = over == 0;
}

}  // namespace zuvelo::detail
