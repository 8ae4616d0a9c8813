// Slot rows: what one suit's decompositions are worth to the standard form per number of set
// slots they fill, and the tables that combine three suits, the honours and the called sets
// into the standard form's number with three lookups.
//
// Why slots: a leaf of the decomposition search scores 8 - 2 sets - min(blocks, 4 - sets + h),
// h being 1 when the leaf holds a pair. With one pair taken out of the blocks as the head,
// that is 8 minus a value: 2 per set, 1 per partial set (or further pair) while the four set
// slots last, and 1 for the head. Told how many slots it may fill, each group adds its part of
// that value independently of the others, so a suit is summed up by its best value for 0..4
// slots (with and without the head), and groups combine by max-plus convolution of such rows.
// The rule for pairless leaves that isolate only quad tiles is not in this sum; hands where it
// can apply take the exact combination of the full shapes instead (shape_combination.h).
// Only about two hundred distinct rows exist, so every combination is tabulated.
#pragma once

#include <array>
#include <cstdint>

#include "hand/suit_shape.h"

namespace zuvelo::detail {

// Best value per number of slots filled (0..4); kNoSlots where nothing fills so few (a suit
// whose search only takes sequences cannot leave them empty).
using SlotRow = std::array<std::int8_t, 5>;
inline constexpr std::int8_t kNoSlots = -64;

struct SlotRows {
  SlotRow any;   // no head here: pairs count as partial sets
  SlotRow head;  // one pair of this suit is the head, whose point is included

  friend bool operator==(const SlotRows&, const SlotRows&) = default;
};

[[nodiscard]] SlotRows SlotRowsOf(const SuitShape& shape);

// The standard form's number where no quad rule applies, kUnreachedForm where no leaf exists.
inline constexpr int kUnreachedForm = 99;

class SlotTables {
 public:
  static constexpr int kMaxRows = 256;
  static constexpr int kMaxPairs = 256;
  static constexpr int kMaxRests = 512;
  static constexpr int kMaxHonourPairs = 5;  // more can never be used: four slots and a head

  // rows: the distinct slot rows, at most kMaxRows.
  void Build(const SlotRows* rows, int count);

  // Suits 0 and 1 together.
  [[nodiscard]] int Pair(int row0, int row1) const { return pair_[row0][row1]; }
  // Suit 2 with the fixed groups: `sets` called sets and honour sets (0..4), `pairs` honour
  // pairs.
  [[nodiscard]] int Rest(int row2, int sets, int pairs) const {
    return rest_[row2][sets][pairs < kMaxHonourPairs ? pairs : kMaxHonourPairs];
  }
  [[nodiscard]] int Standard(int pair, int rest) const { return final_[pair][rest]; }

  [[nodiscard]] int PairCount() const { return pairCount_; }
  [[nodiscard]] int RestCount() const { return restCount_; }

 private:
  std::array<std::array<std::uint8_t, kMaxRows>, kMaxRows> pair_;
  std::array<std::array<std::array<std::uint16_t, kMaxHonourPairs + 1>, 5>, kMaxRows> rest_;
  std::array<std::array<std::int8_t, kMaxRests>, kMaxPairs> final_;
  int pairCount_ = 0;
  int restCount_ = 0;
};

}  // namespace zuvelo::detail
