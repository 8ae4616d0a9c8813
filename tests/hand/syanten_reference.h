// Slow, exact reference for shanten numbers and waits, used by the tests to check the engine.
#pragma once

#include <vector>

#include "hand/tile.h"

namespace zuvelo::reference {

// Every function takes a hand of 1..14 tiles with counts 0..4. The called sets are
// (14 - total) / 3, so the complete hands of the hand's size class hold 14 - 3 * called tiles.

// Tiles that the nearest complete standard-form hand (sets and one pair, no kind more than
// four times) holds beyond this hand, minus one.
[[nodiscard]] int StandardSyanten(const KindCounts& counts);

// The same for seven pairs of distinct kinds and for thirteen orphans; only meaningful for 13
// and 14 tiles.
[[nodiscard]] int SevenPairsSyanten(const KindCounts& counts);
[[nodiscard]] int ThirteenOrphansSyanten(const KindCounts& counts);

// The least of the three forms for 13 and 14 tiles, the standard form below.
[[nodiscard]] int Syanten(const KindCounts& counts);

// Kinds, ascending, that make this 3n+1 hand complete when added; a kind already held four
// times is never one. 13-tile hands may also complete as seven pairs or thirteen orphans.
[[nodiscard]] std::vector<TileKind> Machi(const KindCounts& counts);

}  // namespace zuvelo::reference
