// Shanten numbers (-1 complete, 0 ready, up to 8): the least of the standard form, seven
// pairs and thirteen orphans; waits of a ready hand; standard-form completeness.
#pragma once

#include <cstdint>

#include "hand/tile.h"

namespace zuvelo {

// Shanten of a hand given as 34 kind counts. Called sets = (14 - total) / 3. Seven pairs and
// thirteen orphans are considered only for 13 or more tiles.
[[nodiscard]] int CalcSyanten34(const KindCounts& counts);

// Shanten of 14 tile-code slots (codes >= 136 are empty). A hand with no tile at all is -1.
[[nodiscard]] int CalcSyanten14(const TileCode* slots14);

// UpdateSyanten1's calculation, one look at the hand serving both: the shanten of 14 slots
// and, when it is 0, the waits of their kind counts (written to waits, at most 34, their
// number in waitCount; 0 when not ready).
[[nodiscard]] int CalcSyanten14WithMachi(const TileCode* slots14, TileKind* waits, int& waitCount);

// Waits of a ready 3n+1 hand, ascending; kinds held four times are never waits.
// Writes at most 34 kinds into out and returns how many.
int ComputeMachi(const KindCounts& counts, TileKind* out);

// Standard-form completeness (sets and one pair) of a 3n+2 hand.
[[nodiscard]] bool AgariCheck(const KindCounts& counts);

}  // namespace zuvelo
