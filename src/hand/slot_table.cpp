// Slot rows from suit shapes, and their combinations tabulated once.
#include "hand/slot_table.h"

#include <algorithm>
#include <vector>

#include "hand/interner.h"

namespace zuvelo::detail {
namespace {

constexpr int kSlots = 5;  // 0..4 set slots

std::int8_t Clamped(int value) { return static_cast<std::int8_t>(value < 0 ? kNoSlots : value); }

// Best value for each number of slots: m sets (2 each) and up to `slots - m` of the row's
// blocks less `spent` (1 each); fewer slots than that leave the rest empty.
SlotRow FromBlocks(const BlockRow& row, int spent) {
  SlotRow out;
  for (int slots = 0; slots < kSlots; ++slots) {
    int best = -1;
    for (int m = 0; m <= slots; ++m)
      if (row[m] >= spent) best = std::max(best, 2 * m + std::min(row[m] - spent, slots - m));
    out[slots] = Clamped(best);
  }
  return out;
}

SlotRow Convolve(const SlotRow& a, const SlotRow& b) {
  SlotRow out;
  for (int k = 0; k < kSlots; ++k) {
    int best = -1;
    for (int i = 0; i <= k; ++i)
      if (a[i] >= 0 && b[k - i] >= 0) best = std::max(best, a[i] + b[k - i]);
    out[k] = Clamped(best);
  }
  return out;
}

SlotRow Max(const SlotRow& a, const SlotRow& b) {
  SlotRow out;
  for (int k = 0; k < kSlots; ++k) out[k] = std::max(a[k], b[k]);
  return out;
}

SlotRow PlusOne(SlotRow row) {
  for (std::int8_t& v : row)
    if (v >= 0) ++v;
  return row;
}

// Honour pairs beyond the head: each fills a slot as a partial set.
SlotRow Partials(int pairs) {
  SlotRow out;
  for (int k = 0; k < kSlots; ++k) out[k] = static_cast<std::int8_t>(std::min(k, pairs));
  return out;
}

// Suits 0 and 1 with the head in neither, or in one of them.
struct PairRows {
  SlotRow none;
  SlotRow head;
};

// Suit 2 and the fixed groups, read up to the slots left by the fixed sets.
struct RestRows {
  std::int8_t sets;
  SlotRow none;
  SlotRow head;
};

RestRows RestOf(const SlotRows& suit, int sets, int pairs) {
  RestRows rest{static_cast<std::int8_t>(sets), Convolve(suit.any, Partials(pairs)),
                Convolve(suit.head, Partials(pairs))};
  if (pairs > 0) rest.head = Max(rest.head, PlusOne(Convolve(suit.any, Partials(pairs - 1))));
  for (int k = kSlots - sets; k < kSlots; ++k) rest.none[k] = rest.head[k] = kNoSlots;
  return rest;
}

int StandardOf(const PairRows& p, const RestRows& r) {
  const int room = 4 - r.sets;
  int best = -1;
  for (int k = 0; k <= room; ++k) {
    const int j = room - k;
    if (p.none[k] >= 0 && r.none[j] >= 0) best = std::max(best, p.none[k] + r.none[j]);
    if (p.none[k] >= 0 && r.head[j] >= 0) best = std::max(best, p.none[k] + r.head[j]);
    if (p.head[k] >= 0 && r.none[j] >= 0) best = std::max(best, p.head[k] + r.none[j]);
  }
  return best < 0 ? kUnreachedForm : 8 - 2 * r.sets - best;
}

}  // namespace

SlotRows SlotRowsOf(const SuitShape& shape) {
  return {FromBlocks(shape.any, 0), PlusOne(FromBlocks(shape.withPair, 1))};
}

void SlotTables::Build(const SlotRows* rows, int count) {
  std::vector<PairRows> pairs(kMaxPairs);
  std::vector<RestRows> rests(kMaxRests);
  Interner<PairRows> pairIds(pairs.data(), kMaxPairs);
  for (int a = 0; a < count; ++a)
    for (int b = 0; b < count; ++b) {
      const PairRows p{
          Convolve(rows[a].any, rows[b].any),
          Max(Convolve(rows[a].head, rows[b].any), Convolve(rows[a].any, rows[b].head))};
      pair_[a][b] = static_cast<std::uint8_t>(pairIds.Add(p));
    }
  Interner<RestRows> restIds(rests.data(), kMaxRests);
  for (int c = 0; c < count; ++c)
    for (int sets = 0; sets <= 4; ++sets)
      for (int h = 0; h <= kMaxHonourPairs; ++h)
        rest_[c][sets][h] = static_cast<std::uint16_t>(restIds.Add(RestOf(rows[c], sets, h)));
  pairCount_ = pairIds.size();
  restCount_ = restIds.size();
  for (int p = 0; p < pairCount_; ++p)
    for (int r = 0; r < restCount_; ++r)
      final_[p][r] = static_cast<std::int8_t>(StandardOf(pairs[p], rests[r]));
}

}  // namespace zuvelo::detail
