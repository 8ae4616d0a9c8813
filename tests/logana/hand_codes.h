// Tile codes of a hand written in tile notation ("11123m456p789p55s"), for dealing hands in
// tests: kinds in notation order, each copy of a kind getting the next of its four codes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

#include "hand/hand_notation.h"
#include "hand/tehai.h"

namespace zuvelo::testing {

inline std::vector<int> CodesOf(std::string_view notation) {
  const ParsedHand parsed = ParseTileNotation(notation);
  EXPECT_TRUE(parsed.ok()) << parsed.message;
  std::vector<int> codes;
  for (int kind = 0; kind < kKindCount; ++kind)
    for (int copy = 0; copy < parsed.counts[kind]; ++copy) codes.push_back(kind * 4 + copy);
  return codes;
}

// A 13-tile hand dealt as the replay deals it, slot order as given.
inline void Deal(Tehai& hand, const std::vector<int>& codes13) {
  ASSERT_EQ(codes13.size(), 13u);
  hand.ResetTehai();
  hand.SetHaipai(codes13.data());
  ASSERT_TRUE(hand.UpdateSyanten1().ok());
}

}  // namespace zuvelo::testing
