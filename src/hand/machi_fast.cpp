// Table-driven completeness and waits for legal hands. The greedy set test never carries
// tiles from one suit into the next, and every real head passes the residue filter, so a
// hand is complete exactly when its honours allow it and the suits are complete as sets, one
// of them as sets and the pair. Each suit's entry lists the ranks whose added tile makes it
// complete either way, so the waits need no lookup beyond the hand's own three.
#include <array>
#include <bit>
#include <cstdint>

#include "hand/hand_view.h"
#include "hand/syanten_detail.h"

namespace zuvelo::detail {
namespace {

constexpr std::uint8_t kSets = kCompleteSets;
constexpr std::uint8_t kPair = kCompletePair;

struct HonourCensus {
  int singles = 0;
  int pairs = 0;  // held exactly twice
  int quads = 0;
};

using SuitFlags = std::array<std::uint8_t, 3>;
using Classes = std::array<const SuitClass*, 3>;

SuitFlags FlagsOf(const Classes& c) { return {c[0]->flags, c[1]->flags, c[2]->flags}; }

bool SuitsComplete(const SuitFlags& f, const HonourCensus& h) {
  if (h.singles != 0 || h.quads != 0 || h.pairs > 1) return false;
  if (h.pairs == 1) return (f[0] & f[1] & f[2] & kSets) != 0;
  return ((f[0] & kPair) && (f[1] & f[2] & kSets)) || ((f[1] & kPair) && (f[0] & f[2] & kSets)) ||
         ((f[2] & kPair) && (f[0] & f[1] & kSets));
}

// What suit s must become, with one added tile, for the hand to be complete.
std::uint8_t NeededFlags(const SuitFlags& f, int s, const HonourCensus& h) {
  if (h.singles != 0 || h.quads != 0 || h.pairs > 1) return 0;
  const std::uint8_t a = f[(s + 1) % 3], b = f[(s + 2) % 3];
  if (h.pairs == 1) return (a & b & kSets) ? kSets : 0;
  std::uint8_t needed = (a & b & kSets) ? kPair : 0;
  if (((a & kPair) && (b & kSets)) || ((b & kPair) && (a & kSets))) needed |= kSets;
  return needed;
}

std::uint64_t SuitWaits(const Classes& c, const SuitFlags& f, const HonourCensus& h) {
  std::uint64_t waits = 0;
  for (int s = 0; s < 3; ++s) {
    const std::uint8_t needed = NeededFlags(f, s, h);
    const unsigned ranks =
        ((needed & kSets) ? c[s]->setWaits : 0u) | ((needed & kPair) ? c[s]->pairWaits : 0u);
    waits |= std::uint64_t{ranks} << (9 * s);
  }
  return waits;
}

// An added honour completes the hand only where it turns a single into a pair or a pair into
// a set; a new single or a quad never completes.
std::uint64_t HonourWaits(const KindCounts& counts, const SuitFlags& f, const HonourCensus& h) {
  const HonourCensus fromSingle{h.singles - 1, h.pairs + 1, h.quads};
  const HonourCensus fromPair{h.singles, h.pairs - 1, h.quads};
  const bool single = SuitsComplete(f, fromSingle), pair = SuitsComplete(f, fromPair);
  std::uint64_t waits = 0;
  for (int k = kSuitKindCount; k < kKindCount; ++k)
    if ((counts[k] == 1 && single) || (counts[k] == 2 && pair)) waits |= std::uint64_t{1} << k;
  return waits;
}

// Thirteen orphans complete after the added tile: the thirteen counts multiply to two, so
// all are held, one twice. Adding to a count of 2 or more never gets there.
std::uint64_t OrphanWaits(const KindCounts& counts) {
  int missing = 0, twos = 0, more = 0;
  std::uint64_t ones = 0, absent = 0;
  for (TileKind k : kTerminalHonourKinds) {
    const std::uint64_t bit = std::uint64_t{1} << k;
    switch (counts[k]) {
      case 0:
        ++missing, absent |= bit;
        break;
      case 1:
        ones |= bit;
        break;
      case 2:
        ++twos;
        break;
      default:
        ++more;
        break;
    }
  }
  if (missing > 1 || more != 0) return 0;
  if (missing == 1) return twos == 1 ? absent : 0;
  if (twos == 0) return ones;
  std::uint64_t others = 0;  // already complete: any other kind not held four times
  if (twos == 1)
    for (int k = 0; k < kKindCount; ++k)
      if (!IsTerminalOrHonour(k) && counts[k] < 4) others |= std::uint64_t{1} << k;
  return others;
}

// Seven pairs complete after the added tile: 13 tiles as six kinds held exactly twice and a
// single, whose kind is the wait.
std::uint64_t SevenPairsWaits(const KindCounts& counts) {
  for (int k = 0; k < kKindCount; ++k)
    if (counts[k] == 1) return std::uint64_t{1} << k;
  return 0;
}

}  // namespace

bool FastAgariCheck(const KindCounts& counts) {
  HandView v;
  if (!ViewHand(counts, v) || v.largest > kTabledSuitTiles) return LiteralAgariCheck(counts);
  return SuitsComplete(FlagsOf(v.classes), {v.honourSingles, v.honourPairs, v.honourQuads});
}

int FastComputeMachi(const HandView& v, const KindCounts& counts, TileKind* out) {
  if (v.total > 13) return kNotLegal;
  // The entries of the largest tabled suits would need suits one tile larger.
  Classes classes = v.classes;
  std::array<SuitClass, 3> large;
  if (v.largest >= kTabledSuitTiles) {
    const SuitTables& tables = GetSuitTables();
    for (int s = 0; s < 3; ++s) {
      if (v.spots[s].tiles() >= kTabledSuitTiles) {
        large[s] = tables.WaitClassOf(&counts[9 * s]);
        classes[s] = &large[s];
      } else {
        classes[s] = &tables.Class(v.spots[s].index());
      }
    }
  }
  const SuitFlags f = FlagsOf(classes);
  const HonourCensus h{v.honourSingles, v.honourPairs, v.honourQuads};
  std::uint64_t waits = SuitWaits(classes, f, h) | HonourWaits(counts, f, h);
  if (v.total == 13) {
    // Cheap censuses rule both special forms out for almost every hand.
    if (v.orphansHeld >= 12) waits |= OrphanWaits(counts);
    if (v.held == 7 && v.pairs == 6) waits |= SevenPairsWaits(counts);
  }
  int n = 0;
  for (; waits != 0; waits &= waits - 1) out[n++] = static_cast<TileKind>(std::countr_zero(waits));
  return n;
}

int FastComputeMachi(const KindCounts& counts, TileKind* out) {
  HandView v;
  return ViewHand(counts, v) ? FastComputeMachi(v, counts, out) : kNotLegal;
}

}  // namespace zuvelo::detail
