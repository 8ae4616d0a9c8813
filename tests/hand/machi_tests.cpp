// Waits of ready hands, the standard-form completeness test, and furiten as the replay drives
// it: draw, mark the discard, remove it, recompute.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "hand/syanten.h"
#include "hand/tehai.h"
#include "hand_cases.h"

namespace zuvelo {
namespace {

using hand_cases::CodesOf;
using hand_cases::Kind;
using hand_cases::Kinds;
using hand_cases::Tiles;

std::vector<TileKind> Waits(const KindCounts& counts) {
  TileKind out[kKindCount];
  return {out, out + ComputeMachi(counts, out)};
}

struct WaitCase {
  const char* hand;
  const char* waits;  // as tiles, one per kind
};

TEST(ComputeMachi, WaitsOfReadyHands) {
  const WaitCase cases[] = {
      {"1112345678999m", "123456789m"},            // the nine-sided wait
      {"1122m3344p5566s7z", "7z"},                 // six pairs and a single
      {"19m19p19s1234567z", "19m19p19s1234567z"},  // thirteen-sided orphans
      {"199m19p19s123456z", "7z"},                 // twelve orphans, one doubled
      {"123m456p789s1122z", "12z"},                // two pairs: either as a triplet
      {"112233m44p55s", "4p5s"},                   // the same with a called set
      {"33345m123p456p11z", "36m1z"},              // one wait on a kind held three times
      {"1234444m456p789s", "1m"},                  // 4m is held four times
      {"5m", "5m"},                                // four called sets
  };
  for (const WaitCase& c : cases) {
    ASSERT_EQ(CalcSyanten34(Tiles(c.hand)), 0) << c.hand;
    EXPECT_EQ(Waits(Tiles(c.hand)), Kinds(c.waits)) << c.hand;
  }
}

TEST(ComputeMachi, KindsHeldFourTimesAreNeverWaits) {
  // 1111m with three sets would complete only on a fifth 1m.
  EXPECT_TRUE(Waits(Tiles("1111m234p567p789s")).empty());
  EXPECT_TRUE(Waits(Tiles("1111m")).empty());
}

// Seven pairs only count for 13 tiles: with one call, six pairs are just six pairs.
TEST(ComputeMachi, SevenPairsOnlyWithoutCalls) {
  EXPECT_TRUE(Waits(Tiles("2233m4455p66s7z")).empty());
  EXPECT_EQ(Waits(Tiles("2233m4455p66s11z7z")), Kinds("7z"));
}

TEST(AgariCheck, StandardFormOnly) {
  const struct {
    const char* hand;
    bool complete;
  } cases[] = {
      {"11123456789999m", true},        // head 1m
      {"22m345m678m123p456p", true},    // head 2m
      {"33m456m789m123p456p", true},    // head 3m
      {"123m456m789m123p55p", true},    // head in another suit
      {"123m456p789s99s111z", true},    // honour triplet
      {"123m456p789s111z22z", true},    // honour head
      {"123m456p789s11z22z9s", false},  // two honour pairs
      {"123m456p789s99s11z2z", false},  // a lone honour
      {"123m456p78s1111z22z", false},   // four of an honour are never sets
      {"1122m3344p5566s77z", false},    // seven pairs is not the standard form
      {"119m19p19s1234567z", false},    // nor thirteen orphans
      {"11122233344455m", true},        // triplets or sequences, the same tiles
      {"12m", false},                   // two tiles: only a pair
      {"55m", true},                    //
  };
  for (const auto& c : cases) EXPECT_EQ(AgariCheck(Tiles(c.hand)), c.complete) << c.hand;
}

TileCode Code(std::string_view tile, int copy = 0) {
  return static_cast<TileCode>(4 * Kind(tile) + copy);
}

// The replay's steps for one player.
class Player {
 public:
  explicit Player(const char* hand) {
    const std::vector<TileCode> codes = CodesOf(Tiles(hand));
    int values[13];
    for (int i = 0; i < 13; ++i) values[i] = codes[i];
    tehai.SetHaipai(values);
    EXPECT_TRUE(tehai.UpdateSyanten1().ok());
  }
  void Draw(TileCode code) {
    ASSERT_TRUE(tehai.AddHai(code).ok());
    ASSERT_TRUE(tehai.UpdateSyanten2().ok());
  }
  void Discard(TileCode code) {
    tehai.MarkDiscard(code);
    ASSERT_TRUE(tehai.RemoveHai(code).ok());
    ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  }

  Tehai tehai;
};

TEST(Furiten, AnEarlierDiscardOfAWaitLastsUntilTheNextReadyHand) {
  Player p("3459m123p456p789s");
  p.Draw(Code("1z"));
  p.Discard(Code("3m"));
  EXPECT_EQ(p.tehai.syanten1, 1);
  EXPECT_FALSE(p.tehai.furiten);

  p.Draw(Code("9m", 1));
  p.Discard(Code("1z"));  // 45m 99m: ready on 3m and 6m, and 3m went earlier
  EXPECT_EQ(p.tehai.machi, Kinds("36m"));
  EXPECT_TRUE(p.tehai.furiten);

  p.Draw(Code("2z"));
  p.Discard(Code("4m"));  // no longer ready
  EXPECT_TRUE(p.tehai.machi.empty());
  EXPECT_TRUE(p.tehai.furiten);

  p.Draw(Code("7m"));
  p.Discard(Code("2z"));  // 57m 99m: ready on 6m only
  EXPECT_EQ(p.tehai.machi, Kinds("6m"));
  EXPECT_FALSE(p.tehai.furiten);
}

TEST(Furiten, DiscardingAWaitOfTheResultingHand) {
  Player p("123m9m123p456p789s");
  p.Draw(Code("9m", 1));
  EXPECT_EQ(p.tehai.syanten2, -1);
  p.Discard(Code("1m"));  // 23m: waits 1m and 4m, 1m just discarded
  EXPECT_EQ(p.tehai.machi, Kinds("14m"));
  EXPECT_TRUE(p.tehai.furiten);
}

// Drawing a wait and discarding that very tile (no win without a yaku) leaves the slots and
// their key as they were; the player has still discarded a wait.
TEST(Furiten, TheDrawnWaitDiscardedAgain) {
  Player p("23m123p456p789s11z");
  ASSERT_EQ(p.tehai.machi, Kinds("14m"));
  const std::array<TileCode, 14> slots = p.tehai.hai;
  p.Draw(Code("4m", 2));
  p.Discard(Code("4m", 2));
  ASSERT_EQ(p.tehai.hai, slots);
  EXPECT_EQ(p.tehai.machi, Kinds("14m"));
  EXPECT_TRUE(p.tehai.furiten);
}

TEST(Furiten, HandsThatAreNotReadyKeepTheFlag) {
  Player p("111m5555m456p789s");  // four 5m and no neighbours: not ready
  EXPECT_EQ(p.tehai.syanten1, 1);
  EXPECT_TRUE(p.tehai.machi.empty());
  EXPECT_FALSE(p.tehai.furiten);
  p.tehai.furiten = true;  // as left by an earlier ready hand
  p.Draw(Code("1z"));
  p.Discard(Code("1m"));  // 11m 5555m 1z: recomputed, still not ready
  EXPECT_EQ(p.tehai.syanten1, 1);
  EXPECT_TRUE(p.tehai.machi.empty());
  EXPECT_TRUE(p.tehai.furiten);
}

TEST(UpdateSyanten1, AnUnchangedKeyRecomputesNothing) {
  Player p("1112345678999m");
  ASSERT_EQ(p.tehai.machi.size(), 9u);
  p.tehai.syanten1 = 5;
  p.tehai.machi.clear();
  ASSERT_TRUE(p.tehai.UpdateSyanten1().ok());
  EXPECT_EQ(p.tehai.syanten1, 5);
  EXPECT_TRUE(p.tehai.machi.empty());
  p.tehai.hai[0] = Code("1m", 3);  // another copy of 1m: same hand, new key
  ASSERT_TRUE(p.tehai.UpdateSyanten1().ok());
  EXPECT_EQ(p.tehai.syanten1, 0);
  EXPECT_EQ(p.tehai.machi.size(), 9u);
}

TEST(MachiCount, CountsCopiesLeftOutsideTheHand) {
  Player p("33345m123p456p11z");  // waits 3m (one left), 6m (four), 1z (two)
  EXPECT_EQ(p.tehai.MachiCount(), 1 + 4 + 2);
}

}  // namespace
}  // namespace zuvelo
