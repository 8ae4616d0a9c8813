// Table-driven shanten for legal hands. Seven pairs and thirteen orphans come from bit planes of
// the packed counts; the standard form from three table lookups (slot_table.h), except for the
// rare hands where the rule for isolated quads can apply or a suit is too large for the
// tables, which combine the full suit shapes.
// The honour-quad clamp of the evaluation is monotone, so it is applied once to the least
// score.
#include <algorithm>

#include "hand/packed_counts.h"
#include "hand/shape_combination.h"
#include "hand/suit_table.h"
#include "hand/syanten_detail.h"

namespace zuvelo::detail {
namespace {

int SevenPairsOrOrphans(const Packed& words) {
  int held = 0, pairs = 0, orphansHeld = 0;
  Word orphansDoubled = 0;
  for (int i = 0; i < kWords; ++i) {
    const Planes p = PlanesOf(words[i]);
    held += ByteSum(p.held);
    pairs += ByteSum(p.twoUp);
    orphansHeld += ByteSum(p.held & kOrphanMask[i]);
    orphansDoubled |= p.twoUp & kOrphanMask[i];
  }
  const int sevenPairs = 6 - pairs + (held < 7 ? 7 - held : 0);
  return std::min(sevenPairs, 13 - orphansHeld - (orphansDoubled != 0));
}

FixedGroups ReadFixedGroups(const Packed& words, int total) {
  FixedGroups h;
  bool single = false;
  for (int i = kFirstHonourWord; i < kWords; ++i) {
    const Planes p = PlanesOf(words[i]);
    const Word honour = kHonourMask[i];
    h.sets += ByteSum((p.three | p.four) & honour);
    h.pairs += ByteSum(p.two & honour);
    h.quads += ByteSum(p.four & honour);
    single |= (p.one & honour) != 0;
  }
  h.isolation = single ? 2 : (h.quads > 0 ? 1 : 0);
  if (h.quads > 0 && total % 3 == 2) --h.quads;
  h.sets += (14 - total) / 3;
  return h;
}

int StandardForm(const KindCounts& counts, const FixedGroups& h) {
  const SuitTables& tables = GetSuitTables();
  const SuitKey k0 = KeyOfSuit(&counts[0]), k1 = KeyOfSuit(&counts[9]), k2 = KeyOfSuit(&counts[18]);
  if (!(tables.Tabled(k0) && tables.Tabled(k1) && tables.Tabled(k2)))
    return CombineShapes(tables.ShapeOfAny(&counts[0]), tables.ShapeOfAny(&counts[9]),
                         tables.ShapeOfAny(&counts[18]), h);
  const int i0 = tables.Index(k0), i1 = tables.Index(k1), i2 = tables.Index(k2);
  const SuitClass &c0 = tables.Class(i0), &c1 = tables.Class(i1), &c2 = tables.Class(i2);
  if (QuadRuleMayApply(h, c0.flags | c1.flags | c2.flags))
    return CombineShapes(tables.Shape(i0), tables.Shape(i1), tables.Shape(i2), h);
  const SlotTables& slots = tables.slots();
  return slots.Standard(slots.Pair(c0.slots, c1.slots), slots.Rest(c2.slots, h.sets, h.pairs));
}

}  // namespace

int FastSyanten(const KindCounts& counts) {
  const Packed words = Pack(counts);
  const int total = LegalTotal(words);
  if (total < 0) return kNotLegal;
  const int best = total >= 13 ? std::min(8, SevenPairsOrOrphans(words)) : 8;
  if (best == -1) return best;
  const FixedGroups h = ReadFixedGroups(words, total);
  int s = StandardForm(counts, h);
  if (s == kUnreachedForm) return best;
  if (s != -1 && s < h.quads) s = h.quads;
  return std::min(best, s);
}

}  // namespace zuvelo::detail
