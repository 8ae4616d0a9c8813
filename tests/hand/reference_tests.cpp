// The hand engine against the slow reference: random hands of every size, every one-suit hand
// of 13 and 14 tiles, hands of four-copy shapes, and properties any shanten number must have.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "hand/syanten.h"
#include "hand/tehai.h"
#include "random_hands.h"
#include "syanten_reference.h"

namespace zuvelo {
namespace {

using testing_hands::CodesOf;
using testing_hands::CountsOf;
using testing_hands::Describe;
using testing_hands::HandRng;
using testing_hands::SlotsOf;

// Windows builds run these under Wine, the 32-bit one possibly through qemu; there they check
// a quarter of every random set so that the whole program stays well within a minute.
#ifdef _WIN32
constexpr int kRandomShare = 4;
#else
constexpr int kRandomShare = 1;
#endif

struct RandomSet {
  int tiles;
  int hands;
  std::uint32_t seed;
};

constexpr RandomSet kRandomSets[] = {
    {14, 200000, 14001}, {13, 200000, 13001}, {11, 50000, 11001}, {10, 50000, 10001},
    {8, 50000, 8001},    {7, 50000, 7001},    {5, 50000, 5001},   {4, 50000, 4001},
    {2, 50000, 2001},    {1, 50000, 1001},
};

bool Waiting(int tiles) { return tiles % 3 == 1; }

void ForEachRandomHand(bool waitingOnly,
                       const std::function<void(const std::vector<TileCode>&, HandRng&)>& visit) {
  for (const RandomSet& set : kRandomSets) {
    if (waitingOnly && !Waiting(set.tiles)) continue;
    HandRng rng(set.seed);
    for (int i = 0; i < set.hands / kRandomShare; ++i) visit(rng.Hand(set.tiles), rng);
  }
}

// Counts disagreements and keeps the first few for the failure message.
class Disagreements {
 public:
  void Add(const std::string& what) {
    if (count_++ < kShown) examples_ += "\n  " + what;
  }
  [[nodiscard]] ::testing::AssertionResult None() const {
    if (count_ == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count_ << " disagreements, first:" << examples_;
  }

 private:
  static constexpr int kShown = 12;
  int count_ = 0;
  std::string examples_;
};

// One record reused for every hand: a fresh one per hand would spend the run allocating.
Tehai& TehaiOf(const std::vector<TileCode>& codes) {
  static Tehai tehai;
  tehai.ResetTehai();
  for (TileCode code : codes) EXPECT_TRUE(tehai.AddHai(code).ok());
  return tehai;
}

void Update(Tehai& tehai) {
  const HandResult result = Waiting(tehai.nHai) ? tehai.UpdateSyanten1() : tehai.UpdateSyanten2();
  EXPECT_TRUE(result.ok()) << result.Message();
}

std::vector<TileKind> DirectMachi(const KindCounts& counts) {
  std::array<TileKind, kKindCount> waits{};
  const int found = ComputeMachi(counts, waits.data());
  return {waits.begin(), waits.begin() + std::clamp(found, 0, kKindCount)};
}

void CheckSyanten(const std::vector<TileCode>& codes, Disagreements& out) {
  const KindCounts counts = CountsOf(codes);
  const int expected = reference::Syanten(counts);
  const int by34 = CalcSyanten34(counts);
  const int by14 = CalcSyanten14(SlotsOf(codes).data());
  Tehai& tehai = TehaiOf(codes);
  Update(tehai);
  if (by34 == expected && by14 == expected && tehai.Syanten() == expected) return;
  out.Add(Describe(counts) + ": CalcSyanten34 " + std::to_string(by34) + ", CalcSyanten14 " +
          std::to_string(by14) + ", Tehai " + std::to_string(tehai.Syanten()) + ", reference " +
          std::to_string(expected) + " (standard " +
          std::to_string(reference::StandardSyanten(counts)) + ")");
}

// ComputeMachi is asked directly for every hand, not only for ready ones: a kind that
// completes the hand proves it ready.
void CheckWaits(const std::vector<TileCode>& codes, Disagreements& out) {
  const KindCounts counts = CountsOf(codes);
  const std::vector<TileKind> expected = reference::Machi(counts);
  const std::vector<TileKind> direct = DirectMachi(counts);
  Tehai& tehai = TehaiOf(codes);
  Update(tehai);
  const bool ready = !expected.empty();
  if (direct == expected && tehai.machi == expected && (tehai.syanten1 == 0) == ready &&
      (CalcSyanten34(counts) == 0) == ready)
    return;
  out.Add(Describe(counts) + ": ComputeMachi " + Describe(direct) + ", Tehai " +
          Describe(tehai.machi) + " (syanten1 " + std::to_string(tehai.syanten1) + "), reference " +
          Describe(expected));
}

TEST(ReferenceComparison, RandomHandsShanten) {
  Disagreements out;
  ForEachRandomHand(
      false, [&](const std::vector<TileCode>& codes, HandRng&) { CheckSyanten(codes, out); });
  EXPECT_TRUE(out.None());
}

TEST(ReferenceComparison, RandomHandsWaits) {
  Disagreements out;
  ForEachRandomHand(true,
                    [&](const std::vector<TileCode>& codes, HandRng&) { CheckWaits(codes, out); });
  EXPECT_TRUE(out.None());
}

// Hands drawn from the copies of a dozen kinds hold triplets and fours in several suits at once,
// with and without called sets: what random hands from the full set almost never show.
TEST(ReferenceComparison, RandomHandsOnFewKinds) {
  const std::vector<std::vector<int>> windows = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                                                 {2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 27, 28},
                                                 {0, 1, 2, 9, 10, 11, 18, 19, 20, 27, 28}};
  Disagreements out;
  HandRng rng(1212);
  for (const std::vector<int>& window : windows) {
    std::vector<TileCode> pool;
    for (int kind : window)
      for (int copy = 0; copy < 4; ++copy) pool.push_back(static_cast<TileCode>(kind * 4 + copy));
    for (int tiles : {14, 13, 11, 10, 8, 7})
      for (int i = 0; i < 4000 / kRandomShare; ++i) {
        const std::vector<TileCode> codes = rng.HandFrom(pool, tiles);
        CheckSyanten(codes, out);
        if (Waiting(tiles)) CheckWaits(codes, out);
      }
  }
  EXPECT_TRUE(out.None());
}

// Every way to hold `tiles` tiles of one suit, counts 0..4 on its nine kinds.
void ForEachSuitHand(int tiles, int suit, const std::function<void(const KindCounts&)>& visit) {
  KindCounts counts{};
  std::function<void(int, int)> place = [&](int rank, int left) {
    if (rank == 9) {
      if (left == 0) visit(counts);
      return;
    }
    for (int held = 0; held <= std::min(4, left); ++held) {
      if (left - held > 4 * (8 - rank)) continue;
      counts[suit * 9 + rank] = static_cast<std::uint8_t>(held);
      place(rank + 1, left - held);
    }
    counts[suit * 9 + rank] = 0;
  };
  place(0, tiles);
}

TEST(ReferenceComparison, EveryOneSuitHandOf13And14Tiles) {
  Disagreements out;
  int hands = 0;
  for (int tiles : {13, 14}) {
    // The suits rotate so that each of them carries a third of the hands.
    ForEachSuitHand(tiles, 0, [&](const KindCounts& characters) {
      KindCounts counts{};
      const int suit = hands++ % 3;
      std::copy_n(characters.begin(), 9, counts.begin() + suit * 9);
      CheckSyanten(CodesOf(counts), out);
      if (Waiting(tiles)) CheckWaits(CodesOf(counts), out);
    });
  }
  EXPECT_EQ(hands, 93600 + 118800);
  EXPECT_TRUE(out.None());
}

// Hands whose held kinds have exactly the counts of `shape` (e.g. 4, 3, 3, 3), each on a
// distinct kind taken from `kinds`.
void ForEachShapedHand(const std::vector<int>& shape, const std::vector<TileKind>& kinds,
                       const std::function<void(const KindCounts&)>& visit) {
  std::array<int, 5> left{};  // how many kinds still need each count
  for (int held : shape) ++left[held];
  KindCounts counts{};
  std::function<void(std::size_t, int)> place = [&](std::size_t index, int kindsLeft) {
    if (kindsLeft == 0) return visit(counts);
    if (kinds.size() - index < static_cast<std::size_t>(kindsLeft)) return;
    place(index + 1, kindsLeft);
    for (int held = 1; held <= 4; ++held) {
      if (left[held] == 0) continue;
      --left[held];
      counts[kinds[index]] = static_cast<std::uint8_t>(held);
      place(index + 1, kindsLeft - 1);
      counts[kinds[index]] = 0;
      ++left[held];
    }
  };
  place(0, static_cast<int>(shape.size()));
}

// 4441 besides the four usual shapes: three honours held four times and a single is the one
// 13-tile way to ask whether a kind held four times may stand as a set.
const std::vector<std::vector<int>> kShapes = {
    {4, 3, 3, 3}, {4, 4, 3, 2}, {4, 4, 3, 3}, {4, 4, 4, 2}, {4, 4, 4, 1}};

void CheckShaped(const KindCounts& counts, Disagreements& out) {
  const std::vector<TileCode> codes = CodesOf(counts);
  CheckSyanten(codes, out);
  if (Waiting(static_cast<int>(codes.size()))) CheckWaits(codes, out);
}

TEST(ReferenceComparison, FourCopyShapesOnNeighbouringKinds) {
  // One whole suit, a terminal of a second and three honours: every placement of each shape.
  const std::vector<TileKind> kinds = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 27, 28, 29};
  Disagreements out;
  int hands = 0;
  for (const std::vector<int>& shape : kShapes)
    ForEachShapedHand(shape, kinds, [&](const KindCounts& counts) {
      ++hands;
      CheckShaped(counts, out);
    });
  EXPECT_EQ(hands, 2860 + 8580 + 4290 + 2860 + 2860);
  EXPECT_TRUE(out.None());
}

TEST(ReferenceComparison, FourCopyShapesOnRandomKinds) {
  Disagreements out;
  HandRng rng(4433);
  for (const std::vector<int>& shape : kShapes)
    for (int i = 0; i < 20000 / kRandomShare; ++i) {
      std::array<TileKind, kKindCount> kinds;
      for (int kind = 0; kind < kKindCount; ++kind) kinds[kind] = static_cast<TileKind>(kind);
      KindCounts counts{};
      for (std::size_t j = 0; j < shape.size(); ++j) {
        std::swap(kinds[j], kinds[j + rng.Below(kKindCount - static_cast<int>(j))]);
        counts[kinds[j]] = static_cast<std::uint8_t>(shape[j]);
      }
      CheckShaped(counts, out);
    }
  EXPECT_TRUE(out.None());
}

// A drawn tile moves a 3n+1 hand to 3n+2 tiles: it can lower the shanten number by one at
// most, never raise it (the tile can be thrown back), and completes a ready hand exactly when
// it is one of the waits.
void CheckDraw(const KindCounts& counts, int drawn, Disagreements& out) {
  KindCounts after = counts;
  ++after[drawn];
  const int before = CalcSyanten34(counts);
  const int now = CalcSyanten34(after);
  const std::vector<TileKind> waits = before == 0 ? DirectMachi(counts) : std::vector<TileKind>{};
  const bool isWait = std::find(waits.begin(), waits.end(), drawn) != waits.end();
  if (now >= before - 1 && now <= before && (now == -1) == isWait) return;
  out.Add(Describe(counts) + " draws " + FormatKind(static_cast<TileKind>(drawn)) + ": " +
          std::to_string(before) + " -> " + std::to_string(now) + ", waits " + Describe(waits));
}

TEST(ReferenceComparison, ADrawnTileLowersShantenByOneAtMost) {
  Disagreements out;
  ForEachRandomHand(true, [&](const std::vector<TileCode>& codes, HandRng& rng) {
    CheckDraw(CountsOf(codes), KindOf(rng.Draw(codes)), out);
  });
  ForEachSuitHand(13, 1, [&](const KindCounts& counts) {
    for (int kind = 9; kind < 18; ++kind)
      if (counts[kind] < 4) CheckDraw(counts, kind, out);
  });
  EXPECT_TRUE(out.None());
}

// Sorting the slots, or any other order of them, changes no result; discards are marked first
// so that furiten takes part.
TEST(ReferenceComparison, SortNeverChangesResult) {
  Disagreements out;
  std::vector<TileKind> machiBefore;
  ForEachRandomHand(false, [&](const std::vector<TileCode>& codes, HandRng& rng) {
    Tehai& tehai = TehaiOf(codes);
    for (int i = 0; i < 3; ++i) tehai.MarkDiscard(rng.Draw(codes));
    Update(tehai);
    const int syantenBefore = tehai.Syanten();
    const bool furitenBefore = tehai.furiten;
    machiBefore = tehai.machi;
    const int inOrder = CalcSyanten14(tehai.hai.data());
    tehai.Sort();
    Update(tehai);
    std::array<TileCode, 14> shuffled = SlotsOf(codes);
    for (int i = 13; i > 0; --i) std::swap(shuffled[i], shuffled[rng.Below(i + 1)]);
    const int anyOrder = CalcSyanten14(shuffled.data());
    if (tehai.Syanten() == syantenBefore && tehai.machi == machiBefore &&
        tehai.furiten == furitenBefore && anyOrder == inOrder)
      return;
    out.Add(Describe(CountsOf(codes)) + ": syanten " + std::to_string(syantenBefore) + " -> " +
            std::to_string(tehai.Syanten()) + ", waits " + Describe(machiBefore) + " -> " +
            Describe(tehai.machi) + ", shuffled slots " + std::to_string(anyOrder) + " vs " +
            std::to_string(inOrder));
  });
  EXPECT_TRUE(out.None());
}

}  // namespace
}  // namespace zuvelo
