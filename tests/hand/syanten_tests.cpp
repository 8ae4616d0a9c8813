// Shanten, completeness and waits against the slow reference and the engine's literal search.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "hand/suit_table.h"
#include "hand/syanten.h"
#include "hand/syanten_detail.h"
#include "hand/tehai.h"
#include "hand_testing.h"
#include "support/allocation_counter.h"
#include "syanten_reference.h"

namespace zuvelo {
namespace {

using namespace hand_testing;

#ifdef _WIN32
constexpr int kRandomShare = 4;  // Wine (and qemu for 32-bit) is slow
#else
constexpr int kRandomShare = 1;
#endif

using reference::Total;

std::vector<TileKind> Waits(const KindCounts& counts) {
  TileKind waits[kKindCount];
  return {waits, waits + std::clamp(ComputeMachi(counts, waits), 0, kKindCount)};
}

struct Mismatches {
  void Add(const KindCounts& counts, const std::string& what) {
    if (count++ < 12) examples += "\n  " + Describe(counts) + ": " + what;
  }
  ~Mismatches() { EXPECT_EQ(count, 0) << "mismatches, first:" << examples; }
  int count = 0;
  std::string examples;
};

// Edges: fours that cannot give the head, fifth copies as waits, seven pairs with a four.
TEST(ReferenceComparison, HandWorkedHands) {
  // clang-format off
  const struct { const char* hand; int syanten; const char* waits; } cases[] = {
      {"19m19p19s1234567z", 0, "1m 9m 1p 9p 1s 9s 1z 2z 3z 4z 5z 6z 7z"}, {"1112m", 0, "2m 3m"},
      {"1112345678999m", 0, "1m 2m 3m 4m 5m 6m 7m 8m 9m"}, {"33345m123p456p11z", 0, "3m 6m 1z"},
      {"123m456p789s1122z", 0, "1z 2z"}, {"123m456p789s1111z", 1, "none"}, {"1111234m", 0, "4m"},
      {"111m5555m456p789s", 1, "none"}, {"1111z2222z3333z4z", 3, "none"}, {"1234567m1z", 0, ""},
      {"147m258p369s1357z", 6, "none"}, {"159m159p159s1234z", 3, "none"}, {"1111m", 1, "none"},
      {"123m456p789s11z22z9s", 0, ""}, {"123m456p789s5m1111z", 0, ""}, {"123m456p789s1z", 0, "1z"},
      {"123m456p78s1111z22z", 0, ""}, {"12m456p123789s11z", 0, "3m"}, {"11122233344455m", -1, ""},
      {"89m456p123789s11z", 0, "7m"}, {"1122m3344p5566s77z", -1, ""}, {"2233m4455p66s7z", 2, ""},
      {"1122m3344p5566s7z", 0, "7z"}, {"119m19p19s1234567z", -1, ""}, {"19m19p19s12345z", 6, ""},
      {"199m19p19s123456z", 0, "7z"}, {"1111m2222m33m", 0, "3m 4m"}, {"1234444m456p789s", 0, "1m"},
      {"1111z2222z3333z44z", 2, ""}, {"12m45p123789s1122z", 1, ""}, {"1111m3399p1177s55z", 1, ""},
      {"5m", 0, "5m"}, {"55m", -1, ""}, {"12m", 0, ""}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hand);
    const KindCounts counts = Tiles(c.hand);
    EXPECT_EQ(reference::Syanten(counts), c.syanten);
    EXPECT_EQ(CalcSyanten34(counts), c.syanten);
    EXPECT_EQ(CalcSyanten14(SlotsOf(CodesOf(counts)).data()), c.syanten);
    for (const auto& waits : {reference::Machi(counts), Waits(counts)})
      EXPECT_EQ(Total(counts) % 3 == 1 ? Describe(waits) : "", c.waits);
  }
}

void CheckHand(const std::vector<TileCode>& codes, HandRng& rng, Mismatches& out) {
  const KindCounts counts = CountKinds(codes.data(), codes.size());
  const int syanten = reference::Syanten(counts);
  const bool waiting = codes.size() % 3 == 1;
  const std::vector<TileKind> waits = waiting ? reference::Machi(counts) : std::vector<TileKind>{};
  std::array<TileCode, 14> slots = SlotsOf(codes);
  for (int i = 13; i > 0; --i) std::swap(slots[i], slots[rng.Below(i + 1)]);
  if (CalcSyanten34(counts) != syanten || CalcSyanten14(slots.data()) != syanten)
    out.Add(counts, "shanten, reference " + std::to_string(syanten));
  if (!waiting && AgariCheck(counts) != (reference::StandardSyanten(counts) == -1))
    out.Add(counts, "AgariCheck");
  if (waiting && Waits(counts) != waits)
    out.Add(counts, "ComputeMachi " + Describe(Waits(counts)) + ", reference " + Describe(waits));
}

TEST(ReferenceComparison, RandomHands) {
  Mismatches out;
  for (int tiles : {14, 13, 11, 10, 8, 7, 5, 4, 2, 1}) {
    HandRng rng(static_cast<std::uint32_t>(tiles * 1000 + 1));
    for (int i = 0; i < (tiles >= 13 ? 200000 : 50000) / kRandomShare; ++i)
      CheckHand(rng.Hand(tiles), rng, out);
  }
}

void CheckFastPath(const KindCounts& counts, Mismatches& out) {
  TileKind slow[kKindCount];
  const bool ready = Total(counts) % 3 == 1 && Total(counts) <= 13;  // waits of any such hand
  if (CalcSyanten34(counts) != detail::LiteralSyanten(counts) ||
      (Total(counts) % 3 == 2 && AgariCheck(counts) != detail::LiteralAgariCheck(counts)) ||
      (ready &&
       Waits(counts) != std::vector(slow, slow + detail::LiteralComputeMachi(counts, slow))))
    out.Add(counts, "fast path");
}

// Nine counts 0..4 from a number in base 5, the last rank counting fastest.
std::array<std::uint8_t, 9> SuitVector(int code) {
  std::array<std::uint8_t, 9> suit{};
  for (int r = 8; r >= 0; --r, code /= 5) suit[r] = static_cast<std::uint8_t>(code % 5);
  return suit;
}

// Every suit vector keys alike both ways; legal ones meet the reference and, with honours added,
// the literal search.
TEST(SyantenFastPath, WideSuitKeyIsTheKeyAndEverySuitVectorMeetsTheSearches) {
  const KindCounts patterns[] = {Tiles(""),       Tiles("11z"),   Tiles("1z"),    Tiles("1111z"),
                                 Tiles("111z2z"), Tiles("1z22z"), Tiles("11z22z")};
  Mismatches out;
  HandRng rng(9);
  int n = 0;
  for (int code = 0; code < 1953125; ++code) {
    const std::array<std::uint8_t, 9> suit = SuitVector(code);
    const int tiles = std::accumulate(suit.begin(), suit.end(), 0);
    KindCounts counts{};
    std::copy(suit.begin(), suit.end(), counts.begin() + 9 * (n % 3));
    const detail::SuitKey a = detail::KeyOfSuit(suit.data()),
                          b = detail::KeyOfSuitWide(suit.data());
    if (a.head != b.head || a.tail != b.tail) out.Add(counts, "wide key");
    if (tiles > 14) continue;
    if (tiles >= 13) CheckHand(CodesOf(counts), rng, out);
    const KindCounts& honours = patterns[n % std::size(patterns)];
    if (Total(honours) + tiles <= 14)
      std::copy(honours.begin() + 27, honours.end(), counts.begin() + 27);
    CheckFastPath(counts, out);
    ++n;
  }
}

KindCounts MixedHand(HandRng& rng, int tiles) {
  std::vector<TileCode> pool;
  for (int group = 0; group < 4; ++group) {
    const int first = group < 3 ? 9 * group + rng.Below(6) : 27 + rng.Below(4);
    for (int kind = first; kind < first + 3 + (group < 3); ++kind)
      for (int copy = 0; copy < 4; ++copy) pool.push_back(static_cast<TileCode>(4 * kind + copy));
  }
  KindCounts counts{};
  for (int quads = rng.Below(3); quads > 0 && tiles >= 4; --quads, tiles -= 4) {
    const int kind = KindOf(pool[rng.Below(static_cast<int>(pool.size()))]);
    std::erase_if(pool, [&](TileCode code) { return KindOf(code) == kind; });
    counts[kind] = 4;
  }
  for (TileCode code : rng.HandFrom(pool, tiles)) ++counts[KindOf(code)];
  return counts;
}

// The reference does not model the search's rules for isolated quads; the literal search does.
TEST(SyantenFastPath, MixedHandsOfEverySize) {
  Mismatches out;
  HandRng rng(2024);
  for (int tiles = 0; tiles <= 14; ++tiles)
    for (int i = 0; i < 12000 / kRandomShare; ++i) {
      const KindCounts counts = MixedHand(rng, tiles);
      CheckFastPath(counts, out);
      if (tiles % 3 != 0) CheckHand(CodesOf(counts), rng, out);
    }
}

// Unchecked script arrays: over four copies, over 14 tiles.
TEST(SyantenFastPath, UncheckedInputFallsBack) {
  HandRng rng(9);
  for (int i = 0; i < 3000; ++i) {
    KindCounts counts = rng.Counts(14);
    const int k = rng.Below(kKindCount);
    counts[k] = static_cast<std::uint8_t>(i % 2 ? counts[k] + 1 : 5 + rng.Below(251));
    if (i < 2) counts.fill(i ? 4 : 255);
    EXPECT_EQ(detail::FastSyanten(counts), detail::kNotLegal) << Describe(counts);
    EXPECT_EQ(CalcSyanten34(counts), detail::LiteralSyanten(counts)) << Describe(counts);
    EXPECT_LE(CalcSyanten34(counts), 8);
    TileKind out[kKindCount];
    EXPECT_LE(ComputeMachi(counts, out), kKindCount);
    (void)AgariCheck(counts);
  }
  for (TileCode none : {kNoTile, TileCode{136}})  // no tile at all
    EXPECT_EQ(CalcSyanten14(SlotsOf(std::vector<TileCode>(14, none)).data()), -1);
  EXPECT_EQ(CalcSyanten34(KindCounts{}), 0);
}

TEST(SyantenFastPath, NoHeapAllocation) {
  HandRng rng(3);
  std::vector<KindCounts> hands = {Tiles("1112345678999m"), Tiles("19m19p19s1234567z"),
                                   Tiles("1122m3344p5566s7z")};
  for (int i = 0; i < 600; ++i) hands.push_back(rng.Counts(13 + i % 2));
  std::vector<Tehai> dealt(hands.size());
  for (std::size_t i = 0; i < hands.size(); ++i)
    std::tie(dealt[i].hai, dealt[i].nHai) = std::tuple(SlotsOf(CodesOf(hands[i])), Total(hands[i]));
  hands.push_back(hands[0]);
  hands.back()[3] = 9;            // the literal search
  (void)CalcSyanten34(hands[0]);  // builds the tables
  const long long before = testing::AllocationCount();
  TileKind out[kKindCount];
  for (const KindCounts& counts : hands)
    (void)(CalcSyanten34(counts) + ComputeMachi(counts, out) + AgariCheck(counts));
  for (Tehai& tehai : dealt)
    (void)(tehai.nHai % 3 == 1 ? tehai.UpdateSyanten1() : tehai.UpdateSyanten2());
  EXPECT_EQ(testing::AllocationCount() - before, 0);
}

}  // namespace
}  // namespace zuvelo
