// Hand notation: tile notation and count lines parsed into counts, faults with their place,
// kinds and hands formatted back.
#include "hand/hand_notation.h"

#include <gtest/gtest.h>

#include <string>

#include "random_hands.h"

namespace zuvelo {
namespace {

struct GoodNotation {
  const char* text;
  const char* canonical;
  int calledSets;
};

TEST(HandNotation, ParsesTileNotation) {
  const GoodNotation cases[] = {
      {"123m456p789s1122z", "123m456p789s1122z", 0},
      {"11z 22z 123m\t456p 789s", "123m456p789s1122z", 0},  // groups in any order, blanks between
      {"987654321m9999p", "123456789m9999p", 0},
      {"19m19p19s1234567z", "19m19p19s1234567z", 0},
      {"  5m+4  ", "5m", 4},
      {"1111m+3", "1111m", 3},
      {"123m456p789s1z+1", "123m456p789s1z", 1},
      {"12m3m45m+3", "12345m", 3},  // one suit may come back
      {"11223344556677z", "11223344556677z", 0},
      {"1112345678999m+0", "1112345678999m", 0},
  };
  for (const GoodNotation& c : cases) {
    const ParsedHand hand = ParseTileNotation(c.text);
    ASSERT_TRUE(hand.ok()) << c.text << ": " << hand.message;
    EXPECT_EQ(FormatTiles(hand.counts), c.canonical) << c.text;
    EXPECT_EQ(hand.calledSets, c.calledSets) << c.text;
    EXPECT_TRUE(hand.message.empty());
  }
}

struct BadLine {
  const char* text;
  NotationError error;
  const char* mentions;  // part of the message that says what and where
};

TEST(HandNotation, RejectsBadNotationSayingWhere) {
  const BadLine cases[] = {
      {"", NotationError::kEmpty, "empty"},
      {"  \t ", NotationError::kEmpty, "empty"},
      {"123m456p789s11x2z", NotationError::kBadCharacter, "'x' at column 15"},
      {"m123m456p789s1122z", NotationError::kBadCharacter, "'m' at column 1"},
      {"123m456p789s1122zz", NotationError::kBadCharacter, "column 18"},
      {"123", NotationError::kMissingSuit, "column 1"},
      {"123m456p 789 s1122z", NotationError::kMissingSuit, "column 10"},
      {"123m456p789s1122z5", NotationError::kMissingSuit, "column 18"},
      {"1230m456p789s112z", NotationError::kBadRank, "0m at column 4"},
      {"123m456p789s1128z", NotationError::kBadRank, "8z at column 16"},
      {"11111m456p789s12z", NotationError::kFifthCopy, "four 1m at column 5"},
      {"5m+5", NotationError::kBadCalledSets, "column 3"},
      {"5m+", NotationError::kBadCalledSets, "column 3"},
      {"5m+44", NotationError::kBadCalledSets, "column 3"},
      {"5m+-1", NotationError::kBadCalledSets, "column 3"},
      {"123m+3 4m", NotationError::kBadCalledSets, "at the end"},
      {"1m2m+", NotationError::kBadCalledSets, "column 5"},
      {"12+1", NotationError::kMissingSuit, "column 1"},
      {"123m456p789s11z", NotationError::kBadTileTotal, "11 tiles"},
      {"123m456p789s11z", NotationError::kBadTileTotal, "+N"},
      {"5m+3", NotationError::kBadTileTotal, "expected 4 or 5"},
      {"123m456p789s1122z+1", NotationError::kBadTileTotal, "expected 10 or 11"},
  };
  for (const BadLine& c : cases) {
    const ParsedHand hand = ParseTileNotation(c.text);
    EXPECT_EQ(hand.error, c.error) << c.text;
    EXPECT_NE(hand.message.find(c.mentions), std::string::npos) << c.text << ": " << hand.message;
  }
}

std::string CountLine(const KindCounts& counts) {
  std::string line;
  for (int held : counts) {
    if (!line.empty()) line += ' ';
    line += std::to_string(held);
  }
  return line;
}

TEST(HandNotation, CountLinesAndNotationRoundTrip) {
  testing_hands::HandRng rng(77);
  for (int tiles : {14, 13, 11, 10, 8, 7, 5, 4, 2, 1})
    for (int i = 0; i < 200; ++i) {
      const KindCounts counts = testing_hands::CountsOf(rng.Hand(tiles));
      const std::string notation = testing_hands::Describe(counts);
      const ParsedHand fromNotation = ParseHandLine(notation);
      const ParsedHand fromCounts = ParseHandLine(CountLine(counts));
      ASSERT_TRUE(fromNotation.ok()) << notation << ": " << fromNotation.message;
      ASSERT_TRUE(fromCounts.ok()) << CountLine(counts) << ": " << fromCounts.message;
      EXPECT_EQ(fromNotation.counts, counts) << notation;
      EXPECT_EQ(fromCounts.counts, counts) << notation;
      EXPECT_EQ(fromNotation.calledSets, (14 - tiles) / 3) << notation;
      EXPECT_EQ(fromCounts.calledSets, (14 - tiles) / 3) << notation;
    }
}

TEST(HandNotation, RejectsBadCountLines) {
  const BadLine cases[] = {
      {"0 0 1 2 3", NotationError::kBadCount, "found 5"},
      {"0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadCount, "found 35"},
      {"5 4 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadCount, "count 1 (\"5\")"},
      {"4 4 04 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadCount, "count 3"},
      {"4 4 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadTileTotal, "total 12"},
      {"0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadTileTotal, "total 0"},
      {"4 4 4 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0",
       NotationError::kBadTileTotal, "total 16"},
      {"   ", NotationError::kEmpty, "empty"},
  };
  for (const BadLine& c : cases) {
    const ParsedHand hand = ParseCountLine(c.text);
    EXPECT_EQ(hand.error, c.error) << c.text;
    EXPECT_NE(hand.message.find(c.mentions), std::string::npos) << c.text << ": " << hand.message;
  }
}

TEST(HandNotation, HandLinesPickTheirForm) {
  // Digits and blanks only, in more than one field: a count line; anything else: notation.
  EXPECT_EQ(ParseHandLine("0 0 1 2 3").error, NotationError::kBadCount);
  EXPECT_EQ(ParseHandLine("123").error, NotationError::kMissingSuit);
  EXPECT_EQ(ParseHandLine("1 2 3m").error, NotationError::kMissingSuit);
  EXPECT_EQ(ParseHandLine("-1 0 0").error, NotationError::kBadCharacter);
  EXPECT_TRUE(ParseHandLine("123m456p789s1122z\r").ok());
}

TEST(HandNotation, FormatsKinds) {
  struct Named {
    int kind;
    const char* name;
  };
  const Named cases[] = {{0, "1m"},  {4, "5m"},  {8, "9m"},  {9, "1p"},  {17, "9p"}, {18, "1s"},
                         {26, "9s"}, {27, "1z"}, {30, "4z"}, {33, "7z"}, {34, "?"},  {255, "?"}};
  for (const Named& c : cases) EXPECT_EQ(FormatKind(static_cast<TileKind>(c.kind)), c.name);
  // Every kind's name parses back to that kind alone.
  for (int kind = 0; kind < kKindCount; ++kind) {
    const ParsedHand hand = ParseTileNotation(FormatKind(static_cast<TileKind>(kind)) + "+4");
    ASSERT_TRUE(hand.ok()) << kind;
    KindCounts expected{};
    expected[kind] = 1;
    EXPECT_EQ(hand.counts, expected) << kind;
  }
}

}  // namespace
}  // namespace zuvelo
