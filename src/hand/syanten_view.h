// The fast shanten of a viewed hand, inline for the entry points that look at the hand
// themselves (the slot-based ones of UpdateSyanten1 and UpdateSyanten2): a call would spill the
// whole view. Seven pairs and thirteen orphans come from the view's census; the standard form
// from three table lookups (slot_table.h), except for the rare hands where the rule for
// isolated quads can apply or a suit is too large for the tables, which combine the full suit
// shapes. The honour-quad clamp of the evaluation is monotone, so it is applied once to the
// least score.
#pragma once

#include <algorithm>
#include <array>

#include "hand/hand_view.h"
#include "hand/shape_combination.h"
#include "hand/suit_table.h"

namespace zuvelo::detail {

inline int SevenPairsOrOrphans(const HandView& v) {
  const int sevenPairs = 6 - v.pairs + (v.held < 7 ? 7 - v.held : 0);
  return std::min(sevenPairs, 13 - v.orphansHeld - (v.orphanPairs != 0));
}

// Called sets by tile count, (14 - total) / 3, and whether the total is 3n+2: two divisions
// that would otherwise cost more than the lookups they sit between.
inline constexpr std::array<std::int8_t, 15> kCalledSets = {4, 4, 4, 3, 3, 3, 2, 2,
                                                            2, 1, 1, 1, 0, 0, 0};
inline constexpr std::array<bool, 15> kCompleteSize = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};

inline FixedGroups ReadFixedGroups(const HandView& v) {
  FixedGroups h;
  h.sets = v.honourSets + kCalledSets[v.total];
  h.pairs = v.honourPairs;
  h.isolation = v.honourSingles != 0 ? 2 : (v.honourQuads > 0 ? 1 : 0);
  h.quads = v.honourQuads - (v.honourQuads > 0 && kCompleteSize[v.total]);
  return h;
}

// Hands with a suit too large for the tables, or where the rule for isolated quads can apply:
// the full shapes, combined exactly. Rare, so out of line.
int ExactForm(const HandView& v, const KindCounts& counts, const FixedGroups& h);

inline int StandardForm(const HandView& v, const KindCounts& counts, const FixedGroups& h) {
  if (v.largest > kTabledSuitTiles) return ExactForm(v, counts, h);
  const SuitClass &c0 = *v.classes[0], &c1 = *v.classes[1], &c2 = *v.classes[2];
  if (QuadRuleMayApply(h, c0.flags | c1.flags | c2.flags)) return ExactForm(v, counts, h);
  const SlotTables& slots = GetSuitTables().slots();
  return slots.Standard(slots.Pair(c0.slots, c1.slots), slots.Rest(c2.slots, h.sets, h.pairs));
}

inline int SyantenOfView(const HandView& view, const KindCounts& counts) {
  const int best = view.total >= 13 ? std::min(8, SevenPairsOrOrphans(view)) : 8;
  if (best == -1) return best;
  const FixedGroups h = ReadFixedGroups(view);
  int s = StandardForm(view, counts, h);
  if (s == kUnreachedForm) return best;
  if (s != -1 && s < h.quads) s = h.quads;
  return std::min(best, s);
}

}  // namespace zuvelo::detail
