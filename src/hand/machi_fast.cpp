// Table-driven completeness and waits for legal hands. The greedy set test never carries
// tiles from one suit into the next, and every real head passes the residue filter, so a
// hand is complete exactly when its honours allow it and the suits are complete as sets, one
// of them as sets and the pair. Each suit's entry lists the ranks whose added tile makes it
// complete either way, so the waits need no lookup beyond the hand's own three.
#include <array>
#include <bit>
#include <cstdint>

#include "hand/packed_counts.h"
#include "hand/suit_table.h"
#include "hand/syanten_detail.h"

namespace zuvelo::detail {
namespace {

constexpr std::uint8_t kSets = kCompleteSets;
constexpr std::uint8_t kPair = kCompletePair;

struct HonourCensus {
  int singles = 0;
  int pairs = 0;
  int quads = 0;
};

HonourCensus CountHonours(const KindCounts& counts) {
  HonourCensus h;
  for (int k = kSuitKindCount; k < kKindCount; ++k) {
    h.singles += counts[k] == 1;
    h.pairs += counts[k] == 2;
    h.quads += counts[k] == 4;
  }
  return h;
}

bool SuitsComplete(const std::array<std::uint8_t, 3>& f, const HonourCensus& h) {
  if (h.singles != 0 || h.quads != 0 || h.pairs > 1) return false;
  if (h.pairs == 1) return (f[0] & f[1] & f[2] & kSets) != 0;
  return ((f[0] & kPair) && (f[1] & f[2] & kSets)) || ((f[1] & kPair) && (f[0] & f[2] & kSets)) ||
         ((f[2] & kPair) && (f[0] & f[1] & kSets));
}

struct SuitView {
  std::array<const SuitClass*, 3> classes;
  std::array<std::uint8_t, 3> flags;
};

// False when a suit holds more than maxTiles: the tables do not know it, or (for the waits)
// the suits one tile larger.
bool ViewSuits(const KindCounts& counts, int maxTiles, SuitView& v) {
  const SuitTables& tables = GetSuitTables();
  for (int s = 0; s < 3; ++s) {
    const SuitKey key = KeyOfSuit(&counts[9 * s]);
    if (tables.Tiles(key) > maxTiles) return false;
    v.classes[s] = &tables.Class(tables.Index(key));
    v.flags[s] = v.classes[s]->flags;
  }
  return true;
}

// What suit s must become, with one added tile, for the hand to be complete.
std::uint8_t NeededFlags(const SuitView& v, int s, const HonourCensus& h) {
  if (h.singles != 0 || h.quads != 0 || h.pairs > 1) return 0;
  const std::uint8_t a = v.flags[(s + 1) % 3], b = v.flags[(s + 2) % 3];
  if (h.pairs == 1) return (a & b & kSets) ? kSets : 0;
  std::uint8_t needed = (a & b & kSets) ? kPair : 0;
  if (((a & kPair) && (b & kSets)) || ((b & kPair) && (a & kSets))) needed |= kSets;
  return needed;
}

std::uint64_t SuitWaits(const SuitView& v, const HonourCensus& h) {
  std::uint64_t waits = 0;
  for (int s = 0; s < 3; ++s) {
    const std::uint8_t needed = NeededFlags(v, s, h);
    const unsigned ranks = ((needed & kSets) ? v.classes[s]->setWaits : 0u) |
                           ((needed & kPair) ? v.classes[s]->pairWaits : 0u);
    waits |= std::uint64_t{ranks} << (9 * s);
  }
  return waits;
}

std::uint64_t HonourWaits(const KindCounts& counts, const SuitView& v, HonourCensus h) {
  std::uint64_t waits = 0;
  for (int k = kSuitKindCount; k < kKindCount; ++k) {
    const int n = counts[k];
    if (n >= 4) continue;
    HonourCensus after = h;
    after.singles += (n == 0) - (n == 1);
    after.pairs += (n == 1) - (n == 2);
    after.quads += n == 3;
    if (SuitsComplete(v.flags, after)) waits |= std::uint64_t{1} << k;
  }
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

// Seven pairs complete after the added tile: every held count is two. Only a lone single can
// be paired; any other addition leaves a 1, 3 or 4.
std::uint64_t SevenPairsWaits(const Packed& words) {
  int ones = 0;
  Word threeUp = 0;
  for (Word w : words) {
    const Planes p = PlanesOf(w);
    ones += ByteSum(p.one);
    threeUp |= p.three | p.four;
  }
  if (ones != 1 || threeUp != 0) return 0;
  std::uint64_t waits = 0;
  for (int i = 0; i < kWords; ++i)
    for (Word bits = PlanesOf(words[i]).one; bits != 0; bits &= bits - 1)
      waits |= std::uint64_t{1} << KindAt(i, std::countr_zero(bits) / 8);
  return waits;
}

}  // namespace

bool FastAgariCheck(const KindCounts& counts) {
  SuitView v;
  if (!ViewSuits(counts, kTabledSuitTiles, v)) return LiteralAgariCheck(counts);
  return SuitsComplete(v.flags, CountHonours(counts));
}

int FastComputeMachi(const KindCounts& counts, TileKind* out) {
  const Packed words = Pack(counts);
  const int held = LegalTotal(words);
  if (held < 0 || held > 13) return kNotLegal;
  SuitView v;
  if (!ViewSuits(counts, kTabledSuitTiles - 1, v)) return kNotLegal;
  const HonourCensus h = CountHonours(counts);
  std::uint64_t waits = SuitWaits(v, h) | HonourWaits(counts, v, h);
  if (held == 13) waits |= OrphanWaits(counts) | SevenPairsWaits(words);
  int n = 0;
  for (; waits != 0; waits &= waits - 1) out[n++] = static_cast<TileKind>(std::countr_zero(waits));
  return n;
}

}  // namespace zuvelo::detail
