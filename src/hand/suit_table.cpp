// Per-suit tables, built once by running the decomposition search on every tabled suit
// vector, smaller vectors first. Whatever remains of a vector inside its search is a smaller
// vector that already has its shape, so each search stops one step below the top and looks the
// rest up; that keeps the build to a few tens of milliseconds.
#include "hand/suit_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hand/interner.h"
#include "hand/syanten_detail.h"
#include "hand/syanten_search.h"

namespace zuvelo::detail {
namespace {

int DigitSum(int key, int digits) {
  int sum = 0;
  for (int i = 0; i < digits; ++i, key /= 5) sum += key % 5;
  return sum;
}

// Per tile count r, the tails (four counts 0..4) holding at most r tiles.
std::array<int, kTabledSuitTiles + 1> TailsUpTo() {
  std::array<int, kTabledSuitTiles + 1> upTo{};
  for (int t = 0; t < 625; ++t)
    for (int r = DigitSum(t, 4); r <= kTabledSuitTiles; ++r) ++upTo[r];
  return upTo;
}

int IsolationOf(std::uint32_t isolated, std::uint32_t four) {
  if (isolated == 0) return 0;
  return (isolated & ~four) == 0 ? 1 : 2;
}

void Raise(BlockRow& row, int sets, int blocks) {
  if (sets > 4) return;
  const auto capped = static_cast<std::int8_t>(std::min(blocks, kBlockCap));
  row[sets] = std::max(row[sets], capped);
}

BlockRow Max(const BlockRow& a, const BlockRow& b) {
  BlockRow out;
  for (int m = 0; m < 5; ++m) out[m] = std::max(a[m], b[m]);
  return out;
}

// What the search reaches in one suit so far: with a pair, or without by isolation.
struct Reach {
  BlockRow withPair;
  std::array<BlockRow, 3> noPair;

  Reach() {
    withPair.fill(kNoBlocks);
    for (BlockRow& row : noPair) row.fill(kNoBlocks);
  }
  void Add(int sets, int blocks, bool pair, int isolation) {
    Raise(pair ? withPair : noPair[isolation], sets, blocks);
  }
};

// Runs the search on one suit; below the top call every subtree is a known smaller vector.
class ShapeVisitor {
 public:
  explicit ShapeVisitor(const SuitTables& tables) : tables_(tables) {}

  void End(const SyantenCalc& c) {
    reach_.Add(c.mentsu, c.taatsu + c.toitsu, c.toitsu > 0,
               IsolationOf(c.isolatedMask, c.fourMask));
  }

  bool Known(const SyantenCalc& c, int a) {
    if (!belowTop_) {  // the vector itself: its shape is what is being built
      belowTop_ = true;
      return false;
    }
    // The smaller vector's own quads must be the hand's, or its isolation classes would be
    // judged against the wrong kinds. Only kinds a..a+2 can have lost tiles so far.
    for (int k = a; k < std::min(a + 3, kSuitLength); ++k)
      if ((c.fourMask >> k & 1) != 0 && c.counts[k] != 4) return false;
    const SuitKey key = KeyOfSuit(c.counts.data());
    if (!tables_.Tabled(key)) return false;  // a larger suit met after start-up
    Merge(c, tables_.Shape(tables_.Index(key)));
    return true;
  }

  const Reach& reach() const { return reach_; }

 private:
  // The subtree's rows moved up by what the search has taken so far.
  void Merge(const SyantenCalc& c, const SuitShape& rest) {
    const int sets = c.mentsu, blocks = c.taatsu + c.toitsu;
    if (c.toitsu > 0) {
      RaiseShifted(reach_.withPair, rest.any, sets, blocks);
      return;
    }
    const int isolation = IsolationOf(c.isolatedMask, c.fourMask);
    RaiseShifted(reach_.withPair, rest.withPair, sets, blocks);
    RaiseShifted(reach_.noPair[isolation], rest.noPairClean, sets, blocks);
    RaiseShifted(reach_.noPair[std::max(isolation, 1)], rest.noPairQuad, sets, blocks);
    RaiseShifted(reach_.noPair[2], rest.noPairOther, sets, blocks);
  }

  static void RaiseShifted(BlockRow& into, const BlockRow& row, int sets, int blocks) {
    for (int m = 0; m + sets < 5; ++m)
      if (row[m] >= 0)
        into[m + sets] = std::max(into[m + sets],
                                  static_cast<std::int8_t>(std::min(row[m] + blocks, kBlockCap)));
  }

  const SuitTables& tables_;
  bool belowTop_ = false;
  Reach reach_;
};

// Keys of `digits` base-5 digits by tile count, then by value.
template <int N>
std::array<std::uint16_t, N> GradedKeys(int digits) {
  std::array<std::uint16_t, N> keys;
  for (int k = 0; k < N; ++k) keys[k] = static_cast<std::uint16_t>(k);
  std::sort(keys.begin(), keys.end(), [digits](int a, int b) {
    const int ta = DigitSum(a, digits), tb = DigitSum(b, digits);
    return ta != tb ? ta < tb : a < b;
  });
  return keys;
}

}  // namespace

void SuitTables::BuildIndex() {
  const auto tails = GradedKeys<kTailKeys>(4);
  for (int i = 0; i < kTailKeys; ++i)
    tailSpot_[tails[i]] = static_cast<std::uint32_t>(i) | DigitSum(tails[i], 4) << 24;
  const auto tailsUpTo = TailsUpTo();
  std::uint32_t start = 0;
  for (int h : GradedKeys<kHeadKeys>(5)) {
    const int tiles = DigitSum(h, 5);
    headSpot_[h] = static_cast<std::uint32_t>(tiles) << 24;
    if (tiles > kTabledSuitTiles) continue;
    headSpot_[h] |= start;
    start += tailsUpTo[kTabledSuitTiles - tiles];
  }
  if (start != kSuitVectorCount) std::abort();
}

// Completeness from smaller vectors: the greedy set test's first step leaves a vector whose
// own test is the rest of this one, and sets-and-pair is sets after some pair. Larger suits
// use the same steps; a smaller vector outside the tables takes the greedy test itself.
std::uint8_t SuitTables::CompletionFlags(const KindCounts& suit) const {
  int a = 0;
  while (a < kSuitLength && suit[a] == 0) ++a;
  if (a == kSuitLength) return kCompleteSets;
  const auto completeSets = [&](KindCounts& rest) {
    const SuitKey key = KeyOfSuit(rest.data());
    if (Tabled(key)) return (Shape(Index(key)).flags & kCompleteSets) != 0;
    return GreedySets(rest.data(), 0, kSuitLength);
  };
  // Sets alone hold 3n tiles, sets and a pair 3n+2.
  int tiles = 0;
  for (int k = a; k < kSuitLength; ++k) tiles += suit[k];
  std::uint8_t flags = 0;
  KindCounts work = suit;
  if (tiles % 3 == 0) {
    if (GreedySets(work.data(), a, a + 1) && completeSets(work)) flags = kCompleteSets;
  } else if (tiles % 3 == 2) {
    for (int k = a; k < kSuitLength; ++k) {
      if (suit[k] < 2) continue;
      work = suit;
      work[k] -= 2;
      if (completeSets(work)) flags |= kCompletePair;
    }
  }
  return flags;
}

SuitClass SuitTables::WaitClassOf(const std::uint8_t* counts9) const {
  KindCounts suit{};
  std::copy(counts9, counts9 + kSuitLength, suit.begin());
  SuitClass c{};
  c.flags = CompletionFlags(suit);
  for (int r = 0; r < kSuitLength; ++r) {
    if (suit[r] == 4) continue;
    ++suit[r];
    const std::uint8_t flags = CompletionFlags(suit);
    --suit[r];
    if (flags & kCompleteSets) c.setWaits |= static_cast<std::uint16_t>(1u << r);
    if (flags & kCompletePair) c.pairWaits |= static_cast<std::uint16_t>(1u << r);
  }
  return c;
}

SuitShape SuitTables::ComputeShape(const KindCounts& suit) const {
  SyantenCalc calc;
  calc.counts = suit;
  for (int k = 0; k < kSuitLength; ++k)
    if (suit[k] == 4) calc.fourMask |= 1u << k;
  ShapeVisitor visitor(*this);
  SyantenSearch(calc, 0, visitor);
  const Reach& reach = visitor.reach();
  SuitShape shape;
  shape.withPair = reach.withPair;
  shape.noPairClean = reach.noPair[0];
  shape.noPairQuad = reach.noPair[1];
  shape.noPairOther = reach.noPair[2];
  shape.noPair = Max(Max(shape.noPairClean, shape.noPairQuad), shape.noPairOther);
  shape.any = Max(shape.withPair, shape.noPair);
  shape.flags = CompletionFlags(suit);
  if (*std::max_element(shape.noPairQuad.begin(), shape.noPairQuad.end()) >= 0)
    shape.flags |= kQuadIsolation;
  shape.maxSets = 0;
  for (int m = 0; m < 5; ++m)
    if (shape.any[m] >= 0) shape.maxSets = static_cast<std::uint8_t>(m);
  return shape;
}

struct SuitTables::Waits {
  std::vector<std::uint16_t> sets = std::vector<std::uint16_t>(kSuitVectorCount);
  std::vector<std::uint16_t> pair = std::vector<std::uint16_t>(kSuitVectorCount);
  std::vector<std::uint16_t> census = std::vector<std::uint16_t>(kSuitVectorCount);
};

std::uint16_t SuitCensusOf(const std::uint8_t* suit) {
  int held = 0, pairs = 0;
  for (int k = 0; k < kSuitLength; ++k) held += suit[k] >= 1, pairs += suit[k] >= 2;
  const int endsHeld = (suit[0] >= 1) + (suit[8] >= 1), endPairs = (suit[0] >= 2) + (suit[8] >= 2);
  return static_cast<std::uint16_t>(held << kHeldShift | pairs << kPairsShift |
                                    endsHeld << kEndsHeldShift | endPairs << kEndPairsShift);
}

// A vector comes after every vector it contains: a smaller head has fewer tiles, and so has
// a smaller tail under the same head. So each search finds its subtrees' shapes built. A
// complete vector makes its rank a wait of each vector one tile short of it, built already.
void SuitTables::BuildShapes(Waits& waits) {
  Interner<SuitShape> shapes(shapes_.data(), kMaxShapes);
  const auto tails = GradedKeys<kTailKeys>(4);
  const auto tailsUpTo = TailsUpTo();
  std::array<std::array<std::uint8_t, 4>, kTailKeys> tailDigits;
  for (int i = 0; i < kTailKeys; ++i)
    for (int r = 3, key = tails[i]; r >= 0; --r, key /= 5)
      tailDigits[i][r] = static_cast<std::uint8_t>(key % 5);
  int index = 0;
  for (int h : GradedKeys<kHeadKeys>(5)) {
    const int tiles = DigitSum(h, 5);
    if (tiles > kTabledSuitTiles) continue;
    KindCounts suit{};
    for (int r = 4, key = h; r >= 0; --r, key /= 5) suit[r] = static_cast<std::uint8_t>(key % 5);
    for (int i = 0; i < tailsUpTo[kTabledSuitTiles - tiles]; ++i) {
      std::copy(tailDigits[i].begin(), tailDigits[i].end(), suit.begin() + 5);
      const SuitKey key = KeyOfSuit(suit.data());
      if (Index(key) != index) std::abort();
      const SuitShape shape = ComputeShape(suit);
      waits.census[index] = SuitCensusOf(suit.data());
      shapeOf_[index++] = static_cast<std::uint16_t>(shapes.Add(shape));
      const std::uint8_t complete = shape.flags & (kCompleteSets | kCompletePair);
      for (int r = 0; complete != 0 && r < kSuitLength; ++r) {
        if (suit[r] == 0) continue;
        const int shorter = Index(KeyWithAdded(key, r, -1));
        if (complete & kCompleteSets) waits.sets[shorter] |= static_cast<std::uint16_t>(1u << r);
        if (complete & kCompletePair) waits.pair[shorter] |= static_cast<std::uint16_t>(1u << r);
      }
    }
  }
  shapeCount_ = shapes.size();
}

void SuitTables::BuildClasses(const Waits& waits) {
  std::vector<SlotRows> rows(SlotTables::kMaxRows);
  Interner<SlotRows> rowIds(rows.data(), SlotTables::kMaxRows);
  std::vector<std::uint8_t> rowOfShape(shapeCount_);
  for (int s = 0; s < shapeCount_; ++s)
    rowOfShape[s] = static_cast<std::uint8_t>(rowIds.Add(SlotRowsOf(shapes_[s])));
  slots_.Build(rows.data(), rowIds.size());
  Interner<SuitClass> classes(classes_.data(), kMaxClasses);
  for (int i = 0; i < kSuitVectorCount; ++i) {
    const int shape = shapeOf_[i];
    const SuitClass c{waits.sets[i], waits.pair[i], waits.census[i], rowOfShape[shape],
                      shapes_[shape].flags};
    classOf_[i] = static_cast<std::uint16_t>(classes.Add(c));
  }
  classCount_ = classes.size();
}

SuitTables::SuitTables() {
  BuildIndex();
  Waits waits;
  BuildShapes(waits);
  BuildClasses(waits);
}

SuitShape SuitTables::ShapeOfAny(const std::uint8_t* counts9) const {
  const SuitKey key = KeyOfSuit(counts9);
  if (Tabled(key)) return Shape(Index(key));
  KindCounts suit{};
  std::copy(counts9, counts9 + kSuitLength, suit.begin());
  return ComputeShape(suit);
}

}  // namespace zuvelo::detail
