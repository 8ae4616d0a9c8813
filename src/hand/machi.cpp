// Waits of a ready hand and the standard-form completeness test, step by step as defined, and
// a table-driven version for legal hands: a hand is complete exactly when its honours are and
// each suit is complete as sets, one of them as sets and the pair.
#include <cstdint>
#include <numeric>

#include "hand/suit_table.h"
#include "hand/syanten.h"
#include "hand/syanten_detail.h"

namespace zuvelo {
namespace detail {
namespace {

// The head candidates among the suits: the head's kind mod 3 follows from the sum of the kinds
// and from the tile totals of the three residue classes.
int SuitHeadCandidates(const KindCounts& counts, int* out) {
  int weighted = 0;
  std::array<int, 3> byResidue{};
  for (int k = 0; k < kSuitKindCount; ++k) {
    weighted += k * counts[k];
    byResidue[k % 3] += counts[k];
  }
  const int d = (3 - weighted % 3) % 3;
  const int r0 = byResidue[0] % 3, r1 = byResidue[1] % 3, r2 = byResidue[2] % 3;
  int residue;
  bool possible;
  if (r1 == r2) {
    residue = 0, possible = (r0 + 1) % 3 == r1;
  } else if (r2 == r0) {
    residue = 1, possible = (r1 + 1) % 3 == r2;
  } else {
    if (r0 != r1) return 0;
    residue = 2, possible = (r2 + 1) % 3 == r0;
  }
  if (d != residue || !possible) return 0;
  int n = 0;
  for (int k = residue; k < kSuitKindCount; k += 3)
    if (counts[k] >= 2) out[n++] = k;
  return n;
}

bool OrphansComplete(const KindCounts& counts) {
  unsigned product = 1;
  for (TileKind k : kTerminalHonourKinds) {
    product *= counts[k];
    if (product > 2) return false;  // only a zero could change it, and zero is not two
  }
  return product == 2;
}

bool SevenPairsComplete(const KindCounts& counts) {
  unsigned bits = 0;
  for (std::uint8_t n : counts) bits |= n;
  return bits == 2;
}

}  // namespace

bool GreedySets(std::uint8_t* c, int begin, int end) {
  for (int k = begin; k < end; ++k) {
    const int n = c[k];
    if (n == 0) continue;
    if (k % 9 > 6) {
      if (n != 3) return false;
      c[k] = 0;
      continue;
    }
    const int runs = n == 1 ? 1 : n == 2 ? 2 : n == 4 ? 1 : 0;
    if (n > 4 || c[k + 1] < runs || c[k + 2] < runs) return false;
    c[k] = 0, c[k + 1] -= runs, c[k + 2] -= runs;
  }
  return true;
}

bool LiteralAgariCheck(const KindCounts& counts) {
  int candidates[kSuitKindCount];
  int n = 0;
  for (int k = kSuitKindCount; k < kKindCount; ++k) {
    if (counts[k] == 1 || counts[k] == 4) return false;
    if (counts[k] == 2) candidates[n++] = k;
  }
  if (n >= 2) return false;
  if (n == 0) n = SuitHeadCandidates(counts, candidates);
  for (int i = 0; i < n; ++i) {
    KindCounts work = counts;
    work[candidates[i]] -= 2;
    if (GreedySets(work.data(), 0, kSuitKindCount)) return true;
  }
  return false;
}

int LiteralComputeMachi(const KindCounts& counts, TileKind* out) {
  const int held = std::accumulate(counts.begin(), counts.end(), 0);
  KindCounts work = counts;
  int n = 0;
  for (int k = 0; k < kKindCount; ++k) {
    if (work[k] >= 4) continue;
    ++work[k];
    bool wait = held == 13 && (OrphansComplete(work) || SevenPairsComplete(work));
    if (!wait) wait = LiteralAgariCheck(work);
    --work[k];
    if (wait) out[n++] = static_cast<TileKind>(k);
  }
  return n;
}

}  // namespace detail

bool AgariCheck(const KindCounts& counts) {
  return detail::IsLegalHand(counts) ? detail::FastAgariCheck(counts)
                                     : detail::LiteralAgariCheck(counts);
}

int ComputeMachi(const KindCounts& counts, TileKind* out) {
  const int fast = detail::FastComputeMachi(counts, out);
  return fast != detail::kNotLegal ? fast : detail::LiteralComputeMachi(counts, out);
}

}  // namespace zuvelo
