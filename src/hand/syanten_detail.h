// Internals of the hand evaluation that the tests reach: the step-by-step calculations and the
// table-driven ones that must agree with them on every legal hand.
#pragma once

#include <cstdint>

#include "hand/tile.h"

namespace zuvelo::detail {

// Counts 0..4 and at most 14 tiles: the hands the fast paths serve.
[[nodiscard]] bool IsLegalHand(const KindCounts& counts);

// The three stages and the decomposition search exactly as defined; initialToitsu is 1 only
// for a 14-slot hand without any tile.
[[nodiscard]] int LiteralSyanten(const KindCounts& counts, int initialToitsu = 0);

// Table-driven; kNotLegal for hands it does not serve.
inline constexpr int kNotLegal = 100;
[[nodiscard]] int FastSyanten(const KindCounts& counts);

// The waits of a hand already looked at (hand_view.h), which must be legal.
struct HandView;
int FastComputeMachi(const HandView& view, const KindCounts& counts, TileKind* out);

// The greedy set test over the suit kinds [begin, end): every tile must go into a set.
[[nodiscard]] bool GreedySets(std::uint8_t* counts, int begin, int end);

[[nodiscard]] bool LiteralAgariCheck(const KindCounts& counts);
[[nodiscard]] bool FastAgariCheck(const KindCounts& counts);  // legal hands only

int LiteralComputeMachi(const KindCounts& counts, TileKind* out);
// kNotLegal unless the hand is legal, of at most 13 tiles, and no suit too large for the
// tables.
int FastComputeMachi(const KindCounts& counts, TileKind* out);

}  // namespace zuvelo::detail
