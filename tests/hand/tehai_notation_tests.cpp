// The hand record's slots, faults and change key; hand notation read and written.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "hand/hand_notation.h"
#include "hand/syanten.h"
#include "hand/tehai.h"
#include "hand_testing.h"

namespace zuvelo {
namespace {

using namespace hand_testing;

auto SlotsWith(const std::vector<int>& codes) { return SlotsOf({codes.begin(), codes.end()}); }

Tehai HandOf(const std::vector<int>& codes) {
  Tehai tehai;
  for (int code : codes) EXPECT_TRUE(tehai.AddHai(code).ok());
  return tehai;
}

Tehai Dealt(const char* hand) {
  const std::vector<TileCode> codes = CodesOf(Tiles(hand));
  Tehai tehai = HandOf({codes.begin(), codes.end()});
  EXPECT_TRUE(tehai.UpdateSyanten1().ok());
  return tehai;
}

// A removed tile's slot takes the last filled one; a fault says what and changes nothing.
TEST(Tehai, FaultsSayWhatAndChangeNothing) {
  using Codes = std::vector<int>;
  const Codes full = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  // clang-format off
  const struct { Codes before; bool add; int code; Codes after; const char* fault; } cases[] = {
      {{10, 20, 30, 40}, false, 40, {10, 20, 30}, ""}, {{10, 200, 30}, false, 200, {10, 30}, ""},
      {{7, 9, 7, 11}, false, 7, {11, 9, 7}, ""}, {{10, 20, 30}, false, 256 + 20, {10, 30}, ""},
      {{10, 20, 30, 40, 50}, false, 20, {10, 50, 30, 40}, ""},
      {{1, 2}, false, 30, {1, 2}, "INVALID TEHAI hai136=30"},
      {{1, 2}, false, 300, {1, 2}, "INVALID TEHAI hai136=44"},
      {{1, 2}, false, 255, {1, 2}, "INVALID TEHAI hai136=255"},
      {{1, 2}, false, -1, {1, 2}, "INVALID TEHAI hai136=255"},
      {full, false, 1, {14, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, ""},
      {{}, false, 5, {}, "INVALID TEHAI hai136=5"}, {full, true, 15, full, "TEHAI FULL"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Tehai tehai = HandOf(c.before);
    const HandResult result = c.add ? tehai.AddHai(c.code) : tehai.RemoveHai(c.code);
    const HandError error = c.add ? HandError::kTehaiFull : HandError::kInvalidTehai;
    EXPECT_EQ(result.error, *c.fault ? error : HandError::kNone);
    EXPECT_EQ(result.Message(), c.fault);
    EXPECT_EQ(result.ShowsMessage(), *c.fault != 0);
    EXPECT_EQ(tehai.hai, SlotsWith(c.after));
    EXPECT_EQ(tehai.nHai, static_cast<int>(c.after.size()));
  }
}

TEST(Tehai, SlotsTakeTheLowByteUncheckedAndOnlyTileCodesMarkDiscards) {
  Tehai tehai = HandOf({130, 4, 77, 256 + 5});
  tehai.Sort();
  EXPECT_EQ(tehai.hai, SlotsWith({4, 5, 77, 130}));
  const int values[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 256 + 11, 136};
  tehai.SetHaipai(values);
  EXPECT_EQ(tehai.hai, SlotsWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 136}));
  EXPECT_EQ(tehai.Counts(), Tiles("111122223333m"));
  for (int code : {0, 3, 135, 136, 255, -1}) tehai.MarkDiscard(code);
  EXPECT_EQ(std::count(tehai.sutehaiKinds.begin(), tehai.sutehaiKinds.end(), 1), 2);
  EXPECT_TRUE(tehai.sutehaiKinds[0] && tehai.sutehaiKinds[33]);
}

// A reset leaves the key 0, as does the first deal; 1m and 5m in slots 0, 4 key as East, White.
TEST(HaiKey, NeitherAZeroKeyNorASharedKeySkipsTheComputation) {
  const int deal[13] = {1, 128, 5, 20, 2, 127, 6, 24, 4, 0, 3, 12, 7};
  Tehai tehai;
  tehai.SetHaipai(deal);
  ASSERT_EQ(HaiKey(tehai.hai), 0u);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_EQ(tehai.syanten1, CalcSyanten14(tehai.hai.data()));
  tehai = Dealt("123456789m123p5p");
  const std::uint32_t key = tehai.haiKey;
  tehai.hai[0] = 108;
  tehai.hai[4] = 124;
  ASSERT_EQ(HaiKey(tehai.hai), key);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_GT(tehai.syanten1, 0);
}

TEST(UpdateSyanten, WaitsCountCopiesLeftAndAWrongTileCountIsAFaultThatChangesNothing) {
  Tehai tehai = Dealt("1112345678999m");
  EXPECT_EQ(tehai.MachiCount(), 1 + 7 * 3 + 1);
  ASSERT_TRUE(tehai.RemoveHai(0).ok());  // 12 tiles now
  tehai.MarkDiscard(0);
  const Tehai before = tehai;
  for (const auto& [got, error, text] :
       {std::tuple(tehai.UpdateSyanten1(), HandError::kBadTileCount1, "UpdateSyanten1 nHai=12"),
        std::tuple(tehai.UpdateSyanten2(), HandError::kBadTileCount2, "UpdateSyanten2 nHai=12")}) {
    EXPECT_EQ(got.error, error);
    EXPECT_EQ(got.Message(), text);
    EXPECT_FALSE(got.ShowsMessage());
  }
  EXPECT_TRUE(std::tie(tehai.hai, tehai.syanten1, tehai.syanten2, tehai.haiKey, tehai.machi,
                       tehai.furiten) == std::tie(before.hai, before.syanten1, before.syanten2,
                                                  before.haiKey, before.machi, before.furiten));
}

TEST(HandNotation, ParsesBothFormsAndRoundTrips) {
  // clang-format off
  const struct { const char* text; const char* canonical; int calledSets; } cases[] = {
      {"11z 22z 123m\t456p 789s", "123m456p789s1122z", 0}, {"12m3m45m+3", "12345m", 3},
      {"123m456p789s1122z\r", "123m456p789s1122z", 0}, {"987654321m9999p", "123456789m9999p", 0},
      {"123m456p789s1z+1", "123m456p789s1z", 1}, {"11223344556677z", "11223344556677z", 0},
      {"1112345678999m+0", "1112345678999m", 0}, {"1111m+3", "1111m", 3}, {"  5m+4  ", "5m", 4}};
  // clang-format on
  for (const auto& c : cases) {
    const ParsedHand hand = ParseHandLine(c.text);
    ASSERT_TRUE(hand.ok() && hand.message.empty()) << c.text << ": " << hand.message;
    EXPECT_EQ(FormatTiles(hand.counts), c.canonical) << c.text;
    EXPECT_EQ(hand.calledSets, c.calledSets) << c.text;
  }
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

// Digits and blanks only, in more than one field, make a count line.
TEST(HandNotation, RejectsBadLinesSayingWhere) {
  using E = NotationError;
  std::string tail;
  for (int i = 0; i < 31; ++i) tail += " 0";
  // clang-format off
  const struct { std::string text; NotationError error; const char* mentions; } cases[] = {
      {"123m456p789s1122z+1", E::kBadTileTotal, "expected 10 or 11"}, {"", E::kEmpty, "empty"},
      {"123m456p789s11x2z", E::kBadCharacter, "'x' at column 15"}, {"  \t ", E::kEmpty, "empty"},
      {"m123m456p789s1122z", E::kBadCharacter, "'m' at column 1"},
      {"11111m456p789s12z", E::kFifthCopy, "four 1m at column 5"},
      {"4 4 4 4" + tail.substr(2), E::kBadTileTotal, "total 16"},
      {"123m456p789s1122zz", E::kBadCharacter, "column 18"}, {"12+1", E::kMissingSuit, "column 1"},
      {"123m456p 789 s1122z", E::kMissingSuit, "column 10"}, {"1 2 3m", E::kMissingSuit, "column"},
      {"123m456p789s1128z", E::kBadRank, "8z at column 16"}, {"123", E::kMissingSuit, "column 1"},
      {"123m456p789s1122z5", E::kMissingSuit, "column 18"}, {"5m+", E::kBadCalledSets, "column 3"},
      {"1230m456p789s112z", E::kBadRank, "0m at column 4"}, {"0 0 1 2 3", E::kBadCount, "found 5"},
      {"123m456p789s11z", E::kBadTileTotal, "11 tiles"}, {"-1 0 0", E::kBadCharacter, "column 1"},
      {"0 0 0" + tail + " 0", E::kBadCount, "found 35"}, {"5m+44", E::kBadCalledSets, "column 3"},
      {"5 4 4" + tail, E::kBadCount, "count 1 (\"5\")"}, {"5m+-1", E::kBadCalledSets, "column 3"},
      {"123m+3 4m", E::kBadCalledSets, "at the end"}, {"123m456p789s11z", E::kBadTileTotal, "+N"},
      {"4 4 4" + tail, E::kBadTileTotal, "total 12"}, {"4 4 04" + tail, E::kBadCount, "count 3"},
      {"5m+3", E::kBadTileTotal, "expected 4 or 5"}, {"0 0 0" + tail, E::kBadTileTotal, "total 0"},
      {"1m2m+", E::kBadCalledSets, "column 5"}, {"5m+5", E::kBadCalledSets, "column 3"}};
  // clang-format on
  for (const auto& c : cases) {
    const ParsedHand hand = ParseHandLine(c.text);
    EXPECT_EQ(hand.error, c.error) << c.text;
    EXPECT_NE(hand.message.find(c.mentions), std::string::npos) << c.text << ": " << hand.message;
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
