// Per-suit tables of the fast hand evaluation: for every count vector of one suit (counts
// 0..4) up to eleven tiles, what the decomposition search can reach inside that suit, whether
// the suit is complete, and which added tile completes it. Larger suits (a flush in the
// making: a few in a hundred thousand suits replayed) would triple the start-up time; their
// shapes are worked out by the same search when met, on top of the tabled smaller ones.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "hand/slot_table.h"
#include "hand/suit_shape.h"
#include "hand/tile.h"

namespace zuvelo::detail {

inline constexpr int kSuitLength = 9;
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

// The same key from one 64-bit load for 64-bit targets (a 32-bit one would pay three
// multiplies for the one below). The eight counts after the first go to 16-bit lanes, odd
// ranks and even ranks apart; 5 x + y joins neighbours, and a multiply by 1 + 25 * 2^16 adds
// each lane pair into the upper lane: 125 c1 + 25 c2 + 5 c3 + c4 and 125 c5 + 25 c6 + 5 c7 +
// c8, no lane exceeding 624. Reads counts9[0..8] only.
[[nodiscard]] inline SuitKey KeyOfSuitWide(const std::uint8_t* c) {
  static_assert(std::endian::native == std::endian::little, "byte order of the lanes");
  constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
  std::uint64_t w;
  std::memcpy(&w, c + 1, sizeof w);  // little-endian: c1 in the lowest byte
  const std::uint64_t pairs = (w & kLanes) * 5 + (w >> 8 & kLanes);
  const std::uint64_t joined = pairs * (1 + (25ull << 16));
  return {c[0] * 625 + static_cast<int>(joined >> 16 & 0xFFFF), static_cast<int>(joined >> 48)};
}

// The key with `delta` (+1 or -1) tiles of rank r (0..8).
[[nodiscard]] constexpr SuitKey KeyWithAdded(SuitKey key, int r, int delta = 1) {
  constexpr int kPow5[] = {625, 125, 25, 5, 1, 125, 25, 5, 1};
  if (r < 5) return {key.head + delta * kPow5[r], key.tail};
  return {key.head, key.tail + delta * kPow5[r]};
}

// Kinds held, kinds held twice or more, and the same for the suit's two terminals, one nibble
// each, so that the three suits' figures and the honours' add up in one integer addition (no
// nibble overflows in a hand of at most 14 tiles).
inline constexpr int kHeldShift = 0, kPairsShift = 4, kEndsHeldShift = 8, kEndPairsShift = 12;

[[nodiscard]] std::uint16_t SuitCensusOf(const std::uint8_t* counts9);

// What the fast paths read of one suit vector.
struct SuitClass {
  std::uint16_t setWaits;   // bit r: one more tile of rank r leaves every tile in sets
  std::uint16_t pairWaits;  // bit r: one more tile of rank r leaves sets and one pair
  std::uint16_t census;     // nibbles as above
  std::uint8_t slots;       // its slot rows in SlotTables
  std::uint8_t flags;       // kCompleteSets, kCompletePair, kQuadIsolation

  friend bool operator==(const SuitClass&, const SuitClass&) = default;
};

// Where a vector's entry is and how many tiles it holds, from one addition of a head and a
// tail part: the tile count rides in the top byte.
struct SuitSpot {
  std::uint32_t bits;
  [[nodiscard]] int tiles() const { return static_cast<int>(bits >> 24); }
  [[nodiscard]] int index() const { return static_cast<int>(bits & 0xFFFFFF); }
};

// The tables: built by the first GetSuitTables() (thread-safe), never freed, about 1 MB.
class SuitTables {
 public:
  SuitTables();
  SuitTables(const SuitTables&) = delete;
  SuitTables& operator=(const SuitTables&) = delete;

  // Any vector of counts 0..4; its index means something only when it is tabled.
  [[nodiscard]] SuitSpot Locate(SuitKey key) const {
    return {headSpot_[key.head] + tailSpot_[key.tail]};
  }
  // Whether the vector (counts 0..4) is in the tables.
  [[nodiscard]] bool Tabled(SuitKey key) const { return Locate(key).tiles() <= kTabledSuitTiles; }
  // Tabled vectors only.
  [[nodiscard]] int Index(SuitKey key) const { return Locate(key).index(); }
  [[nodiscard]] const SuitShape& Shape(int index) const { return shapes_[shapeOf_[index]]; }
  [[nodiscard]] const SuitClass& Class(int index) const { return classes_[classOf_[index]]; }
  // Any vector of counts 0..4 and at most 14 tiles: from the tables or, for larger ones, by
  // the search.
  [[nodiscard]] SuitShape ShapeOfAny(const std::uint8_t* counts9) const;
  // Flags and waits of a vector too large for the waits in the tables (kTabledSuitTiles or
  // more tiles), worked out from the tables' smaller vectors.
  [[nodiscard]] SuitClass WaitClassOf(const std::uint8_t* counts9) const;
  [[nodiscard]] const SlotTables& slots() const { return slots_; }
  [[nodiscard]] int ShapeCount() const { return shapeCount_; }
  [[nodiscard]] int ClassCount() const { return classCount_; }

  static constexpr int kMaxShapes = 2048;
  static constexpr int kMaxClasses = 16384;

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
  // vectors that real hands are made of sit close together. headSpot_[h]: vectors before the
  // first one with head h; tailSpot_[t]: tails before t; each with its tiles in the top byte.
  std::array<std::uint32_t, kHeadKeys> headSpot_;
  std::array<std::uint32_t, kTailKeys> tailSpot_;
  std::array<std::uint16_t, kSuitVectorCount> shapeOf_;
  std::array<std::uint16_t, kSuitVectorCount> classOf_;
  std::array<SuitShape, kMaxShapes> shapes_;
  std::array<SuitClass, kMaxClasses> classes_;
  SlotTables slots_;
  int shapeCount_ = 0;
  int classCount_ = 0;
};

// Inline, so that the fast paths check that the tables are built without a call.
[[nodiscard]] inline const SuitTables& GetSuitTables() {
  static const SuitTables tables;
  return tables;
}

}  // namespace zuvelo::detail
