// Per-suit tables of the fast hand evaluation: for every count vector of one suit (counts
// 0..4, at most 14 tiles) what the decomposition search can reach inside that suit, and
// whether the suit is complete as sets.
#pragma once

#include <array>
#include <cstdint>

#include "hand/tile.h"

namespace zuvelo::detail {

inline constexpr int kSuitLength = 9;
inline constexpr int kMaxSuitTiles = 14;
inline constexpr int kSuitVectorCount = 405350;  // vectors of nine counts 0..4 summing to <= 14

// Index: sets (0..4). Value: the most partial sets plus pairs that a decomposition with that
// many sets reaches, capped at kBlockCap; kNoBlocks when no decomposition has that many sets.
// The cap loses nothing: the evaluation never credits more than five blocks besides the sets.
using BlockRow = std::array<std::int8_t, 5>;
inline constexpr std::int8_t kNoBlocks = -32;
inline constexpr int kBlockCap = 5;

// What one suit vector offers. "Isolated" means tiles a decomposition leaves as singles; a
// pairless decomposition that isolates only tiles of kinds held four times costs one more.
struct alignas(32) SuitShape {
  BlockRow any;       // every decomposition
  BlockRow withPair;  // decompositions holding a pair
  BlockRow noPair;    // decompositions without a pair
  std::uint8_t flags;
  BlockRow noPairClean;  // without a pair, nothing isolated
  BlockRow noPairQuad;   // without a pair, only quad tiles isolated
  BlockRow noPairOther;  // without a pair, some other tile isolated
  std::uint8_t maxSets;  // the most sets any decomposition reaches

  friend bool operator==(const SuitShape&, const SuitShape&) = default;
};
static_assert(sizeof(SuitShape) == 32, "shapes are hashed and compared as four words");

inline constexpr std::uint8_t kCompleteSets = 1;   // every tile in a set
inline constexpr std::uint8_t kCompletePair = 2;   // sets and exactly one pair
inline constexpr std::uint8_t kQuadIsolation = 4;  // noPairQuad reaches something

// A suit vector as base-5 numbers of ranks 1-5 (head) and 6-9 (tail), so that neighbours are
// cheap to find.
struct SuitKey {
  int head;
  int tail;
};

[[nodiscard]] constexpr SuitKey KeyOfSuit(const std::uint8_t* c) {
  return {(((c[0] * 5 + c[1]) * 5 + c[2]) * 5 + c[3]) * 5 + c[4],
          ((c[5] * 5 + c[6]) * 5 + c[7]) * 5 + c[8]};
}

// The key with one more tile of rank r (0..8).
[[nodiscard]] constexpr SuitKey KeyWithAdded(SuitKey key, int r) {
  constexpr int kPow5[] = {625, 125, 25, 5, 1, 125, 25, 5, 1};
  if (r < 5) return {key.head + kPow5[r], key.tail};
  return {key.head, key.tail + kPow5[r]};
}

// The tables: built by the first GetSuitTables() (thread-safe), never freed, about 1 MB.
class SuitTables {
 public:
  SuitTables();
  SuitTables(const SuitTables&) = delete;
  SuitTables& operator=(const SuitTables&) = delete;

  // Counts 0..4, at most 14 tiles in the suit.
  [[nodiscard]] int Index(SuitKey key) const { return headStart_[key.head] + tailRank_[key.tail]; }
  [[nodiscard]] const SuitShape& Shape(int index) const { return shapes_[shapeOf_[index]]; }
  [[nodiscard]] const SuitShape& ShapeOf(const std::uint8_t* counts9) const {
    return Shape(Index(KeyOfSuit(counts9)));
  }
  [[nodiscard]] int ShapeCount() const { return shapeCount_; }

  static constexpr int kMaxShapes = 4096;

 private:
  static constexpr int kHeadKeys = 3125;
  static constexpr int kTailKeys = 625;
  static constexpr int kHashSlots = 2 * kMaxShapes;

  void BuildIndex();
  void BuildShapes();
  [[nodiscard]] SuitShape ComputeShape(const KindCounts& suit) const;
  [[nodiscard]] std::uint8_t CompletionFlags(const KindCounts& suit) const;
  int Intern(const SuitShape& shape, std::array<std::uint16_t, kHashSlots>& slots);

  // Vectors are ordered by head, heads and tails each by tile count first, so the few-tile
  // vectors that real hands are made of sit close together. headStart_[h]: vectors before the
  // first one with head h; tailRank_[t]: tails before t.
  std::array<std::int32_t, kHeadKeys> headStart_;
  std::array<std::uint16_t, kTailKeys> tailRank_;
  std::array<std::uint16_t, kSuitVectorCount> shapeOf_;
  std::array<SuitShape, kMaxShapes> shapes_;
  int shapeCount_ = 0;
};

[[nodiscard]] const SuitTables& GetSuitTables();

}  // namespace zuvelo::detail
