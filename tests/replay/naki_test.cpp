// Meld codes: the worked examples, every call kind's tile order and hand change, and the
// faults of TehaiNaki.
#include "replay/naki.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace zuvelo {
namespace {

using Tiles = std::array<TileCode, 4>;
constexpr TileCode X = kNoTile;

// A 13-tile hand holding the given codes first, filled up with codes of kinds far away.
Tehai HandWith(std::vector<int> codes) {
  for (int filler = 0; codes.size() < 13; ++filler)
    if (std::find(codes.begin(), codes.end(), 100 - filler) == codes.end())
      codes.push_back(100 - filler);
  Tehai tehai;
  tehai.SetHaipai(codes.data());
  EXPECT_TRUE(tehai.UpdateSyanten1().ok());
  return tehai;
}

bool Holds(const Tehai& tehai, int code) {
  return std::find(tehai.hai.begin(), tehai.hai.begin() + tehai.nHai, code) !=
         tehai.hai.begin() + tehai.nHai;
}

struct Example {
  std::uint16_t m;
  NakiType type;
  int from;
  Tiles tiles;
  std::vector<int> removed;
};

const Example kExamples[] = {
    {7463, NakiType::kChi, 3, {13, 8, 18, X}, {8, 18}},
    {41578, NakiType::kPon, 2, {108, 109, 110, X}, {109, 110}},
    {13312, NakiType::kAnkan, 0, {52, 53, 54, 55}, {52, 53, 54, 55}},
    {13569, NakiType::kMinkan, 1, {53, 52, 54, 55}, {52, 54, 55}},
    {30752, NakiType::kNuki, 0, {120, X, X, X}, {120}},
    // Chi of 7-8-9 bamboo (sequence 20), copies 3, 0, 1, high tile called from seat 3.
    {static_cast<std::uint16_t>((20 * 3 + 2) << 10 | 1 << 7 | 0 << 5 | 3 << 3 | 4 | 3),
     NakiType::kChi,
     3,
     {105, 99, 100, X},
     {99, 100}},
    // Pon of 9 circles without copy 1, middle copy called from seat 1.
    {static_cast<std::uint16_t>((17 * 3 + 1) << 9 | 1 << 5 | 8 | 1),
     NakiType::kPon,
     1,
     {70, 68, 71, X},
     {68, 71}},
};

TEST(MeldCode, WorkedExamplesDecode) {
  for (const Example& e : kExamples) {
    const MeldCall call = DecodeMeld(e.m);
    EXPECT_EQ(call.type, e.type) << e.m;
    EXPECT_EQ(call.from, e.from) << e.m;
    EXPECT_EQ(call.tiles, e.tiles) << e.m;
  }
}

TEST(MeldCode, WorkedExamplesChangeTheHand) {
  for (const Example& e : kExamples) {
    Tehai tehai = HandWith(e.removed);
    // A concealed kan and a nuki are made on the player's own turn, with 14 tiles.
    if (e.type == NakiType::kAnkan || e.type == NakiType::kNuki) {
      ASSERT_TRUE(tehai.AddHai(40).ok());
    }
    const int before = tehai.nHai;
    const NakiResult r = TehaiNaki(tehai, e.m);
    ASSERT_TRUE(r.ok()) << e.m << " " << r.message << r.hand.Message();
    EXPECT_EQ(tehai.nHai, before - static_cast<int>(e.removed.size())) << e.m;
    for (int code : e.removed) EXPECT_FALSE(Holds(tehai, code)) << e.m << " still holds " << code;
    EXPECT_EQ(tehai.nakiList, std::vector<std::uint16_t>{e.m});
    // A chi or pon leaves 3n+2 tiles to discard from; a kan or nuki 3n+1 with fresh waits.
    EXPECT_EQ(tehai.nHai % 3, e.type == NakiType::kChi || e.type == NakiType::kPon ? 2 : 1);
  }
}

TEST(MeldCode, AddedKanReplacesThePonEntryInPlace) {
  Tehai tehai = HandWith({109, 110, 111, 8, 18});
  ASSERT_TRUE(TehaiNaki(tehai, 7463).ok());
  ASSERT_TRUE(tehai.RemoveHai(100).ok());  // the discard after the chi
  ASSERT_TRUE(TehaiNaki(tehai, 41578).ok());
  ASSERT_TRUE(tehai.RemoveHai(99).ok());
  ASSERT_TRUE(tehai.AddHai(50).ok());
  const NakiResult kan = TehaiNaki(tehai, 41586);
  ASSERT_TRUE(kan.ok()) << kan.message << kan.hand.Message();
  EXPECT_EQ(kan.call.type, NakiType::kKakan);
  EXPECT_EQ(kan.call.tiles, (Tiles{111, 108, 109, 110}));
  EXPECT_FALSE(Holds(tehai, 111));
  EXPECT_EQ(tehai.nakiList, (std::vector<std::uint16_t>{7463, 41586}));
}

TEST(MeldCode, FaultsOfTehaiNaki) {
  Tehai noPon = HandWith({111});
  ASSERT_TRUE(noPon.AddHai(50).ok());
  const NakiResult chakan = TehaiNaki(noPon, 41586);
  EXPECT_EQ(chakan.message, "TehaiNaki INVALID Chakan");
  EXPECT_FALSE(Holds(noPon, 111));  // removed before the entry was looked for

  for (int m : {33, 34, 35, 0x121, 0x7FFF0021}) {
    Tehai tehai = HandWith({});
    const auto before = tehai.hai;
    const NakiResult r = TehaiNaki(tehai, m);
    EXPECT_EQ(r.message, "UNKNOWN NAKI TYPE m=" + std::to_string(m));
    EXPECT_EQ(r.call.type, NakiType::kUnknown);
    EXPECT_EQ(tehai.hai, before);
  }

  Tehai missing = HandWith({8});  // the chi also needs 18
  const NakiResult r = TehaiNaki(missing, 7463);
  EXPECT_EQ(r.hand.Message(), "INVALID TEHAI hai136=18");
  EXPECT_FALSE(Holds(missing, 8));
  EXPECT_TRUE(missing.nakiList.empty());
}

TEST(MeldCode, OwnCallsKeepTilesAscending) {
  // Chi and pon with from-seat 0 (never written by the service) keep low, mid, high.
  for (int k = 0; k < 3; ++k) {
    const auto chi = static_cast<std::uint16_t>((2 * 3 + k) << 10 | 4);
    EXPECT_EQ(DecodeMeld(chi).tiles, (Tiles{8, 12, 16, X})) << k;
    const auto pon = static_cast<std::uint16_t>((5 * 3 + k) << 9 | 0 << 5 | 8);
    EXPECT_EQ(DecodeMeld(pon).tiles, (Tiles{21, 22, 23, X})) << k;
  }
}

TEST(MeldCode, KanTilesAreT1ThenTheOtherThreeAscending) {
  for (int t1 = 0; t1 < 136; ++t1) {
    const MeldCall call = DecodeMeld(static_cast<std::uint16_t>(t1 << 8));
    ASSERT_EQ(call.type, NakiType::kAnkan);
    std::array<int, 4> sorted = {call.tiles[0], call.tiles[1], call.tiles[2], call.tiles[3]};
    EXPECT_EQ(call.tiles[0], t1);
    EXPECT_TRUE(std::is_sorted(call.tiles.begin() + 1, call.tiles.end())) << t1;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sorted[i], t1 / 4 * 4 + i) << t1;
  }
}

}  // namespace
}  // namespace zuvelo
