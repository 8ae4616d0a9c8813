// Reference shanten and waits: the distance from a hand to the nearest complete hand.
//
// Why this shape: it shares nothing with the engine's decomposition of the held tiles into
// sets, partial sets and isolated tiles. It builds the complete hand instead, kind by kind
// (how many sequences start here, a triplet or not, the pair or not, never more than four
// copies) and pays one for every tile of it that the hand lacks, so the four-copy limit holds
// by construction and no rule about heads or partial sets is needed. The suits only share the
// number of sets and the one pair, so each suit yields a table of least costs by (sets, pair)
// and the tables are folded together. Suit tables are memoised by the suit's nine counts.
// Waits do not use the tables: a wait is a kind whose addition gives a hand found among all
// complete hands, which are laid out from sets and a pair once.
#include "syanten_reference.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

namespace zuvelo::reference {
namespace {

constexpr int kMaxSets = 4;
constexpr int kMaxCopies = 4;
constexpr int kRanks = 9;
constexpr int kUnreachable = 99;

// costs[sets][pairs]: least number of missing tiles for one group (a suit or the honours) to
// hold exactly that many sets and pairs (pairs 0 or 1).
using GroupCosts = std::array<std::array<int, 2>, kMaxSets + 1>;

GroupCosts UnreachableCosts() {
  GroupCosts costs;
  for (auto& row : costs) row.fill(kUnreachable);
  return costs;
}

void Relax(int& slot, int cost) { slot = std::min(slot, cost); }

int Missing(int wanted, int held) { return std::max(0, wanted - held); }

// One layer of the suit programme: the state is (sets so far, pair so far, sequences started
// two kinds back, sequences started one kind back). Both kinds of open sequence need this kind.
class SuitLayer {
 public:
  SuitLayer() { cost_.fill(kUnreachable); }

  static SuitLayer Start() {
    SuitLayer layer;
    layer.At(0, 0, 0, 0) = 0;
    return layer;
  }

  // Chooses, for a kind held `held` times, the sequences that start on it (none on the last
  // two ranks), a triplet and the pair.
  [[nodiscard]] SuitLayer Next(int held, int rank) const {
    const int maxStarts = rank < kRanks - 2 ? kMaxCopies : 0;
    SuitLayer next;
    // Every open sequence was counted as a set when it started, so older + newer <= sets.
    for (int sets = 0; sets <= kMaxSets; ++sets)
      for (int pair = 0; pair < 2; ++pair)
        for (int older = 0; older <= sets; ++older)
          for (int newer = 0; older + newer <= sets; ++newer) {
            const int cost = At(sets, pair, older, newer);
            if (cost != kUnreachable)
              Choose(next, held, maxStarts, {sets, pair, older, newer}, cost);
          }
    return next;
  }

  // Only states with no sequence left open are complete.
  [[nodiscard]] GroupCosts Closed() const {
    GroupCosts costs;
    for (int sets = 0; sets <= kMaxSets; ++sets)
      for (int pair = 0; pair < 2; ++pair) costs[sets][pair] = At(sets, pair, 0, 0);
    return costs;
  }

 private:
  struct State {
    int sets, pair, older, newer;
  };

  // Every choice for this kind from state `from`, which cost `cost` so far. Each loop stops
  // at the first choice that needs a fifth copy or a fifth set, as all later ones do too.
  static void Choose(SuitLayer& next, int held, int maxStarts, State from, int cost) {
    const int open = from.older + from.newer;
    for (int starts = 0; starts <= maxStarts; ++starts)
      for (int triplet = 0; triplet < 2; ++triplet) {
        const int sets = from.sets + starts + triplet;
        if (open + starts + 3 * triplet > kMaxCopies || sets > kMaxSets) break;
        for (int head = 0; head + from.pair < 2; ++head) {
          const int used = open + starts + 3 * triplet + 2 * head;
          if (used > kMaxCopies) break;
          Relax(next.At(sets, from.pair + head, from.newer, starts), cost + Missing(used, held));
        }
      }
  }

  static int Slot(int sets, int pair, int older, int newer) {
    return ((sets * 2 + pair) * (kMaxCopies + 1) + older) * (kMaxCopies + 1) + newer;
  }
  int& At(int sets, int pair, int older, int newer) {
    return cost_[Slot(sets, pair, older, newer)];
  }
  [[nodiscard]] int At(int sets, int pair, int older, int newer) const {
    return cost_[Slot(sets, pair, older, newer)];
  }

  std::array<int, (kMaxSets + 1) * 2 * (kMaxCopies + 1) * (kMaxCopies + 1)> cost_;
};

// Runs the suit programme, keeping the layers of the last suit: suits asked in counting order
// (the exhaustive tests) share most of their first ranks, whose layers are then reused.
class SuitProgramme {
 public:
  GroupCosts Run(const std::uint8_t* held) {
    int rank = 0;
    while (rank < known_ && held[rank] == held_[rank]) ++rank;
    for (; rank < kRanks; ++rank) {
      held_[rank] = held[rank];
      layers_[rank + 1] = layers_[rank].Next(held[rank], rank);
    }
    known_ = kRanks;
    return layers_[kRanks].Closed();
  }

 private:
  std::array<SuitLayer, kRanks + 1> layers_ = {SuitLayer::Start()};
  std::array<std::uint8_t, kRanks> held_{};
  int known_ = 0;  // ranks whose layers follow from held_
};

// Suit tables by the suit's counts read as a base-5 number; 6 bits per cost, top bit = known.
class SuitCostCache {
 public:
  GroupCosts Get(const std::uint8_t* held) {
    int index = 0;
    for (int rank = kRanks - 1; rank >= 0; --rank) index = index * (kMaxCopies + 1) + held[rank];
    std::uint64_t& packed = packed_[static_cast<std::size_t>(index)];
    if (packed == 0) packed = Pack(programme_.Run(held));
    return Unpack(packed);
  }

 private:
  static constexpr std::uint64_t kKnown = std::uint64_t{1} << 63;

  static std::uint64_t Pack(const GroupCosts& costs) {
    std::uint64_t packed = kKnown;
    int shift = 0;
    for (const auto& row : costs)
      for (int cost : row) {
        packed |= static_cast<std::uint64_t>(std::min(cost, 63)) << shift;
        shift += 6;
      }
    return packed;
  }
  static GroupCosts Unpack(std::uint64_t packed) {
    GroupCosts costs;
    for (auto& row : costs)
      for (int& cost : row) {
        cost = static_cast<int>(packed & 63);
        packed >>= 6;
      }
    return costs;
  }

  SuitProgramme programme_;
  std::vector<std::uint64_t> packed_ = std::vector<std::uint64_t>(1953125, 0);  // 5^9
};

GroupCosts SuitCosts(const std::uint8_t* held) {
  static SuitCostCache cache;
  return cache.Get(held);
}

// Every suit hand that is exactly sets and at most one pair, marked by its counts read as a
// base-5 number; found by laying sets and a pair on an empty suit, never from held tiles.
class CompleteSuits {
 public:
  CompleteSuits() : complete_(kSuitHands, false) {
    std::array<int, kRanks> counts{};
    Lay(counts, 0, 0);
  }
  [[nodiscard]] bool Holds(const std::uint8_t* held) const { return complete_[Index(held)]; }

 private:
  static constexpr int kSuitHands = 1953125;  // 5^9
  static constexpr int kSetShapes = 16;       // triplets on 0..8, then sequences from 0..6

  static bool Place(std::array<int, kRanks>& counts, int shape, int sign) {
    const bool triplet = shape < kRanks;
    for (int i = 0; i < 3; ++i) counts[triplet ? shape : shape - kRanks + i] += sign;
    return std::all_of(counts.begin(), counts.end(), [](int n) { return n <= kMaxCopies; });
  }

  void Mark(const std::array<int, kRanks>& counts) {
    std::array<std::uint8_t, kRanks> held;
    std::copy(counts.begin(), counts.end(), held.begin());
    complete_[Index(held.data())] = true;
  }

  // Sets in non-decreasing shape order, each followed by every way to add the pair or not.
  void Lay(std::array<int, kRanks>& counts, int firstShape, int sets) {
    Mark(counts);
    for (int rank = 0; rank < kRanks; ++rank) {
      counts[rank] += 2;
      if (counts[rank] <= kMaxCopies) Mark(counts);
      counts[rank] -= 2;
    }
    if (sets == kMaxSets) return;
    for (int shape = firstShape; shape < kSetShapes; ++shape) {
      if (Place(counts, shape, 1)) Lay(counts, shape, sets + 1);
      Place(counts, shape, -1);
    }
  }

  static int Index(const std::uint8_t* held) {
    int index = 0;
    for (int rank = kRanks - 1; rank >= 0; --rank) index = index * (kMaxCopies + 1) + held[rank];
    return index;
  }

  std::vector<bool> complete_;
};

bool IsCompleteGroup(const KindCounts& counts, int group) {
  static const CompleteSuits suits;
  if (group < 3) return suits.Holds(counts.data() + group * kRanks);
  for (int kind = kSuitKindCount; kind < kKindCount; ++kind)
    if (counts[kind] == 1 || counts[kind] > 3) return false;
  return true;
}

// Every group complete and exactly one pair among them.
bool IsCompleteStandard(const KindCounts& counts) {
  int pairs = 0;
  for (int group = 0; group < 4; ++group) {
    if (!IsCompleteGroup(counts, group)) return false;
    const auto first = counts.begin() + group * kRanks;
    const auto last = group < 3 ? first + kRanks : counts.end();
    if (group < 3 && std::accumulate(first, last, 0) % 3 == 2) ++pairs;
    if (group == 3) pairs += static_cast<int>(std::count(first, last, 2));
  }
  return pairs == 1;
}

// Honours never form sequences: each kind is nothing, a triplet or the pair.
GroupCosts HonourCosts(const std::uint8_t* held) {
  GroupCosts costs = UnreachableCosts();
  costs[0][0] = 0;
  for (int honour = 0; honour < kKindCount - kSuitKindCount; ++honour) {
    GroupCosts next = costs;
    for (int sets = 0; sets <= kMaxSets; ++sets)
      for (int pair = 0; pair < 2; ++pair) {
        const int cost = costs[sets][pair];
        if (cost == kUnreachable) continue;
        if (sets < kMaxSets) Relax(next[sets + 1][pair], cost + Missing(3, held[honour]));
        if (pair == 0) Relax(next[sets][1], cost + Missing(2, held[honour]));
      }
    costs = next;
  }
  return costs;
}

GroupCosts Fold(const GroupCosts& a, const GroupCosts& b) {
  GroupCosts costs = UnreachableCosts();
  for (int setsA = 0; setsA <= kMaxSets; ++setsA)
    for (int setsB = 0; setsA + setsB <= kMaxSets; ++setsB)
      for (int pairA = 0; pairA < 2; ++pairA)
        for (int pairB = 0; pairA + pairB < 2; ++pairB)
          Relax(costs[setsA + setsB][pairA + pairB], a[setsA][pairA] + b[setsB][pairB]);
  return costs;
}

constexpr int kGroups = 4;  // three suits, then the honours

GroupCosts CostsOfGroup(const KindCounts& counts, int group) {
  const std::uint8_t* first = counts.data() + group * kRanks;
  return group < 3 ? SuitCosts(first) : HonourCosts(first);
}

int Total(const KindCounts& counts) { return std::accumulate(counts.begin(), counts.end(), 0); }

// Sets the complete hands of this hand's size class hold besides the called ones.
int ConcealedSets(int total) { return kMaxSets - (14 - total) / 3; }

}  // namespace

int StandardSyanten(const KindCounts& counts) {
  const int sets = ConcealedSets(Total(counts));
  if (sets < 0 || sets > kMaxSets) return kUnreachable;
  const GroupCosts suits =
      Fold(Fold(CostsOfGroup(counts, 0), CostsOfGroup(counts, 1)), CostsOfGroup(counts, 2));
  const GroupCosts honours = CostsOfGroup(counts, 3);
  int best = kUnreachable;
  for (int honourSets = 0; honourSets <= sets; ++honourSets)
    for (int honourPair = 0; honourPair < 2; ++honourPair)
      best = std::min(best,
                      suits[sets - honourSets][1 - honourPair] + honours[honourSets][honourPair]);
  return best - 1;
}

// The seven distinct kinds that lack the fewest tiles for a pair.
int SevenPairsSyanten(const KindCounts& counts) {
  std::array<int, 3> kindsLacking{};  // by tiles lacking: 0, 1 or 2
  for (int held : counts) ++kindsLacking[Missing(2, held)];
  int missing = 0;
  int chosen = 0;
  for (int lack = 0; lack < 3; ++lack) {
    const int take = std::min(kindsLacking[lack], 7 - chosen);
    missing += take * lack;
    chosen += take;
  }
  return missing - 1;
}

// One of each terminal and honour kind, and the cheapest of them to hold twice.
int ThirteenOrphansSyanten(const KindCounts& counts) {
  int missing = 0;
  int cheapestSecond = 2;
  for (TileKind kind : kTerminalHonourKinds) {
    missing += Missing(1, counts[kind]);
    cheapestSecond = std::min(cheapestSecond, Missing(2, counts[kind]) - Missing(1, counts[kind]));
  }
  return missing + cheapestSecond - 1;
}

int Syanten(const KindCounts& counts) {
  const int standard = StandardSyanten(counts);
  if (Total(counts) < 13) return standard;
  return std::min({standard, SevenPairsSyanten(counts), ThirteenOrphansSyanten(counts)});
}

std::vector<TileKind> Machi(const KindCounts& counts) {
  const int total = Total(counts);
  std::vector<TileKind> waits;
  if (total % 3 != 1 || total > 13) return waits;
  // One added tile changes one group, so every other group must be complete already; and a
  // hand one tile short of a special form is ready in that form. Both only skip work.
  std::array<bool, kGroups> complete;
  int incomplete = 0;
  for (int group = 0; group < kGroups; ++group) {
    complete[group] = IsCompleteGroup(counts, group);
    incomplete += complete[group] ? 0 : 1;
  }
  const bool sevenPairs = total == 13 && SevenPairsSyanten(counts) == 0;
  const bool orphans = total == 13 && ThirteenOrphansSyanten(counts) == 0;
  for (int kind = 0; kind < kKindCount; ++kind) {
    if (counts[kind] >= kMaxCopies) continue;
    KindCounts grown = counts;
    ++grown[kind];
    const bool othersComplete = incomplete - (complete[kind / kRanks] ? 0 : 1) == 0;
    if ((othersComplete && IsCompleteStandard(grown)) ||
        (sevenPairs && SevenPairsSyanten(grown) == -1) ||
        (orphans && ThirteenOrphansSyanten(grown) == -1))
      waits.push_back(static_cast<TileKind>(kind));
  }
  return waits;
}

}  // namespace zuvelo::reference
