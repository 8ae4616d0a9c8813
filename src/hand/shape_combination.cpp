// The exact combination of three suit shapes. The decomposition search never lets one suit's
// choices depend on another's, so its leaves are every combination of per-suit outcomes, and
// the evaluation of a leaf depends only on the summed sets, summed partial sets plus pairs,
// whether any pair is there, and the isolation classes.
#include "hand/shape_combination.h"

#include <algorithm>
#include <array>

#include "hand/slot_table.h"

namespace zuvelo::detail {
namespace {

// Fixed part of every leaf: called sets and honour groups.
struct Base {
  int sets;
  int blocks;
};

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
  int best = kUnreachedForm;
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
int WithPairScore(const Suits& s, Base base, const Row& noPair01, int room) {
  const SuitShape &s0 = *s[0].shape, &s1 = *s[1].shape, &s2 = *s[2].shape;
  const Row pair01 = Max(Combine(s0.withPair, s[0], s1.any, s[1], room),
                         Combine(s0.noPair, s[0], s1.withPair, s[1], room));
  return std::min(Finish(pair01, s2.any, s[2], base, 5),
                  Finish(noPair01, s2.withPair, s[2], base, 5));
}

// Pairless leaves cost one more when everything isolated is of a quad. The least score x is
// kept if some leaf reaching it escapes the penalty: one with a non-quad single, or one with
// nothing isolated at all.
int PairlessScore(const Suits& s, const FixedGroups& h, const Row& noPair01, int x, int room) {
  const SuitShape &s0 = *s[0].shape, &s1 = *s[1].shape, &s2 = *s[2].shape;
  if (!QuadRuleMayApply(h, s0.flags | s1.flags | s2.flags)) return x;
  const Base base{h.sets, h.pairs};
  const Row other01 = Max(Combine(s0.noPairOther, s[0], s1.noPair, s[1], room),
                          Combine(s0.noPair, s[0], s1.noPairOther, s[1], room));
  int escaped = std::min(Finish(noPair01, s2.noPairOther, s[2], base, 4),
                         Finish(other01, s2.noPair, s[2], base, 4));
  if (h.isolation == 0) {
    const Row clean01 = Combine(s0.noPairClean, s[0], s1.noPairClean, s[1], room);
    escaped = std::min(escaped, Finish(clean01, s2.noPairClean, s[2], base, 4));
  }
  return std::min(x + 1, escaped);
}

}  // namespace

int CombineShapes(const SuitShape& s0, const SuitShape& s1, const SuitShape& s2,
                  const FixedGroups& fixed) {
  const Suits s = {Suit{&s0, s0.maxSets}, Suit{&s1, s1.maxSets}, Suit{&s2, s2.maxSets}};
  const Base base{fixed.sets, fixed.pairs};
  const int room = 4 - base.sets;
  if (fixed.pairs > 0)
    return Finish(Combine(s0.any, s[0], s1.any, s[1], room), s2.any, s[2], base, 5);
  const Row noPair01 = Combine(s0.noPair, s[0], s1.noPair, s[1], room);
  const int best = WithPairScore(s, base, noPair01, room);
  const int x = Finish(noPair01, s2.noPair, s[2], base, 4);
  return x < best ? std::min(best, PairlessScore(s, fixed, noPair01, x, room)) : best;
}

}  // namespace zuvelo::detail
