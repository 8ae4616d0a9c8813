// The hand record: slot handling of AddHai/RemoveHai/SetHaipai/Sort, the change key, discard
// flags, reset, and the fault values with their texts.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "hand/hand_result.h"
#include "hand/syanten.h"
#include "hand/tehai.h"

namespace zuvelo {
namespace {

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

struct RemoveCase {
  const char* what;
  std::initializer_list<int> before;
  int code;
  std::initializer_list<int> after;
};

TEST(RemoveHai, MovesTheLastFilledSlotIntoTheGap) {
  const RemoveCase cases[] = {
      {"last slot only clears", {10, 20, 30, 40}, 40, {10, 20, 30}},
      {"slot 0 of 13",
       {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48},
       0,
       {48, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44}},
      {"middle slot", {10, 20, 30, 40, 50}, 20, {10, 50, 30, 40}},
      {"twice held, first match", {7, 9, 7, 11}, 7, {11, 9, 7}},
      {"twice held, last slot wins", {7, 9, 7}, 7, {7, 9}},
      {"compared as a byte", {10, 20, 30}, 256 + 20, {10, 30}},
      {"dealt non-tile by its own value", {10, 200, 30}, 200, {10, 30}},
      {"a full hand",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
       1,
       {14, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
  };
  for (const RemoveCase& c : cases) {
    Tehai tehai = HandOf(c.before);
    ASSERT_TRUE(tehai.RemoveHai(c.code).ok()) << c.what;
    EXPECT_EQ(tehai.hai, SlotsWith(c.after)) << c.what;
    EXPECT_EQ(tehai.nHai, static_cast<int>(c.after.size())) << c.what;
  }
}

TEST(RemoveHai, ACodeNotHeldIsAFaultThatChangesNothing) {
  const struct {
    std::initializer_list<int> before;
    int code;
    const char* message;
  } cases[] = {
      {{10, 20}, 30, "INVALID TEHAI hai136=30"},
      {{10, 20}, 300, "INVALID TEHAI hai136=44"},  // the code as a byte
      {{}, 5, "INVALID TEHAI hai136=5"},
      {{}, 255, "INVALID TEHAI hai136=255"},  // an empty slot is not a tile to remove
  };
  for (const auto& c : cases) {
    Tehai tehai = HandOf(c.before);
    const Slots before = tehai.hai;
    const HandResult result = tehai.RemoveHai(c.code);
    EXPECT_EQ(result.error, HandError::kInvalidTehai);
    EXPECT_EQ(result.Message(), c.message);
    EXPECT_TRUE(result.ShowsMessage());
    EXPECT_EQ(tehai.hai, before);
    EXPECT_EQ(tehai.nHai, static_cast<int>(c.before.size()));
  }
}

TEST(AddHai, FillsTheNextSlotWithTheLowByte) {
  Tehai tehai = HandOf({3, 256 + 5});
  EXPECT_EQ(tehai.hai, SlotsWith({3, 5}));
  EXPECT_EQ(tehai.nHai, 2);
}

TEST(AddHai, AFullHandIsAFaultThatChangesNothing) {
  Tehai tehai = HandOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
  const Slots before = tehai.hai;
  const HandResult result = tehai.AddHai(15);
  EXPECT_EQ(result.error, HandError::kTehaiFull);
  EXPECT_EQ(result.Message(), "TEHAI FULL");
  EXPECT_TRUE(result.ShowsMessage());
  EXPECT_EQ(tehai.hai, before);
  EXPECT_EQ(tehai.nHai, 14);
}

TEST(SetHaipai, TakesThirteenLowBytesUnchecked) {
  Tehai tehai = HandOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
  const int values[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 256 + 11, 136};
  tehai.SetHaipai(values);
  EXPECT_EQ(tehai.hai, SlotsWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 136}));
  EXPECT_EQ(tehai.nHai, 13);
  KindCounts expected{};
  expected[0] = 4, expected[1] = 4, expected[2] = 4;  // 136 counts as no tile
  EXPECT_EQ(tehai.Counts(), expected);
}

TEST(Tehai, SortOrdersTheSlotsAsBytes) {
  Tehai tehai = HandOf({130, 4, 77, 4 + 1});
  tehai.Sort();
  EXPECT_EQ(tehai.hai, SlotsWith({4, 5, 77, 130}));
  EXPECT_EQ(tehai.nHai, 4);
}

TEST(Tehai, MarkDiscardSetsTheKindForTheRound) {
  Tehai tehai;
  for (int code : {0, 3, 135, 136, 255, -1}) tehai.MarkDiscard(code);
  std::array<std::uint8_t, 34> expected{};
  expected[0] = 1, expected[33] = 1;
  EXPECT_EQ(tehai.sutehaiKinds, expected);
}

TEST(Tehai, ResetClearsEverything) {
  Tehai tehai = HandOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  tehai.nakiList.push_back(0x1234);
  tehai.MarkDiscard(40);
  tehai.furiten = true;
  tehai.syanten2 = 3;
  tehai.ResetTehai();
  EXPECT_EQ(tehai.hai, SlotsWith({}));
  EXPECT_EQ(tehai.nHai, 0);
  EXPECT_EQ(tehai.syanten1, 8);
  EXPECT_EQ(tehai.syanten2, 8);
  EXPECT_EQ(tehai.Syanten(), 8);
  EXPECT_EQ(tehai.haiKey, 0u);
  EXPECT_TRUE(tehai.nakiList.empty());
  EXPECT_TRUE(tehai.machi.empty());
  EXPECT_EQ(tehai.sutehaiKinds, (std::array<std::uint8_t, 34>{}));
  EXPECT_FALSE(tehai.furiten);
}

TEST(Tehai, SyantenReadsTheNumberOfTheHandsSize) {
  Tehai tehai;
  tehai.syanten1 = 1;
  tehai.syanten2 = 2;
  for (int n = 0; n <= 14; ++n) {
    tehai.nHai = n;
    EXPECT_EQ(tehai.Syanten(), n % 3 == 1 ? 1 : 2) << n;
  }
}

TEST(HaiKey, XorOfLittleEndianWords) {
  const struct {
    Slots slots;
    std::uint32_t key;
  } cases[] = {
      {SlotsWith({}), 0xFFFF0000u},  // three words of 0xFF bytes and one 16-bit word
      {SlotsWith({1, 2, 3, 4}), 0x04030201u ^ 0xFFFFu},
      {SlotsWith({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34}), 0x3412u},
      {SlotsWith({5, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0u},  // equal words cancel
      {SlotsWith({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0}), 0x80000000u},
  };
  for (const auto& c : cases) EXPECT_EQ(HaiKey(c.slots), c.key);
}

TEST(HaiKey, ADealWhoseKeyIsZeroIsStillComputed) {
  // Bytes chosen so the three words and the last half-word cancel out.
  const int deal[13] = {1, 128, 5, 20, 2, 127, 6, 24, 4, 0, 3, 12, 7};
  Tehai tehai;
  tehai.SetHaipai(deal);
  ASSERT_EQ(HaiKey(tehai.hai), 0u);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok());
  EXPECT_EQ(tehai.syanten1, CalcSyanten14(tehai.hai.data()));
  EXPECT_LT(tehai.syanten1, 8);
}

TEST(HandResult, MessagesAndWhoSeesThem) {
  const struct {
    HandResult result;
    const char* message;
    bool box;
  } cases[] = {
      {{HandError::kNone, 0}, "", false},
      {{HandError::kTehaiFull, 0}, "TEHAI FULL", true},
      {{HandError::kInvalidTehai, 255}, "INVALID TEHAI hai136=255", true},
      {{HandError::kBadTileCount1, 14}, "UpdateSyanten1 nHai=14", false},
      {{HandError::kBadTileCount2, 0}, "UpdateSyanten2 nHai=0", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result.Message(), c.message);
    EXPECT_EQ(c.result.ShowsMessage(), c.box);
    EXPECT_EQ(c.result.ok(), c.result.error == HandError::kNone);
  }
}

TEST(MachiCount, IsEmptyWithoutWaits) {
  Tehai tehai;
  EXPECT_EQ(tehai.MachiCount(), 0);
  tehai.machi = {0, 33};
  tehai.hai = SlotsWith({0, 1, 2, 132});
  EXPECT_EQ(tehai.MachiCount(), (4 - 3) + (4 - 1));
}

}  // namespace
}  // namespace zuvelo
