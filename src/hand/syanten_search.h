// The standard-form decomposition search, step by step as the hand engine defines it. Both the
// literal calculation and the per-suit tables of the fast path run this one search, so the
// tables hold exactly the outcomes it can reach.
#pragma once

#include <cstdint>

#include "hand/tile.h"

namespace zuvelo::detail {

// One calculation's working record; counts and counters change in place and are restored.
struct SyantenCalc {
  std::uint8_t mentsu = 0;
  std::uint8_t taatsu = 0;
  std::uint8_t toitsu = 0;
  std::uint8_t honourQuads = 0;
  std::uint32_t fourMask = 0;
  std::uint32_t isolatedMask = 0;
  std::int32_t best = 8;
  KindCounts counts{};

  // Scores the decomposition in the counters and keeps it in best when it is lower.
  void Evaluate();
};

inline constexpr std::uint32_t kHonourBit = 1u << 27;

// Explores the decompositions of the suit tiles from kind a upwards and calls visitor.End(calc)
// at the end of each. visitor.Known(calc, a) may claim the whole subtree from kind a when it
// already knows what that subtree reaches (the per-suit tables use it; the calculation's own
// visitor never does).
template <class Visitor>
class SyantenSearcher {
 public:
  SyantenSearcher(SyantenCalc& calc, Visitor& visitor)
      : c_(calc), n_(calc.counts), visitor_(visitor) {}

  void Search(int a) {
    if (c_.best == -1) return;
    while (a < kSuitKindCount && n_[a] == 0) ++a;
    if (a == kSuitKindCount) {
      visitor_.End(c_);
      return;
    }
    if (visitor_.Known(c_, a)) return;
    switch (n_[a]) {
      case 1:
        Single(a);
        break;
      case 2:
        Double(a);
        break;
      case 3:
        Triple(a);
        break;
      case 4:
        Quad(a);
        break;
      default:
        break;  // only unchecked counts get here; nothing is explored
    }
  }

 private:
  // Each Take runs the search with a group removed and puts everything back afterwards.
  void Sequence(int a, int next) {
    --n_[a], --n_[a + 1], --n_[a + 2], ++c_.mentsu;
    Search(next);
    ++n_[a], ++n_[a + 1], ++n_[a + 2], --c_.mentsu;
  }
  void Partial(int a, int other, int next) {
    --n_[a], --n_[other], ++c_.taatsu;
    Search(next);
    ++n_[a], ++n_[other], --c_.taatsu;
  }
  void Isolated(int a) {
    --n_[a], c_.isolatedMask |= 1u << a;
    Search(a + 1);
    ++n_[a], c_.isolatedMask &= ~(1u << a);
  }
  void Pair(int a) { n_[a] -= 2, ++c_.toitsu; }
  void UndoPair(int a) { n_[a] += 2, --c_.toitsu; }
  void Triplet(int a) { n_[a] -= 3, ++c_.mentsu; }
  void UndoTriplet(int a) { n_[a] += 3, --c_.mentsu; }

  // Partial sets of the last tile of a: a-a+2 (with the sequence first when a+1 is there),
  // then a-a+1 on its own.
  void SingleGroups(int a, int p) {
    if (p < 7 && n_[a + 2] >= 1) {
      if (n_[a + 1] >= 1) Sequence(a, a + 1);
      Partial(a, a + 2, a + 1);
    }
    if (p < 8 && n_[a + 1] >= 1) Partial(a, a + 1, a + 1);
  }

  void Single(int a) {
    const int p = a % 9;
    if (p < 6 && n_[a + 1] == 1 && n_[a + 2] >= 1 && n_[a + 3] != 4) {
      Sequence(a, a + 2);
      return;
    }
    Isolated(a);
    SingleGroups(a, p);
  }

  void Double(int a) {
    const int p = a % 9;
    Pair(a);
    Search(a + 1);
    UndoPair(a);
    if (p < 7 && n_[a + 1] >= 1 && n_[a + 2] >= 1) Sequence(a, a);
  }

  void Triple(int a) {
    const int p = a % 9;
    Triplet(a);
    Search(a + 1);
    UndoTriplet(a);
    Pair(a);
    if (p < 7 && n_[a + 1] >= 1 && n_[a + 2] >= 1) {
      Sequence(a, a + 1);
    } else if (p < 7 && n_[a + 1] == 0 && n_[a + 2] >= 1) {
      Partial(a, a + 2, a + 1);
    } else if (p < 8 && n_[a + 1] >= 1) {
      Partial(a, a + 1, a + 1);
    }
    UndoPair(a);
    if (p < 7 && n_[a + 1] >= 2 && n_[a + 2] >= 2) {
      n_[a + 1] -= 2, n_[a + 2] -= 2, n_[a] -= 2, c_.mentsu += 2;
      Search(a);
      n_[a + 1] += 2, n_[a + 2] += 2, n_[a] += 2, c_.mentsu -= 2;
    }
  }

  void Quad(int a) {
    const int p = a % 9;
    Triplet(a);
    SingleGroups(a, p);
    Isolated(a);
    UndoTriplet(a);
    Pair(a);
    if (p < 7 && n_[a + 2] >= 1) {
      if (n_[a + 1] >= 1) Sequence(a, a);
      PassedOver(a, a + 2);
    }
    if (p < 8 && n_[a + 1] >= 1) PassedOver(a, a + 1);
    UndoPair(a);
  }

  // After a pair of a quad: a partial set with one more tile of a, the last one counting for
  // nothing (not isolated).
  void PassedOver(int a, int other) {
    --n_[a];
    Partial(a, other, a + 1);
    ++n_[a];
  }

  SyantenCalc& c_;
  KindCounts& n_;
  Visitor& visitor_;
};

template <class Visitor>
void SyantenSearch(SyantenCalc& calc, int a, Visitor& visitor) {
  SyantenSearcher<Visitor>(calc, visitor).Search(a);
}

}  // namespace zuvelo::detail
