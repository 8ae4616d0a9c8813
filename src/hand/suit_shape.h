// What the decomposition search reaches inside one suit: the most blocks per number of sets,
// with and without a pair and by what it leaves isolated, and whether the suit is complete.
#pragma once

#include <array>
#include <cstdint>

namespace zuvelo::detail {

// Index: sets (0..4). Value: the most partial sets plus pairs that a decomposition with that
// many sets reaches, capped at kBlockCap; kNoBlocks when no decomposition has that many sets.
// The cap loses nothing: the evaluation never credits more than five blocks besides the sets.
using BlockRow = std::array<std::int8_t, 5>;
inline constexpr std::int8_t kNoBlocks = -32;
inline constexpr int kBlockCap = 5;

// "Isolated" means tiles a decomposition leaves as singles; a pairless decomposition that
// isolates only tiles of kinds held four times costs one more.
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
static_assert(sizeof(SuitShape) == 32, "shapes are hashed and compared as bytes");

inline constexpr std::uint8_t kCompleteSets = 1;   // every tile in a set
inline constexpr std::uint8_t kCompletePair = 2;   // sets and exactly one pair
inline constexpr std::uint8_t kQuadIsolation = 4;  // noPairQuad reaches something

}  // namespace zuvelo::detail
