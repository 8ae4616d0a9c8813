// Table-driven shanten. The decomposition search never lets one suit's choices depend on
// another's, so its leaves are every combination of per-suit outcomes, and the evaluation of
// a leaf depends only on the summed sets, summed partial sets plus pairs, whether any pair is
// there, and the isolation classes. Its honour-quad clamp is monotone, so it can be applied
// once to the least score. What is left is a small max-plus combination of per-suit rows.
#include <algorithm>
#include <array>

#include "hand/packed_counts.h"
#include "hand/suit_table.h"
#include "hand/syanten_detail.h"

namespace zuvelo::detail {
namespace {

constexpr int kUnreached = 99;

int SevenPairsOrOrphans(const Packed& words) {
  int held = 0, pairs = 0, orphansHeld = 0;
  std::uint64_t orphansDoubled = 0;
  for (int i = 0; i < 5; ++i) {
    const Planes p = PlanesOf(words[i]);
    held += ByteSum(p.held);
    pairs += ByteSum(p.twoUp);
    orphansHeld += ByteSum(p.held & kOrphanMask[i]);
    orphansDoubled |= p.twoUp & kOrphanMask[i];
  }
  const int sevenPairs = 6 - pairs + (held < 7 ? 7 - held : 0);
  return std::min(sevenPairs, 13 - orphansHeld - (orphansDoubled != 0));
}

// Fixed part of every leaf: called sets and honour groups.
struct Base {
  int sets;
  int blocks;
};

struct Honours {
  Base base{0, 0};
  bool pair = false;
  int isolation = 0;  // as the suits' classes: 0 none, 1 only quads, 2 a single
  int quads = 0;
};

Honours ReadHonours(const Packed& words, int total) {
  Honours h;
  bool single = false;
  for (int i = 3; i < 5; ++i) {
    const Planes p = PlanesOf(words[i]);
    const std::uint64_t honour = kHonourMask[i];
    h.base.sets += ByteSum((p.three | p.four) & honour);
    h.base.blocks += ByteSum(p.two & honour);
    h.quads += ByteSum(p.four & honour);
    single |= (p.one & honour) != 0;
  }
  h.pair = h.base.blocks > 0;
  h.isolation = single ? 2 : (h.quads > 0 ? 1 : 0);
  if (h.quads > 0 && total % 3 == 2) --h.quads;
  h.base.sets += (14 - total) / 3;
  return h;
}

// A combination of two suits: best blocks per set count, up to top.
struct Row {
  std::array<int, 5> q;
  int top;
};

struct Suit {
  const SuitShape* shape;
  int top;
};

Row Combine(const BlockRow& a, const Suit& sa, const BlockRow& b, const Suit& sb, int room) {
  Row out;
  out.top = std::min(sa.top + sb.top, room);
  out.q.fill(kNoBlocks);
  for (int i = 0; i <= std::min(sa.top, room); ++i)
    for (int j = 0; j <= std::min(sb.top, room - i); ++j)
      out.q[i + j] = std::max(out.q[i + j], a[i] + b[j]);
  return out;
}

Row Max(const Row& a, const Row& b) {
  Row out;
  out.top = std::max(a.top, b.top);
  for (int m = 0; m < 5; ++m) out.q[m] = std::max(a.q[m], b.q[m]);
  return out;
}

// Least score over the pairings of x with y. The score is 8 - 2 sets - blocks with blocks
// beyond the limit (4 besides the sets, one more for the head) not counted.
int Finish(const Row& x, const BlockRow& y, const Suit& sy, Base base, int limit) {
  int best = kUnreached;
  const int room = 4 - base.sets;
  for (int i = 0; i <= x.top; ++i) {
    if (x.q[i] < 0) continue;
    for (int j = 0; j <= std::min(sy.top, room - i); ++j) {
      if (y[j] < 0) continue;
      const int sets = base.sets + i + j;
      const int blocks = base.blocks + x.q[i] + y[j];
      best = std::min(best, 8 - 2 * sets - std::min(blocks, limit - sets));
    }
  }
  return best;
}

using Suits = std::array<Suit, 3>;

// Leaves with a pair somewhere: no isolation penalty, one block more allowed. Without an
// honour pair the pair is in suit 0 or 1, or else in suit 2.
int WithPairScore(const Suits& s, const Honours& h, const Row& noPair01, int room) {
  const SuitShape &s0 = *s[0].shape, &s1 = *s[1].shape, &s2 = *s[2].shape;
  const Row pair01 = Max(Combine(s0.withPair, s[0], s1.any, s[1], room),
                         Combine(s0.noPair, s[0], s1.withPair, s[1], room));
  return std::min(Finish(pair01, s2.any, s[2], h.base, 5),
                  Finish(noPair01, s2.withPair, s[2], h.base, 5));
}

// Pairless leaves cost one more when everything isolated is of a quad. The least score x is
// kept if some leaf reaching it escapes the penalty: one with a non-quad single, or one with
// nothing isolated at all.
int PairlessScore(const Suits& s, const Honours& h, const Row& noPair01, int x, int room) {
  const SuitShape &s0 = *s[0].shape, &s1 = *s[1].shape, &s2 = *s[2].shape;
  if (h.isolation == 2) return x;
  if (h.isolation == 0 && ((s0.flags | s1.flags | s2.flags) & kQuadIsolation) == 0) return x;
  const Row other01 = Max(Combine(s0.noPairOther, s[0], s1.noPair, s[1], room),
                          Combine(s0.noPair, s[0], s1.noPairOther, s[1], room));
  int escaped = std::min(Finish(noPair01, s2.noPairOther, s[2], h.base, 4),
                         Finish(other01, s2.noPair, s[2], h.base, 4));
  if (h.isolation == 0) {
    const Row clean01 = Combine(s0.noPairClean, s[0], s1.noPairClean, s[1], room);
    escaped = std::min(escaped, Finish(clean01, s2.noPairClean, s[2], h.base, 4));
  }
  return std::min(x + 1, escaped);
}

int StandardForm(const Suits& s, const Honours& h) {
  const int room = 4 - h.base.sets;
  const SuitShape &s0 = *s[0].shape, &s1 = *s[1].shape, &s2 = *s[2].shape;
  if (h.pair) return Finish(Combine(s0.any, s[0], s1.any, s[1], room), s2.any, s[2], h.base, 5);
  const Row noPair01 = Combine(s0.noPair, s[0], s1.noPair, s[1], room);
  const int best = WithPairScore(s, h, noPair01, room);
  const int x = Finish(noPair01, s2.noPair, s[2], h.base, 4);
  return x < best ? std::min(best, PairlessScore(s, h, noPair01, x, room)) : best;
}

}  // namespace

int FastSyanten(const KindCounts& counts) {
  const Packed words = Pack(counts);
  const int total = LegalTotal(words);
  if (total < 0) return kNotLegal;
  const int best = total >= 13 ? std::min(8, SevenPairsOrOrphans(words)) : 8;
  if (best == -1) return best;
  const Honours h = ReadHonours(words, total);
  const SuitTables& tables = GetSuitTables();
  Suits suits;
  for (int i = 0; i < 3; ++i) {
    suits[i].shape = &tables.ShapeOf(&counts[9 * i]);
    suits[i].top = suits[i].shape->maxSets;
  }
  int s = StandardForm(suits, h);
  if (s == kUnreached) return best;
  if (s != -1 && s < h.quads) s = h.quads;
  return std::min(best, s);
}

}  // namespace zuvelo::detail
