// The table-driven shanten, completeness and waits against the step-by-step definitions: every
// legal suit vector with honour patterns, random hands of every size, ready hands, quad-heavy
// hands; plus no heap allocation in any of them once the tables exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "hand/suit_table.h"
#include "hand/syanten.h"
#include "hand/syanten_detail.h"
#include "hand/tehai.h"
#include "hand_cases.h"
#include "support/allocation_counter.h"

namespace zuvelo {
namespace {

using hand_cases::CodesOf;
using hand_cases::Dealer;
using hand_cases::Show;
using hand_cases::SlotsOf;
using hand_cases::Tiles;

int Total(const KindCounts& counts) {
  int total = 0;
  for (std::uint8_t n : counts) total += n;
  return total;
}

std::vector<TileKind> LiteralWaits(const KindCounts& counts) {
  TileKind out[kKindCount];
  return {out, out + detail::LiteralComputeMachi(counts, out)};
}

std::vector<TileKind> FastWaits(const KindCounts& counts) {
  TileKind out[kKindCount];
  const int n = detail::FastComputeMachi(counts, out);
  return n < 0 ? std::vector<TileKind>{} : std::vector<TileKind>(out, out + n);
}

// Compares every fast result with its definition and remembers the first few differences.
class Comparison {
 public:
  void Check(const KindCounts& counts) {
    ++hands_;
    const int literal = detail::LiteralSyanten(counts);
    Expect(CalcSyanten34(counts) == literal, counts, "shanten");
    const int total = Total(counts);
    if (total % 3 == 2)
      Expect(AgariCheck(counts) == detail::LiteralAgariCheck(counts), counts, "agari");
    if (total % 3 == 1 && literal <= 0)
      Expect(FastWaits(counts) == LiteralWaits(counts), counts, "waits");
  }

  void Report() const { EXPECT_EQ(failures_, 0) << "of " << hands_ << " hands, first: " << first_; }

 private:
  void Expect(bool same, const KindCounts& counts, const char* what) {
    if (same) return;
    if (failures_++ < 5) first_ += std::string(what) + " " + Show(counts) + "; ";
  }

  long hands_ = 0;
  int failures_ = 0;
  std::string first_;
};

// Every count vector of one suit (0..4 each, at most 14 tiles) in turn, with the honour
// patterns taken in turn too, each where it still fits, in the three suits in turn.
TEST(SyantenFastPath, EverySuitVectorWithHonours) {
  const KindCounts patterns[] = {Tiles(""),       Tiles("11z"),   Tiles("1z"),    Tiles("1111z"),
                                 Tiles("111z2z"), Tiles("1z22z"), Tiles("11z22z")};
  Comparison comparison;
  std::array<std::uint8_t, 9> suit{};
  int tiles = 0;
  for (int n = 0; n < detail::kSuitVectorCount; ++n) {
    KindCounts counts = patterns[n % std::size(patterns)];
    if (Total(counts) + tiles > 14) counts = KindCounts{};
    std::copy(suit.begin(), suit.end(), counts.begin() + 9 * (n % 3));
    comparison.Check(counts);
    for (int k = 8; k >= 0; --k) {  // next vector in lexicographic order
      if (suit[k] < 4 && tiles < 14) {
        ++suit[k], ++tiles;
        break;
      }
      tiles -= suit[k];
      suit[k] = 0;
    }
  }
  EXPECT_EQ(tiles, 0) << "the walk should end where it began";
  comparison.Report();
}

TEST(SyantenFastPath, RandomHandsOfEverySize) {
  Comparison comparison;
  for (int size = 0; size <= 14; ++size) {
    Dealer dealer(1000 + static_cast<std::uint32_t>(size));
    const int hands = size >= 13 ? 60000 : 12000;
    for (int i = 0; i < hands; ++i) comparison.Check(dealer.Counts(size));
  }
  comparison.Report();
}

// Complete hands less one tile, so that waits are compared on many ready hands.
KindCounts ReadyHand(Dealer& dealer) {
  for (;;) {
    KindCounts counts{};
    bool ok = true;
    for (int set = 0; set < 4 && ok; ++set) {
      const int kind =
          dealer.Below(2) ? dealer.Below(kKindCount) : 9 * dealer.Below(3) + dealer.Below(7);
      const bool triplet = kind >= kSuitKindCount || kind % 9 > 6 || dealer.Below(3) == 0;
      for (int i = 0; i < 3; ++i) ok = ok && ++counts[triplet ? kind : kind + i] <= 4;
    }
    const int head = dealer.Below(kKindCount);
    counts[head] += 2;
    if (!ok || counts[head] > 4) continue;
    int drop = dealer.Below(14);  // the tile to take away, by position
    int k = 0;
    while (drop >= counts[k]) drop -= counts[k++];
    --counts[k];
    return counts;
  }
}

TEST(SyantenFastPath, ReadyHandsWaitTheSame) {
  Dealer dealer(77);
  Comparison comparison;
  for (int i = 0; i < 40000; ++i) comparison.Check(ReadyHand(dealer));
  comparison.Report();
}

// Quads and triplets are where the isolation penalty and the honour clamp live.
TEST(SyantenFastPath, HandsFullOfQuads) {
  Dealer dealer(4444);
  Comparison comparison;
  for (int i = 0; i < 40000; ++i) {
    KindCounts counts{};
    int total = 0;
    const int size = 13 + dealer.Below(2) - 3 * dealer.Below(3);
    while (total < size) {
      const int kind = dealer.Below(kKindCount);
      const int add = std::min({1 + dealer.Below(4), 4 - counts[kind], size - total});
      counts[kind] = static_cast<std::uint8_t>(counts[kind] + add);
      total += add;
    }
    comparison.Check(counts);
  }
  comparison.Report();
}

TEST(SyantenFastPath, CodeSlotsAgreeWithCounts) {
  Dealer dealer(5);
  for (int i = 0; i < 2000; ++i) {
    const KindCounts counts = dealer.Counts(1 + dealer.Below(14));
    const auto slots = SlotsOf(CodesOf(counts));
    ASSERT_EQ(CalcSyanten14(slots.data()), detail::LiteralSyanten(counts)) << Show(counts);
  }
}

// Outside the legal range the literal search answers; it must not read past the counts.
TEST(SyantenFastPath, UncheckedInputFallsBack) {
  Dealer dealer(9);
  for (int i = 0; i < 3000; ++i) {
    KindCounts counts = dealer.Counts(14);
    if (i % 2 == 0) {
      counts[dealer.Below(kKindCount)] = static_cast<std::uint8_t>(5 + dealer.Below(251));
    } else {
      int k = dealer.Below(kKindCount);
      while (counts[k] == 4) k = (k + 1) % kKindCount;
      ++counts[k];  // 15 tiles
    }
    EXPECT_EQ(detail::FastSyanten(counts), detail::kNotLegal) << Show(counts);
    EXPECT_EQ(CalcSyanten34(counts), detail::LiteralSyanten(counts)) << Show(counts);
    TileKind out[kKindCount];
    EXPECT_LE(ComputeMachi(counts, out), kKindCount);
    (void)AgariCheck(counts);
  }
}

TEST(SyantenFastPath, TablesStaySmall) {
  const detail::SuitTables& tables = detail::GetSuitTables();
  EXPECT_LT(tables.ShapeCount(), detail::SuitTables::kMaxShapes);
  EXPECT_LT(sizeof(detail::SuitTables), 1500u * 1024u);
}

TEST(SyantenFastPath, ConcurrentCallersAgree) {
  Dealer dealer(31);
  std::vector<KindCounts> hands;
  for (int i = 0; i < 2000; ++i) hands.push_back(dealer.Counts(13 + i % 2));
  std::vector<int> a(hands.size()), b(hands.size());
  auto run = [&](std::vector<int>& out) {
    for (std::size_t i = 0; i < hands.size(); ++i) out[i] = CalcSyanten34(hands[i]);
  };
  std::thread other(run, std::ref(a));
  run(b);
  other.join();
  EXPECT_EQ(a, b);
}

TEST(SyantenFastPath, NoHeapAllocation) {
  Dealer dealer(3);
  std::vector<KindCounts> hands;
  for (int i = 0; i < 300; ++i) hands.push_back(ReadyHand(dealer));
  for (int i = 0; i < 300; ++i) hands.push_back(dealer.Counts(14));
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
  const long long allocations = testing::AllocationCount() - before;
  EXPECT_NE(sink, 0);
  EXPECT_EQ(allocations, 0);
}

}  // namespace
}  // namespace zuvelo
