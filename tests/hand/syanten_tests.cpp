// Shanten, completeness and waits. The engine against the slow reference (hand-worked hands,
// random hands of every size, hands from a dozen kinds, every one-suit hand of 13 and 14
// tiles); its table-driven paths against its step-by-step definitions (every legal suit
// vector with honour patterns, unchecked input); no heap allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <numeric>
#include <string>
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

// Windows builds run under Wine, the 32-bit one possibly through qemu: they check a quarter
// of every random set so that the program stays well within a minute.
#ifdef _WIN32
constexpr int kRandomShare = 4;
#else
constexpr int kRandomShare = 1;
#endif

int Total(const KindCounts& counts) { return std::accumulate(counts.begin(), counts.end(), 0); }

std::vector<TileKind> Waits(const KindCounts& counts) {
  TileKind waits[kKindCount];
  return {waits, waits + std::clamp(ComputeMachi(counts, waits), 0, kKindCount)};
}

// Mismatches of a comparison: a count and the first few, reported when it ends.
class Mismatches {
 public:
  void Add(const KindCounts& counts, const std::string& what) {
    if (count_++ < 12) examples_ += "\n  " + Describe(counts) + ": " + what;
  }
  ~Mismatches() { EXPECT_EQ(count_, 0) << "mismatches, first:" << examples_; }

 private:
  int count_ = 0;
  std::string examples_;
};

// (14 - tiles) / 3 sets are called; waits only of 3n+1 hands. Edges: a spare tile or a four
// that cannot give the head (1111m, 1111z), fifth copies as waits, seven pairs with a four,
// special forms below 13 tiles, honours held four times.
TEST(ReferenceComparison, HandWorkedHands) {
  // clang-format off
  const struct { const char* hand; int syanten; const char* waits; } cases[] = {
      {"5m", 0, "5m"}, {"55m", -1, ""}, {"12m", 0, ""}, {"1111m", 1, "none"}, {"1112m", 0, "2m 3m"},
      {"1111234m", 0, "4m"}, {"1111m2222m33m", 0, "3m 4m"}, {"1234567m1z", 0, "7m 1z"},
      {"123m456p789s1z", 0, "1z"}, {"123m456p789s1111z", 1, "none"}, {"1234444m456p789s", 0, "1m"},
      {"111m5555m456p789s", 1, "none"}, {"123m456p789s5m1111z", 0, ""},
      {"123m456p78s1111z22z", 0, ""}, {"1111z2222z3333z44z", 2, ""},
      {"1111z2222z3333z4z", 3, "none"}, {"12m456p123789s11z", 0, "3m"},
      {"123m456p789s11z22z9s", 0, ""}, {"89m456p123789s11z", 0, "7m"},
      {"12m45p123789s1122z", 1, ""}, {"1112345678999m", 0, "1m 2m 3m 4m 5m 6m 7m 8m 9m"},
      {"11122233344455m", -1, ""}, {"123m456p789s1122z", 0, "1z 2z"},
      {"33345m123p456p11z", 0, "3m 6m 1z"}, {"1122m3344p5566s77z", -1, ""},
      {"1122m3344p5566s7z", 0, "7z"}, {"1111m3399p1177s55z", 1, ""}, {"2233m4455p66s7z", 2, "none"},
      {"119m19p19s1234567z", -1, ""}, {"199m19p19s123456z", 0, "7z"},
      {"19m19p19s1234567z", 0, "1m 9m 1p 9p 1s 9s 1z 2z 3z 4z 5z 6z 7z"},
      {"19m19p19s12345z", 6, "none"}, {"147m258p369s1357z", 6, "none"},
      {"159m159p159s1234z", 3, "none"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hand);
    const KindCounts counts = Tiles(c.hand);
    EXPECT_EQ(reference::Syanten(counts), c.syanten);
    EXPECT_EQ(CalcSyanten34(counts), c.syanten);
    EXPECT_EQ(CalcSyanten14(SlotsOf(CodesOf(counts)).data()), c.syanten);
    if (Total(counts) % 3 == 1) {
      EXPECT_EQ(Describe(reference::Machi(counts)), c.waits);
      EXPECT_EQ(Describe(Waits(counts)), c.waits);
    }
  }
}

// One hand against the reference: shanten from counts and from shuffled slots, completeness,
// waits; and a tile drawn to a 3n+1 hand lowers the number by one at most and completes it
// exactly when it is a wait. The hand record's own updates meet the reference in the replay
// tests, at every event of whole games.
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

  if (!waiting) return;
  const TileKind drawn = KindOf(rng.Draw(codes));
  KindCounts after = counts;
  ++after[drawn];
  const int now = CalcSyanten34(after);
  if (now < syanten - 1 || now > syanten ||
      (now == -1) != (std::count(waits.begin(), waits.end(), drawn) != 0))
    out.Add(counts, "draws " + FormatKind(drawn) + ": " + std::to_string(now));
}

TEST(ReferenceComparison, RandomHands) {
  Mismatches out;
  for (int tiles : {14, 13, 11, 10, 8, 7, 5, 4, 2, 1}) {
    HandRng rng(static_cast<std::uint32_t>(tiles * 1000 + 1));
    for (int i = 0; i < (tiles >= 13 ? 200000 : 50000) / kRandomShare; ++i)
      CheckHand(rng.Hand(tiles), rng, out);
  }
}

// Hands drawn from the copies of a dozen kinds hold triplets and fours in several suits or of
// three honours at once, with and without called sets: what the full set almost never deals.
TEST(ReferenceComparison, HandsFromADozenKinds) {
  const std::vector<std::vector<int>> windows = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                                                 {2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 27, 28},
                                                 {0, 1, 2, 9, 10, 11, 18, 19, 20, 27, 28},
                                                 {0, 1, 2, 3, 4, 5, 6, 7, 8, 27, 28, 29}};
  Mismatches out;
  HandRng rng(1212);
  for (const std::vector<int>& window : windows) {
    std::vector<TileCode> pool;
    for (int kind : window)
      for (int copy = 0; copy < 4; ++copy) pool.push_back(static_cast<TileCode>(kind * 4 + copy));
    for (int tiles : {14, 13, 11, 10, 8, 7})
      for (int i = 0; i < 4000 / kRandomShare; ++i) CheckHand(rng.HandFrom(pool, tiles), rng, out);
  }
}

TEST(ReferenceComparison, EveryOneSuitHandOf13And14Tiles) {
  Mismatches out;
  HandRng rng(9);
  int hands = 0;
  KindCounts counts{};
  // Counts 0..4 on nine kinds; the suits rotate so that each carries a third of the hands.
  std::function<void(int, int)> place = [&](int rank, int left) {
    if (rank == 9) {
      KindCounts hand{};
      std::copy_n(counts.begin(), 9, hand.begin() + 9 * (hands++ % 3));
      return CheckHand(CodesOf(hand), rng, out);
    }
    for (int held = std::max(0, left - 4 * (8 - rank)); held <= std::min(4, left); ++held) {
      counts[rank] = static_cast<std::uint8_t>(held);
      place(rank + 1, left - held);
    }
  };
  for (int tiles : {13, 14}) place(0, tiles);
  EXPECT_EQ(hands, 93600 + 118800);
}

// A table-driven result against its definition.
void CheckFastPath(const KindCounts& counts, Mismatches& out) {
  const int literal = detail::LiteralSyanten(counts);
  TileKind fast[kKindCount], slow[kKindCount];
  const bool ready = Total(counts) % 3 == 1 && Total(counts) <= 13;  // waits of any such hand
  const int n = ready ? ComputeMachi(counts, fast) : 0;
  if (CalcSyanten34(counts) != literal ||
      (Total(counts) % 3 == 2 && AgariCheck(counts) != detail::LiteralAgariCheck(counts)) ||
      (ready && std::vector(fast, fast + std::clamp(n, 0, kKindCount)) !=
                    std::vector(slow, slow + detail::LiteralComputeMachi(counts, slow))))
    out.Add(counts, "fast path");
}

// Every count vector of one suit (0..4 each, at most 14 tiles, 3n ones too, which the reference
// leaves out; those of more than eleven tiles, which the tables leave out) in turn, with the
// honour patterns taken in turn too, each where it still fits, in the three suits in turn.
TEST(SyantenFastPath, EverySuitVectorWithHonours) {
  const KindCounts patterns[] = {Tiles(""),       Tiles("11z"),   Tiles("1z"),    Tiles("1111z"),
                                 Tiles("111z2z"), Tiles("1z22z"), Tiles("11z22z")};
  Mismatches out;
  std::array<std::uint8_t, 9> suit{};
  int tiles = 0, n = 0;
  for (; n == 0 || tiles != 0; ++n) {
    KindCounts counts = patterns[n % std::size(patterns)];
    if (Total(counts) + tiles > 14) counts = KindCounts{};
    std::copy(suit.begin(), suit.end(), counts.begin() + 9 * (n % 3));
    CheckFastPath(counts, out);
    for (int k = 8; k >= 0; --k) {  // next vector in lexicographic order
      if (suit[k] < 4 && tiles < 14) {
        ++suit[k], ++tiles;
        break;
      }
      tiles -= suit[k];
      suit[k] = 0;
    }
  }
  EXPECT_EQ(n, 405350) << "vectors of nine counts 0..4 summing to at most 14";
}

// A hand of `tiles` from four runs of kinds (one per suit, one of honours) of which some are
// held four times: quads beside pairs, runs and singles in several groups at once, so that
// every rule about heads and isolated quads meets the others.
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

// Multi-suit hands of every size, 3n ones included, against the search itself: the reference
// does not model the search's own rules for isolated quads, so only this catches a fault there.
TEST(SyantenFastPath, MixedHandsOfEverySize) {
  Mismatches out;
  HandRng rng(2024);
  for (int tiles = 0; tiles <= 14; ++tiles)
    for (int i = 0; i < 12000 / kRandomShare; ++i) CheckFastPath(MixedHand(rng, tiles), out);
}

// The one-load key of the 64-bit targets against the rank-by-rank one, for all 5^9 vectors.
TEST(SyantenFastPath, WideSuitKeyIsTheKey) {
  int mismatches = 0;
  for (int code = 0; code < 1953125; ++code) {
    std::array<std::uint8_t, 9> suit{};
    for (int r = 8, rest = code; r >= 0; --r, rest /= 5)
      suit[r] = static_cast<std::uint8_t>(rest % 5);
    const detail::SuitKey a = detail::KeyOfSuit(suit.data()),
                          b = detail::KeyOfSuitWide(suit.data());
    mismatches += a.head != b.head || a.tail != b.tail;
  }
  EXPECT_EQ(mismatches, 0);
}

// Counts only unchecked script arrays can produce (over four, over 14 tiles): the literal
// search answers, within range and without reading past the counts.
TEST(SyantenFastPath, UncheckedInputFallsBack) {
  HandRng rng(9);
  for (int i = 0; i < 3000; ++i) {
    KindCounts counts = rng.Counts(14);
    if (i % 2 == 0) {
      counts[rng.Below(kKindCount)] = static_cast<std::uint8_t>(5 + rng.Below(251));
    } else {
      int k = rng.Below(kKindCount);
      while (counts[k] == 4) k = (k + 1) % kKindCount;
      ++counts[k];  // 15 tiles
    }
    EXPECT_EQ(detail::FastSyanten(counts), detail::kNotLegal) << Describe(counts);
    EXPECT_EQ(CalcSyanten34(counts), detail::LiteralSyanten(counts)) << Describe(counts);
    EXPECT_LE(CalcSyanten34(counts), 8);
    TileKind out[kKindCount];
    EXPECT_LE(ComputeMachi(counts, out), kKindCount);
    (void)AgariCheck(counts);
  }
  for (int held : {4, 255}) {
    KindCounts all;
    all.fill(static_cast<std::uint8_t>(held));
    EXPECT_LE(CalcSyanten34(all), 8);
  }
  // No tile at all: -1 from slots (codes of 136 and above are none), 0 from counts.
  std::array<TileCode, 14> empty;
  empty.fill(kNoTile);
  EXPECT_EQ(CalcSyanten14(empty.data()), -1);
  empty.fill(136);
  EXPECT_EQ(CalcSyanten14(empty.data()), -1);
  EXPECT_EQ(CalcSyanten34(KindCounts{}), 0);
}

TEST(SyantenFastPath, NoHeapAllocation) {
  HandRng rng(3);
  std::vector<KindCounts> hands = {Tiles("1112345678999m"), Tiles("19m19p19s1234567z"),
                                   Tiles("1122m3344p5566s7z")};
  for (int i = 0; i < 600; ++i) hands.push_back(rng.Counts(13 + i % 2));
  std::vector<std::array<TileCode, 14>> slots;
  for (const KindCounts& counts : hands) slots.push_back(SlotsOf(CodesOf(counts)));
  hands.push_back(hands[0]);
  hands.back()[3] = 9;  // unchecked counts take the literal search
  Tehai tehai;
  (void)CalcSyanten34(hands[0]);  // builds the tables
  const long long before = testing::AllocationCount();
  int sink = 0;
  for (std::size_t i = 0; i < hands.size(); ++i) {
    TileKind out[kKindCount];
    sink += CalcSyanten34(hands[i]) + ComputeMachi(hands[i], out) + AgariCheck(hands[i]);
    if (i >= slots.size()) continue;
    tehai.hai = slots[i];
    tehai.nHai = Total(hands[i]);
    (void)(tehai.nHai % 3 == 1 ? tehai.UpdateSyanten1() : tehai.UpdateSyanten2());
    sink += tehai.syanten1 + tehai.syanten2 + static_cast<int>(tehai.machi.size());
  }
  EXPECT_EQ(testing::AllocationCount() - before, 0);
  EXPECT_NE(sink, 0);
}

}  // namespace
}  // namespace zuvelo
