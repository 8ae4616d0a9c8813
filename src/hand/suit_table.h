// Per-suit tables of the fast hand evaluation: for every count vector of one suit (counts
// 0..4) up to eleven tiles, what the decomposition search can reach inside that suit, whether
// the suit is complete, and which added tile completes it. Larger suits (a flush in the
// making: a few in a hundred thousand suits replayed) would triple the start-up time; their
// shapes are worked out by the same search when met, on top of the tabled smaller ones.
#pragma once

#include <array>
#include <cstdint>

#include "hand/slot_table.h"
#include "hand/suit_shape.h"
#include "hand/tile.h"

namespace zuvelo::detail {

inline constexpr int kSuitLength = 9;
inline constexpr int kMaxSuitTiles = 14;
inline constexpr int kTabledSuitTiles = 11;
inline constexpr int kSuitVectorCount = 123275;  // vectors of nine counts 0..4 summing to <= 11

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

// The key with `delta` (+1 or -1) tiles of rank r (0..8).
[[nodiscard]] constexpr SuitKey KeyWithAdded(SuitKey key, int r, int delta = 1) {
  constexpr int kPow5[] = {625, 125, 25, 5, 1, 125, 25, 5, 1};
  if (r < 5) return {key.head + delta * kPow5[r], key.tail};
  return {key.head, key.tail + delta * kPow5[r]};
}

// What the fast paths read of one suit vector.
struct SuitClass {
  std::uint16_t setWaits;   // bit r: one more tile of rank r leaves every tile in sets
  std::uint16_t pairWaits;  // bit r: one more tile of rank r leaves sets and one pair
  std::uint8_t slots;       // its slot rows in SlotTables
  std::uint8_t flags;       // kCompleteSets, kCompletePair, kQuadIsolation

  friend bool operator==(const SuitClass&, const SuitClass&) = default;
};

// The tables: built by the first GetSuitTables() (thread-safe), never freed, about 1 MB.
class SuitTables {
 public:
  SuitTables();
  SuitTables(const SuitTables&) = delete;
  SuitTables& operator=(const SuitTables&) = delete;

  [[nodiscard]] int Tiles(SuitKey key) const { return headTiles_[key.head] + tailTiles_[key.tail]; }
  // Whether the vector (counts 0..4) is in the tables.
  [[nodiscard]] bool Tabled(SuitKey key) const { return Tiles(key) <= kTabledSuitTiles; }
  // Tabled vectors only.
  [[nodiscard]] int Index(SuitKey key) const { return headStart_[key.head] + tailRank_[key.tail]; }
  [[nodiscard]] const SuitShape& Shape(int index) const { return shapes_[shapeOf_[index]]; }
  [[nodiscard]] const SuitShape& ShapeOf(const std::uint8_t* counts9) const {
    return Shape(Index(KeyOfSuit(counts9)));
  }
  [[nodiscard]] const SuitClass& Class(int index) const { return classes_[classOf_[index]]; }
  [[nodiscard]] const SuitClass& ClassOf(const std::uint8_t* counts9) const {
    return Class(Index(KeyOfSuit(counts9)));
  }
  // Any vector of counts 0..4 and at most 14 tiles: from the tables or, for larger ones, by
  // the search.
  [[nodiscard]] SuitShape ShapeOfAny(const std::uint8_t* counts9) const;
  [[nodiscard]] const SlotTables& slots() const { return slots_; }
  [[nodiscard]] int ShapeCount() const { return shapeCount_; }
  [[nodiscard]] int ClassCount() const { return classCount_; }

  static constexpr int kMaxShapes = 4096;
  static constexpr int kMaxClasses = 8192;

 private:
  static constexpr int kHeadKeys = 3125;
  static constexpr int kTailKeys = 625;

  struct Waits;  // per vector while building

  void BuildIndex();
  void BuildShapes(Waits& waits);
  void BuildClasses(const Waits& waits);
  [[nodiscard]] SuitShape ComputeShape(const KindCounts& suit) const;
  [[nodiscard]] std::uint8_t CompletionFlags(const KindCounts& suit) const;

  // Vectors are ordered by head, heads and tails each by tile count first, so the few-tile
  // vectors that real hands are made of sit close together. headStart_[h]: vectors before the
  // first one with head h; tailRank_[t]: tails before t.
  std::array<std::int32_t, kHeadKeys> headStart_;
  std::array<std::uint16_t, kTailKeys> tailRank_;
  std::array<std::uint8_t, kHeadKeys> headTiles_;
  std::array<std::uint8_t, kTailKeys> tailTiles_;
  std::array<std::uint16_t, kSuitVectorCount> shapeOf_;
  std::array<std::uint16_t, kSuitVectorCount> classOf_;
  std::array<SuitShape, kMaxShapes> shapes_;
  std::array<SuitClass, kMaxClasses> classes_;
  SlotTables slots_;
  int shapeCount_ = 0;
  int classCount_ = 0;
};

[[nodiscard]] const SuitTables& GetSuitTables();

}  // namespace zuvelo::detail
