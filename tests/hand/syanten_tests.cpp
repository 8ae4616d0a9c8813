// Shanten numbers of hand-worked hands, grouped by the rule they exercise, and the tile-count
// faults of UpdateSyanten1/UpdateSyanten2.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "hand/syanten.h"
#include "hand/tehai.h"
#include "hand_cases.h"

namespace zuvelo {
namespace {

using hand_cases::CodesOf;
using hand_cases::Show;
using hand_cases::SlotsOf;
using hand_cases::Tiles;

struct SyantenCase {
  const char* hand;
  int syanten;
};

void ExpectSyanten(const SyantenCase& c) {
  const KindCounts counts = Tiles(c.hand);
  EXPECT_EQ(CalcSyanten34(counts), c.syanten) << c.hand;
  const auto slots = SlotsOf(CodesOf(counts));
  EXPECT_EQ(CalcSyanten14(slots.data()), c.syanten) << c.hand << " as codes";
}

// Fewer tiles mean called sets: (14 - tiles) / 3 of them.
TEST(CalcSyanten, CalledSetsFollowFromTheTileCount) {
  const SyantenCase cases[] = {
      {"5m", 0},          // four called sets and a lone tile waiting for its pair
      {"55m", -1},        //
      {"12m", 0},         // the partial set is a fifth block and does not count
      {"1112m", 0},       //
      {"1234567m1z", 0},  // two called sets
      {"123m456p789s5m", 0},
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

// A tile can wait for its pair only if a copy is left; with all four held it cannot.
TEST(CalcSyanten, QuadsThatCannotGiveTheHead) {
  const SyantenCase cases[] = {
      {"1111m", 1},                // three called sets: the spare 1m is no head
      {"123m456p789s1111z", 1},    // four East: one East can never be used
      {"111m5555m456p789s", 1},    // no 3m 4m 6m 7m to join the fourth 5m
      {"1234444m456p789s", 0},     // 1m is the single that waits
      {"123m456p789s5m1111z", 0},  // 14 tiles: the spare East is the discard
      {"1111z2222z3333z44z", 2},   // three spare honours, two of them extra
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

TEST(CalcSyanten, SinglePartialSetBesideItsNeighbour) {
  // 1m with 2m but no 3m: the 1m-2m partial set is tried on its own.
  const SyantenCase cases[] = {
      {"12m456p123789s11z", 0},
      {"89m456p123789s11z", 0},
      {"12m45p123789s1122z", 1},
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

TEST(CalcSyanten, SevenPairsAndThirteenOrphans) {
  const SyantenCase cases[] = {
      {"1122m3344p5566s77z", -1},  // seven distinct pairs
      {"1122m3344p5566s7z", 0},    // six pairs and a single
      {"1111m3399p1177s55z", 1},   // a quad is one pair: P = 6, K = 6
      {"19m19p19s1234567z", 0},    // one of each terminal and honour
      {"119m19p19s1234567z", -1},  // and one again
      {"199m19p19s123456z", 0},    // twelve kinds, one doubled
      {"147m258p369s1234z", 6},    // nothing fits together: seven pairs is nearest
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

TEST(CalcSyanten, StandardForm) {
  const SyantenCase cases[] = {
      {"1112345678999m", 0},    //
      {"11122233344455m", -1},  //
      {"123m456p789s112z", 1},  // twelve tiles: three sets, a pair, a single
      {"123m456p789s1122z", 0},
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

// Below 13 tiles only the standard form counts.
TEST(CalcSyanten, OtherFormsNeedThirteenTiles) {
  const SyantenCase cases[] = {
      {"19m19p19s12345z", 6},    // 11 distinct orphans: one called set and nothing else
      {"1122m3344p5566s", 3},    // six pairs, twelve tiles: two of them count for nothing
      {"19m19p19s1234567z", 0},  // the same orphans at 13 tiles
      {"1122m3344p5566s7z", 0},  //
  };
  for (const SyantenCase& c : cases) ExpectSyanten(c);
}

TEST(CalcSyanten, EmptyHands) {
  std::array<TileCode, 14> empty;
  empty.fill(kNoTile);
  EXPECT_EQ(CalcSyanten14(empty.data()), -1);
  empty.fill(200);  // codes of 136 and above are no tile either
  EXPECT_EQ(CalcSyanten14(empty.data()), -1);
  EXPECT_EQ(CalcSyanten34(KindCounts{}), 0);
}

TEST(CalcSyanten, SlotOrderAndNonTileCodesDoNotMatter) {
  for (const char* hand : {"1112345678999m", "123m456p789s1111z", "19m19p19s1234567z"}) {
    const KindCounts counts = Tiles(hand);
    std::vector<TileCode> codes = CodesOf(counts);
    std::reverse(codes.begin(), codes.end());
    auto slots = SlotsOf(codes);
    if (codes.size() < 14) slots[13] = 136;
    EXPECT_EQ(CalcSyanten14(slots.data()), CalcSyanten34(counts)) << hand;
  }
}

// Counts only unchecked script arrays can produce: no particular number, but no fault either.
TEST(CalcSyanten, UncheckedCountsStayInRange) {
  KindCounts many{};
  many.fill(4);
  KindCounts huge{};
  huge.fill(255);
  KindCounts fives = Tiles("123m456p789s");
  fives[0] = 5, fives[30] = 9;
  for (const KindCounts& counts : {many, huge, fives}) {
    const int s = CalcSyanten34(counts);
    EXPECT_LE(s, 8) << Show(counts);
  }
}

TEST(UpdateSyanten, WrongTileCountIsAFaultThatChangesNothing) {
  Tehai tehai;
  const std::vector<TileCode> codes = CodesOf(Tiles("1112345678999m"));
  for (TileCode code : codes) ASSERT_TRUE(tehai.AddHai(code).ok());
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  ASSERT_EQ(tehai.machi.size(), 9u);
  ASSERT_TRUE(tehai.RemoveHai(codes.front()).ok());  // 12 tiles now
  tehai.MarkDiscard(codes.front());
  const Tehai before = tehai;

  const HandResult one = tehai.UpdateSyanten1();
  EXPECT_EQ(one.error, HandError::kBadTileCount1);
  EXPECT_EQ(one.Message(), "UpdateSyanten1 nHai=12");
  EXPECT_FALSE(one.ShowsMessage());
  const HandResult two = tehai.UpdateSyanten2();
  EXPECT_EQ(two.error, HandError::kBadTileCount2);
  EXPECT_EQ(two.Message(), "UpdateSyanten2 nHai=12");

  EXPECT_EQ(tehai.hai, before.hai);
  EXPECT_EQ(tehai.syanten1, before.syanten1);
  EXPECT_EQ(tehai.syanten2, before.syanten2);
  EXPECT_EQ(tehai.haiKey, before.haiKey);
  EXPECT_EQ(tehai.machi, before.machi);
  EXPECT_EQ(tehai.furiten, before.furiten);
}

TEST(UpdateSyanten, EachUpdateKeepsToItsOwnNumber) {
  Tehai tehai;
  for (TileCode code : CodesOf(Tiles("123m456p789s1122z"))) ASSERT_TRUE(tehai.AddHai(code).ok());
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_EQ(tehai.syanten1, 0);
  EXPECT_EQ(tehai.syanten2, 8);
  EXPECT_EQ(tehai.Syanten(), 0);
  ASSERT_TRUE(tehai.AddHai(4 * 27 + 2).ok());  // a third East: complete
  ASSERT_TRUE(tehai.UpdateSyanten2().ok());
  EXPECT_EQ(tehai.syanten2, -1);
  EXPECT_EQ(tehai.syanten1, 0);
  EXPECT_EQ(tehai.Syanten(), -1);
  EXPECT_EQ(tehai.machi.size(), 2u);  // UpdateSyanten2 leaves the waits alone
}

}  // namespace
}  // namespace zuvelo
