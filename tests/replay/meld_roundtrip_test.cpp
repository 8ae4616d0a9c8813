// Every meld code the generator can write, decoded by the replay: the kind of call, the seat
// and the tiles (the called tile first, the caller's own tiles ascending) come back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "mjlog_gen/meld_codes.h"
#include "replay/naki.h"

namespace zuvelo {
namespace {

using Tiles = std::array<TileCode, 4>;

Tiles CalledFirst(TileCode called, std::vector<TileCode> own) {
  std::sort(own.begin(), own.end());
  Tiles tiles{called, kNoTile, kNoTile, kNoTile};
  std::copy(own.begin(), own.end(), tiles.begin() + 1);
  return tiles;
}

void ExpectDecodes(std::uint16_t m, NakiType type, int from, const Tiles& tiles) {
  const MeldCall call = DecodeMeld(m);
  EXPECT_EQ(call.type, type) << m;
  EXPECT_EQ(call.from, from) << m;
  EXPECT_EQ(call.tiles, tiles) << m;
}

TEST(MeldRoundTrip, EveryChi) {
  int codes = 0;
  for (int suit = 0; suit < 3; ++suit)
    for (int low = suit * 9; low <= suit * 9 + 6; ++low)
      for (int copies = 0; copies < 64; ++copies) {
        const std::array<TileCode, 3> run = {
            static_cast<TileCode>(4 * low + (copies & 3)),
            static_cast<TileCode>(4 * (low + 1) + (copies >> 2 & 3)),
            static_cast<TileCode>(4 * (low + 2) + (copies >> 4 & 3))};
        for (int k = 0; k < 3; ++k) {
          std::vector<TileCode> own;
          for (int i = 0; i < 3; ++i)
            if (i != k) own.push_back(run[i]);
          ExpectDecodes(gen::ChiCode(run[0], run[1], run[2], run[k], 3), NakiType::kChi, 3,
                        CalledFirst(run[k], own));
          ++codes;
        }
      }
  EXPECT_EQ(codes, 21 * 64 * 3);
}

TEST(MeldRoundTrip, EveryPonAndItsAddedKan) {
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int unused = 0; unused < 4; ++unused)
      for (int called = 0; called < 4; ++called) {
        if (called == unused) continue;
        std::vector<TileCode> own;
        for (int copy = 0; copy < 4; ++copy)
          if (copy != unused && copy != called)
            own.push_back(static_cast<TileCode>(4 * kind + copy));
        const auto calledCode = static_cast<TileCode>(4 * kind + called);
        const auto unusedCode = static_cast<TileCode>(4 * kind + unused);
        for (int from = 1; from < 4; ++from) {
          const std::uint16_t pon = gen::PonCode(unusedCode, calledCode, from);
          ExpectDecodes(pon, NakiType::kPon, from, CalledFirst(calledCode, own));
          own.push_back(calledCode);
          ExpectDecodes(gen::KakanCode(pon), NakiType::kKakan, from, CalledFirst(unusedCode, own));
          own.pop_back();
        }
      }
}

TEST(MeldRoundTrip, EveryKanAndNuki) {
  for (int code = 0; code < kTileCodeCount; ++code) {
    const auto tile = static_cast<TileCode>(code);
    std::vector<TileCode> others;
    for (int copy = 0; copy < 4; ++copy)
      if (4 * KindOf(tile) + copy != code)
        others.push_back(static_cast<TileCode>(4 * KindOf(tile) + copy));
    for (int from = 1; from < 4; ++from)
      ExpectDecodes(gen::MinkanCode(tile, from), NakiType::kMinkan, from,
                    CalledFirst(tile, others));
    ExpectDecodes(gen::AnkanCode(tile), NakiType::kAnkan, 0, CalledFirst(tile, others));
  }
  for (int copy = 0; copy < 4; ++copy) {
    const auto north = static_cast<TileCode>(120 + copy);
    ExpectDecodes(gen::NukiCode(north), NakiType::kNuki, 0, {north, kNoTile, kNoTile, kNoTile});
  }
}

}  // namespace
}  // namespace zuvelo
