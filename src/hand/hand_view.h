// One look at a legal hand for the fast paths: the census of its kinds, its honours and the
// table entries of its three suits. The shanten and the waits of one hand share it.
#pragma once

#include <algorithm>
#include <array>

#include "hand/packed_counts.h"
#include "hand/suit_table.h"

namespace zuvelo::detail {

struct HandView {
  int total = 0;
  int held = 0, pairs = 0;               // kinds held, kinds held twice or more
  int orphansHeld = 0, orphanPairs = 0;  // the same among terminals and honours
  int honourSets = 0, honourPairs = 0;   // honours held three or four times, twice
  int honourQuads = 0, honourSingles = 0;
  int largest = 0;                            // the most tiles in one suit
  std::array<SuitSpot, 3> spots{};            // indexes mean something only when tabled
  std::array<const SuitClass*, 3> classes{};  // set when every suit is tabled
};

// False when the hand is not legal: a count above 4, or more than 14 tiles.
[[nodiscard]] inline bool ViewHand(const KindCounts& counts, HandView& v) {
  const Packed words = Pack(counts);
  Word over = 0, sum = 0;
  for (Word w : words) over |= OverFour(w), sum += w;
  if (over != 0) return false;
  v.total = ByteSum(sum);
  if (v.total > 14) return false;
  // The honours' figures two to a byte, one per nibble, summed by one multiply each.
  Word kinds = 0, groups = 0, odd = 0;
  for (int i = kFirstHonourWord; i < kWords; ++i) {
    const Planes p = PlanesOf(words[i]);
    const Word honour = kHonourMask[i] | kHonourMask[i] << 4;
    kinds += (p.held | p.twoUp << 4) & honour;
    groups += ((p.three | p.four) | p.two << 4) & honour;
    odd += (p.four | p.one << 4) & honour;
  }
  const int k = ByteSum(kinds), g = ByteSum(groups), o = ByteSum(odd);
  v.honourSets = g & 15, v.honourPairs = g >> 4;
  v.honourQuads = o & 15, v.honourSingles = o >> 4;
  const SuitTables& tables = GetSuitTables();
  for (int s = 0; s < 3; ++s) v.spots[s] = tables.Locate(KeyOfSuit(&counts[9 * s]));
  v.largest = std::max({v.spots[0].tiles(), v.spots[1].tiles(), v.spots[2].tiles()});
  int census = 0;
  if (v.largest <= kTabledSuitTiles) {
    for (int s = 0; s < 3; ++s) {
      v.classes[s] = &tables.Class(v.spots[s].index());
      census += v.classes[s]->census;
    }
  } else {
    for (int s = 0; s < 3; ++s) census += SuitCensusOf(&counts[9 * s]);
  }
  v.held = (census >> kHeldShift & 15) + (k & 15);
  v.pairs = (census >> kPairsShift & 15) + (k >> 4);
  v.orphansHeld = (census >> kEndsHeldShift & 15) + (k & 15);
  v.orphanPairs = (census >> kEndPairsShift & 15) + (k >> 4);
  return true;
}

}  // namespace zuvelo::detail
