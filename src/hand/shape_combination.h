// The standard form exactly, from the three suits' full shapes: a max-plus combination of their
// block rows that keeps the rule for pairless leaves isolating only quad tiles. The slot tables
// leave that rule out, so hands where it can apply are combined here.
#pragma once

#include "hand/suit_shape.h"

namespace zuvelo::detail {

// Called sets and the honours, which the search settles before the suits.
struct FixedGroups {
  int sets = 0;       // called sets and honour triplets and quads
  int pairs = 0;      // honour pairs
  int isolation = 0;  // as the suits' classes: 0 nothing, 1 only quads, 2 a single
  int quads = 0;      // the least number the honour quads allow
};

// The rule can only change the result when nothing isolated is a single honour and something
// isolated may be a quad.
[[nodiscard]] inline bool QuadRuleMayApply(const FixedGroups& fixed, std::uint8_t suitFlags) {
  return fixed.isolation != 2 && (fixed.isolation == 1 || (suitFlags & kQuadIsolation) != 0);
}

// kUnreachedForm (slot_table.h) when no leaf exists.
[[nodiscard]] int CombineShapes(const SuitShape& s0, const SuitShape& s1, const SuitShape& s2,
                                const FixedGroups& fixed);

}  // namespace zuvelo::detail
