// The shanten calculation: the three stages on one SyantenCalc, kept step by step as the
// definition of the result, and the entry points that send legal hands to the table-driven
// path and anything else to the literal one.
#include "hand/syanten.h"

#include <climits>
#include <numeric>

#include "hand/hand_view.h"
#include "hand/syanten_detail.h"
#include "hand/syanten_search.h"
#include "hand/syanten_view.h"

namespace zuvelo {
namespace detail {
namespace {

int Total(const KindCounts& counts) { return std::accumulate(counts.begin(), counts.end(), 0); }

int SevenPairs(const KindCounts& counts) {
  int pairs = 0;
  int kinds = 0;
  for (int k = 0; k < kKindCount; ++k) {
    pairs += counts[k] >= 2;
    kinds += counts[k] >= 1;
  }
  return 6 - pairs + (kinds < 7 ? 7 - kinds : 0);
}

int ThirteenOrphans(const KindCounts& counts) {
  int held = 0;
  int doubled = 0;
  for (TileKind k : kTerminalHonourKinds) {
    held += counts[k] >= 1;
    doubled |= counts[k] >= 2;
  }
  return 13 - held - doubled;
}

void Stage1(SyantenCalc& calc) {
  for (int number : {SevenPairs(calc.counts), ThirteenOrphans(calc.counts)})
    if (number < calc.best) calc.best = number;
}

void Stage2(SyantenCalc& calc, int total) {
  bool anyIsolated = false;
  bool onlyQuadsIsolated = true;
  for (int k = kSuitKindCount; k < kKindCount; ++k) {
    switch (calc.counts[k]) {
      case 1:
        anyIsolated = true, onlyQuadsIsolated = false;
        break;
      case 2:
        ++calc.toitsu;
        break;
      case 3:
        ++calc.mentsu;
        break;
      case 4:
        ++calc.mentsu, anyIsolated = true, ++calc.honourQuads;
        break;
      default:
        break;
    }
  }
  if (calc.honourQuads > 0 && total % 3 == 2) --calc.honourQuads;
  if (anyIsolated) {
    calc.isolatedMask |= kHonourBit;
    if (onlyQuadsIsolated) calc.fourMask |= kHonourBit;
  }
}

// Hands of more than 14 tiles (only unchecked script arrays) make the search exponential: all
// 136 tiles would never finish. Past this many steps the rest of such a search is skipped.
constexpr long kUncheckedSearchSteps = 1L << 20;

void Stage3(SyantenCalc& calc, int total, long steps) {
  for (int k = 0; k < kSuitKindCount; ++k)
    if (calc.counts[k] == 4) calc.fourMask |= 1u << k;
  calc.mentsu = static_cast<std::uint8_t>(calc.mentsu + (14 - total) / 3);
  struct Evaluator {
    long stepsLeft;
    void End(SyantenCalc& c) { c.Evaluate(); }
    bool Known(const SyantenCalc&, int) { return --stepsLeft < 0; }
  } evaluator{steps};
  SyantenSearch(calc, 0, evaluator);
}

}  // namespace

void SyantenCalc::Evaluate() {
  int s = 8 - 2 * mentsu - taatsu - toitsu;
  const int blocks = mentsu + taatsu + (toitsu > 0 ? toitsu - 1 : 0);
  if (toitsu == 0 && fourMask != 0 && isolatedMask != 0 && (isolatedMask & ~fourMask) == 0) ++s;
  if (blocks > 4) s += blocks - 4;
  if (s != -1 && s < honourQuads) s = honourQuads;
  if (s < best) best = s;
}

bool IsLegalHand(const KindCounts& counts) {
  int total = 0;
  for (std::uint8_t n : counts) {
    if (n > 4) return false;
    total += n;
  }
  return total <= 14;
}

int LiteralSyanten(const KindCounts& counts, int initialToitsu) {
  SyantenCalc calc;
  calc.counts = counts;
  calc.toitsu = static_cast<std::uint8_t>(initialToitsu);
  const int total = Total(counts);
  if (total >= 13) Stage1(calc);
  Stage2(calc, total);
  Stage3(calc, total, IsLegalHand(counts) ? LONG_MAX : kUncheckedSearchSteps);
  return calc.best;
}

}  // namespace detail

int CalcSyanten34(const KindCounts& counts) {
  const int fast = detail::FastSyanten(counts);
  return fast != detail::kNotLegal ? fast : detail::LiteralSyanten(counts);
}

namespace {

// Counts the slots and views the hand; false when only the counts serve (no view could be
// made). A hand of fewer than five of any kind needs no legality check.
inline bool CountAndView(const TileCode* slots14, detail::SlotCounts& slots,
                         detail::HandView& view) {
  detail::SuitKeys keys;
  int total = 0;
  bool belowFive = false;
  detail::CountSlots(slots14, slots, keys, total, belowFive);
  if (belowFive && total > 0) {
    detail::ViewLegalHand(slots.kinds, keys, total, view);
    return true;
  }
  return detail::ViewHand(slots.kinds, keys, view);
}

}  // namespace

int CalcSyanten14WithMachi(const TileCode* slots14, TileKind* waits, int& waitCount) {
  waitCount = 0;
  detail::SlotCounts slots;
  detail::HandView view;
  const bool viewed = CountAndView(slots14, slots, view);
  const KindCounts& counts = slots.kinds;
  if (!viewed || view.total == 0) {
    const int syanten = CalcSyanten14(slots14);
    if (syanten == 0) waitCount = ComputeMachi(counts, waits);
    return syanten;
  }
  const int syanten = detail::SyantenOfView(view, counts);
  if (syanten != 0) return syanten;
  waitCount = detail::FastComputeMachi(view, counts, waits);
  if (waitCount == detail::kNotLegal) waitCount = detail::LiteralComputeMachi(counts, waits);
  return syanten;
}

int CalcSyanten14(const TileCode* slots14) {
  detail::SlotCounts slots;
  detail::HandView view;
  const bool viewed = CountAndView(slots14, slots, view);
  const KindCounts& counts = slots.kinds;
  if (!viewed) return CalcSyanten34(counts);
  return view.total > 0 ? detail::SyantenOfView(view, counts) : detail::LiteralSyanten(counts, 1);
}

}  // namespace zuvelo
