// The hand record: slot handling of AddHai/RemoveHai/SetHaipai/Sort, faults that change
// nothing, the change key, reset, the two updates, furiten as the replay drives it, MachiCount.
// Hand notation: tile notation and count lines into counts, faults with their place, formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "hand/hand_notation.h"
#include "hand/syanten.h"
#include "hand/tehai.h"
#include "hand_testing.h"

namespace zuvelo {
namespace {

using namespace hand_testing;
using Slots = std::array<TileCode, 14>;

Slots SlotsWith(std::initializer_list<int> filled) {
  Slots slots;
  slots.fill(kNoTile);
  int i = 0;
  for (int code : filled) slots[i++] = static_cast<TileCode>(code);
  return slots;
}

Tehai HandOf(std::initializer_list<int> codes) {
  Tehai tehai;
  for (int code : codes) EXPECT_TRUE(tehai.AddHai(code).ok());
  return tehai;
}

TileCode Code(std::string_view tile, int copy = 0) {
  return static_cast<TileCode>(CodesOf(Tiles(tile)).front() + copy);
}

// The replay's steps for one player.
class Player {
 public:
  explicit Player(const char* hand) {
    const std::vector<TileCode> codes = CodesOf(Tiles(hand));
    int values[13];
    std::copy(codes.begin(), codes.end(), values);
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
  std::string Waits() const { return Describe(tehai.machi); }

  Tehai tehai;
};

TEST(Tehai, RemoveHaiMovesTheLastFilledSlotIntoTheGap) {
  // clang-format off
  using Codes = std::initializer_list<int>;
  const struct { const char* what; Codes before; int code; Codes after; } cases[] = {
      {"last slot only clears", {10, 20, 30, 40}, 40, {10, 20, 30}},
      {"middle slot", {10, 20, 30, 40, 50}, 20, {10, 50, 30, 40}},
      {"twice held, first match", {7, 9, 7, 11}, 7, {11, 9, 7}},
      {"twice held, last slot wins", {7, 9, 7}, 7, {7, 9}},
      {"compared as a byte", {10, 20, 30}, 256 + 20, {10, 30}},
      {"dealt non-tile by its own value", {10, 200, 30}, 200, {10, 30}},
      {"a full hand", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 1,
       {14, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Tehai tehai = HandOf(c.before);
    ASSERT_TRUE(tehai.RemoveHai(c.code).ok());
    EXPECT_EQ(tehai.hai, SlotsWith(c.after));
    EXPECT_EQ(tehai.nHai, static_cast<int>(c.after.size()));
  }
}

TEST(Tehai, FaultsSayWhatAndChangeNothing) {
  using E = HandError;
  // clang-format off
  const struct { std::initializer_list<int> before; bool add; int code; E error; const char* text; }
  cases[] = {
      {{10, 20}, false, 30, E::kInvalidTehai, "INVALID TEHAI hai136=30"},
      {{10, 20}, false, 300, E::kInvalidTehai, "INVALID TEHAI hai136=44"},  // as a byte
      {{}, false, 5, E::kInvalidTehai, "INVALID TEHAI hai136=5"},
      {{}, false, 255, E::kInvalidTehai, "INVALID TEHAI hai136=255"},  // an empty slot is no tile
      {{10, 20}, false, 255, E::kInvalidTehai, "INVALID TEHAI hai136=255"},  // nor beyond the last
      {{10, 20}, false, -1, E::kInvalidTehai, "INVALID TEHAI hai136=255"},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, true, 15, E::kTehaiFull, "TEHAI FULL"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Tehai tehai = HandOf(c.before);
    const Slots before = tehai.hai;
    const HandResult result = c.add ? tehai.AddHai(c.code) : tehai.RemoveHai(c.code);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.Message(), c.text);
    EXPECT_TRUE(result.ShowsMessage());
    EXPECT_EQ(tehai.hai, before);
    EXPECT_EQ(tehai.nHai, static_cast<int>(c.before.size()));
  }
}

TEST(Tehai, SlotsTakeTheLowByteUncheckedAndSortAsBytes) {
  Tehai tehai = HandOf({3, 256 + 5});
  EXPECT_EQ(tehai.hai, SlotsWith({3, 5}));
  const int values[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 256 + 11, 136};
  tehai.SetHaipai(values);
  EXPECT_EQ(tehai.hai, SlotsWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 136}));
  EXPECT_EQ(tehai.nHai, 13);
  EXPECT_EQ(tehai.Counts(), Tiles("111122223333m"));  // 136 counts as no tile
  tehai = HandOf({130, 4, 77, 4 + 1});
  tehai.Sort();
  EXPECT_EQ(tehai.hai, SlotsWith({4, 5, 77, 130}));
  EXPECT_EQ(tehai.nHai, 4);
}

// The replay resets between rounds; the shanten comparison resets before every hand.
TEST(Tehai, DiscardsAreMarkedByKindUntilAReset) {
  Tehai tehai;
  for (int code : {0, 3, 135, 136, 255, -1}) tehai.MarkDiscard(code);  // tile codes only
  EXPECT_EQ(std::count(tehai.sutehaiKinds.begin(), tehai.sutehaiKinds.end(), 1), 2);
  EXPECT_TRUE(tehai.sutehaiKinds[0] && tehai.sutehaiKinds[33]);
  tehai.nakiList.push_back(0x1234);
  tehai.furiten = true;
  tehai.ResetTehai();
  EXPECT_EQ(tehai.sutehaiKinds, (std::array<std::uint8_t, 34>{}));
  EXPECT_TRUE(tehai.nakiList.empty());
  EXPECT_FALSE(tehai.furiten);
}

TEST(HaiKey, ADealWhoseKeyIsZeroIsStillComputed) {
  // The key is the XOR of the slots as three little-endian words and a half-word; these bytes
  // cancel out.
  const int deal[13] = {1, 128, 5, 20, 2, 127, 6, 24, 4, 0, 3, 12, 7};
  Tehai tehai;
  tehai.SetHaipai(deal);
  ASSERT_EQ(HaiKey(tehai.hai), 0u);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_EQ(tehai.syanten1, CalcSyanten14(tehai.hai.data()));
  EXPECT_LT(tehai.syanten1, 8);
}

TEST(HaiKey, ADifferentHandWithTheSameKeyIsComputedAgain) {
  // 1m and 5m in slots 0 and 4 XOR to the same byte as East and White there.
  int ready[13] = {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 52};  // 123456789m 123p 5p
  Tehai tehai;
  tehai.SetHaipai(ready);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  ASSERT_EQ(tehai.syanten1, 0);
  const std::uint32_t key = tehai.haiKey;
  ready[0] = 108;
  ready[4] = 124;
  tehai.SetHaipai(ready);
  ASSERT_EQ(HaiKey(tehai.hai), key);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_EQ(tehai.syanten1, CalcSyanten14(tehai.hai.data()));
  EXPECT_GT(tehai.syanten1, 0);
  EXPECT_TRUE(tehai.machi.empty());
}

TEST(UpdateSyanten, WrongTileCountIsAFaultThatChangesNothing) {
  Player p("1112345678999m");
  Tehai& tehai = p.tehai;
  ASSERT_TRUE(tehai.RemoveHai(0).ok());  // 12 tiles now
  tehai.MarkDiscard(0);
  const Tehai before = tehai;
  const HandResult one = tehai.UpdateSyanten1();
  EXPECT_EQ(one.error, HandError::kBadTileCount1);
  EXPECT_EQ(one.Message(), "UpdateSyanten1 nHai=12");
  EXPECT_FALSE(one.ShowsMessage());
  const HandResult two = tehai.UpdateSyanten2();
  EXPECT_EQ(two.error, HandError::kBadTileCount2);
  EXPECT_EQ(two.Message(), "UpdateSyanten2 nHai=12");
  EXPECT_FALSE(two.ShowsMessage());
  EXPECT_TRUE(std::tie(tehai.hai, tehai.syanten1, tehai.syanten2, tehai.haiKey, tehai.machi,
                       tehai.furiten) == std::tie(before.hai, before.syanten1, before.syanten2,
                                                  before.haiKey, before.machi, before.furiten));
}

TEST(UpdateSyanten, EachUpdateKeepsToItsOwnNumber) {
  Player p("123m456p789s1122z");
  EXPECT_EQ(std::vector({p.tehai.syanten1, p.tehai.syanten2, p.tehai.Syanten()}),
            std::vector({0, 8, 0}));
  p.Draw(Code("1z", 2));  // a third East: complete
  EXPECT_EQ(std::vector({p.tehai.syanten1, p.tehai.syanten2, p.tehai.Syanten()}),
            std::vector({0, -1, -1}));
  EXPECT_EQ(p.Waits(), "1z 2z");  // UpdateSyanten2 leaves the waits alone
}

TEST(Furiten, AnEarlierDiscardOfAWaitLastsUntilTheNextReadyHand) {
  Player p("3459m123p456p789s");
  p.Draw(Code("1z"));
  p.Discard(Code("3m"));
  EXPECT_EQ(p.tehai.syanten1, 1);
  EXPECT_FALSE(p.tehai.furiten);
  p.Draw(Code("9m", 1));
  p.Discard(Code("1z"));  // 45m 99m: ready on 3m and 6m, and 3m went earlier
  EXPECT_EQ(p.Waits(), "3m 6m");
  EXPECT_TRUE(p.tehai.furiten);
  p.Draw(Code("2z"));
  p.Discard(Code("4m"));  // no longer ready: the flag stays
  EXPECT_EQ(p.Waits(), "none");
  EXPECT_TRUE(p.tehai.furiten);
  p.Draw(Code("7m"));
  p.Discard(Code("2z"));  // 57m 99m: ready on 6m only
  EXPECT_EQ(p.Waits(), "6m");
  EXPECT_FALSE(p.tehai.furiten);
}

// Drawing a wait and discarding that very tile (no win without a yaku) leaves the slots and
// their key as they were; the player has still discarded a wait.
TEST(Furiten, TheDrawnWaitDiscardedAgain) {
  Player p("23m123p456p789s11z");
  ASSERT_EQ(p.Waits(), "1m 4m");
  const Slots slots = p.tehai.hai;
  p.Draw(Code("4m", 2));
  p.Discard(Code("4m", 2));
  ASSERT_EQ(p.tehai.hai, slots);
  EXPECT_EQ(p.Waits(), "1m 4m");
  EXPECT_TRUE(p.tehai.furiten);
}

TEST(MachiCount, CountsCopiesLeftOutsideTheHand) {
  Player p("33345m123p456p11z");  // waits 3m (one left), 6m (four), 1z (two)
  EXPECT_EQ(p.tehai.MachiCount(), 1 + 4 + 2);
  EXPECT_EQ(Tehai().MachiCount(), 0);
}

TEST(HandNotation, ParsesTileNotation) {
  // clang-format off
  const struct { const char* text; const char* canonical; int calledSets; } cases[] = {
      {"123m456p789s1122z", "123m456p789s1122z", 0},
      {"11z 22z 123m\t456p 789s", "123m456p789s1122z", 0},
      {"987654321m9999p", "123456789m9999p", 0}, {"  5m+4  ", "5m", 4}, {"1111m+3", "1111m", 3},
      {"123m456p789s1z+1", "123m456p789s1z", 1}, {"12m3m45m+3", "12345m", 3},
      {"11223344556677z", "11223344556677z", 0}, {"1112345678999m+0", "1112345678999m", 0}};
  // clang-format on
  for (const auto& c : cases) {
    const ParsedHand hand = ParseTileNotation(c.text);
    ASSERT_TRUE(hand.ok()) << c.text << ": " << hand.message;
    EXPECT_EQ(FormatTiles(hand.counts), c.canonical) << c.text;
    EXPECT_EQ(hand.calledSets, c.calledSets) << c.text;
    EXPECT_TRUE(hand.message.empty());
  }
}

struct BadLine {
  std::string text;
  NotationError error;
  const char* mentions;  // part of the message that says what and where
};

void ExpectRejected(const BadLine& c, ParsedHand (*parse)(std::string_view)) {
  const ParsedHand hand = parse(c.text);
  EXPECT_EQ(hand.error, c.error) << c.text;
  EXPECT_NE(hand.message.find(c.mentions), std::string::npos) << c.text << ": " << hand.message;
}

TEST(HandNotation, RejectsBadNotationSayingWhere) {
  using E = NotationError;
  // clang-format off
  const BadLine cases[] = {
      {"", E::kEmpty, "empty"}, {"  \t ", E::kEmpty, "empty"},
      {"123m456p789s11x2z", E::kBadCharacter, "'x' at column 15"},
      {"m123m456p789s1122z", E::kBadCharacter, "'m' at column 1"},
      {"123m456p789s1122zz", E::kBadCharacter, "column 18"}, {"123", E::kMissingSuit, "column 1"},
      {"123m456p 789 s1122z", E::kMissingSuit, "column 10"},
      {"123m456p789s1122z5", E::kMissingSuit, "column 18"}, {"12+1", E::kMissingSuit, "column 1"},
      {"1230m456p789s112z", E::kBadRank, "0m at column 4"},
      {"123m456p789s1128z", E::kBadRank, "8z at column 16"},
      {"11111m456p789s12z", E::kFifthCopy, "four 1m at column 5"},
      {"5m+5", E::kBadCalledSets, "column 3"}, {"5m+", E::kBadCalledSets, "column 3"},
      {"5m+44", E::kBadCalledSets, "column 3"}, {"5m+-1", E::kBadCalledSets, "column 3"},
      {"123m+3 4m", E::kBadCalledSets, "at the end"}, {"1m2m+", E::kBadCalledSets, "column 5"},
      {"123m456p789s11z", E::kBadTileTotal, "11 tiles"},
      {"123m456p789s11z", E::kBadTileTotal, "+N"}, {"5m+3", E::kBadTileTotal, "expected 4 or 5"},
      {"123m456p789s1122z+1", E::kBadTileTotal, "expected 10 or 11"}};
  // clang-format on
  for (const BadLine& c : cases) ExpectRejected(c, ParseTileNotation);
}

TEST(HandNotation, RejectsBadCountLines) {
  using E = NotationError;
  std::string tail;  // 31 counts of 0 after three given ones
  for (int i = 0; i < 31; ++i) tail += " 0";
  const BadLine cases[] = {{"0 0 1 2 3", E::kBadCount, "found 5"},
                           {"0 0 0" + tail + " 0", E::kBadCount, "found 35"},
                           {"5 4 4" + tail, E::kBadCount, "count 1 (\"5\")"},
                           {"4 4 04" + tail, E::kBadCount, "count 3"},
                           {"4 4 4" + tail, E::kBadTileTotal, "total 12"},
                           {"0 0 0" + tail, E::kBadTileTotal, "total 0"},
                           {"4 4 4 4" + tail.substr(2), E::kBadTileTotal, "total 16"},
                           {"   ", E::kEmpty, "empty"}};
  for (const BadLine& c : cases) ExpectRejected(c, ParseCountLine);
  // Hand lines: digits and blanks only, in more than one field, are count lines.
  EXPECT_EQ(ParseHandLine("0 0 1 2 3").error, E::kBadCount);
  EXPECT_EQ(ParseHandLine("123").error, E::kMissingSuit);
  EXPECT_EQ(ParseHandLine("1 2 3m").error, E::kMissingSuit);
  EXPECT_EQ(ParseHandLine("-1 0 0").error, E::kBadCharacter);
  EXPECT_TRUE(ParseHandLine("123m456p789s1122z\r").ok());
}

TEST(HandNotation, CountLinesAndNotationRoundTrip) {
  HandRng rng(77);
  for (int tiles : {14, 13, 11, 10, 8, 7, 5, 4, 2, 1})
    for (int i = 0; i < 200; ++i) {
      const KindCounts counts = rng.Counts(tiles);
      std::string countLine;
      for (int held : counts) countLine.append(countLine.empty() ? "" : " ") += char('0' + held);
      for (const std::string& line : {Describe(counts), countLine}) {
        const ParsedHand hand = ParseHandLine(line);
        ASSERT_TRUE(hand.ok()) << line << ": " << hand.message;
        EXPECT_EQ(hand.counts, counts) << line;
        EXPECT_EQ(hand.calledSets, (14 - tiles) / 3) << line;
      }
    }
}

TEST(HandNotation, FormatsKinds) {
  std::string names;
  for (int kind = 0; kind <= kKindCount; ++kind) names += FormatKind(static_cast<TileKind>(kind));
  EXPECT_EQ(names + FormatKind(255),
            "1m2m3m4m5m6m7m8m9m1p2p3p4p5p6p7p8p9p1s2s3s4s5s6s7s8s9s1z2z3z4z5z6z7z??");
}

}  // namespace
}  // namespace zuvelo
