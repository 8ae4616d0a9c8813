// Slow, exact reference for shanten numbers and waits, used by the tests to check the engine.
// Hands of 1..14 tiles with counts 0..4; (14 - total) / 3 sets are called. Shanten is the number
// of tiles the nearest complete hand of that size holds beyond this one, minus one.
//
// It shares nothing with the engine's decomposition of held tiles into sets, partial sets and
// isolated tiles: it builds the complete hand kind by kind (sequences starting here, a triplet
// or not, the pair or not, never a fifth copy) and pays one for every tile of it the hand
// lacks, so no rule about heads or partial sets is needed. Groups (the suits and the honours)
// share only the number of sets and the pair, so each gives a table of least costs by (sets,
// pair), memoised by its counts, and the tables are folded together.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "hand/tile.h"

namespace zuvelo::reference {

constexpr int kMaxSets = 4;
constexpr int kMaxCopies = 4;
constexpr int kRanks = 9;
constexpr int kUnreachable = 99;

// costs[sets][pair]: least number of missing tiles for one group to hold exactly that many sets
// and pairs (0 or 1).
using GroupCosts = std::array<std::array<int, 2>, kMaxSets + 1>;

inline void Relax(int& slot, int cost) { slot = std::min(slot, cost); }

inline int Missing(int wanted, int held) { return std::max(0, wanted - held); }

// One layer of the group programme: the state is (sets so far, pair so far, sequences started
// two kinds back, sequences started one kind back). Both kinds of open sequence need this kind.
class Layer {
 public:
  Layer() { cost_.fill(kUnreachable); }

  static Layer Start() {
    Layer layer;
    layer.At(0, 0, 0, 0) = 0;
    return layer;
  }

  // Chooses, for a kind held `held` times, the sequences that start on it (up to maxStarts), a
  // triplet and the pair. Each loop stops at the first choice that needs a fifth copy or set.
  [[nodiscard]] Layer Next(int held, int maxStarts) const {
    Layer next;
    // Every open sequence was counted as a set when it started, so older + newer <= sets.
    for (int sets = 0; sets <= kMaxSets; ++sets)
      for (int pair = 0; pair < 2; ++pair)
        for (int older = 0; older <= sets; ++older)
          for (int newer = 0; older + newer <= sets; ++newer) {
            const int cost = At(sets, pair, older, newer);
            if (cost == kUnreachable) continue;
            for (int starts = 0; starts <= maxStarts; ++starts)
              for (int triplet = 0; triplet < 2; ++triplet) {
                const int made = sets + starts + triplet;
                if (older + newer + starts + 3 * triplet > kMaxCopies || made > kMaxSets) break;
                for (int head = 0; head + pair < 2; ++head) {
                  const int used = older + newer + starts + 3 * triplet + 2 * head;
                  if (used > kMaxCopies) break;
                  Relax(next.At(made, pair + head, newer, starts), cost + Missing(used, held));
                }
              }
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
  static int Slot(int sets, int pair, int older, int newer) {
    return ((sets * 2 + pair) * (kMaxCopies + 1) + older) * (kMaxCopies + 1) + newer;
  }
  int& At(int sets, int pair, int older, int newer) {
    return cost_[Slot(sets, pair, older, newer)];
  }
  int At(int sets, int pair, int older, int newer) const {
    return cost_[Slot(sets, pair, older, newer)];
  }

  std::array<int, (kMaxSets + 1) * 2 * (kMaxCopies + 1) * (kMaxCopies + 1)> cost_;
};

// Runs the programme over a group, keeping the layers of the last one: groups asked in counting
// order (the exhaustive tests) share most of their first ranks, whose layers are then reused.
class Programme {
 public:
  GroupCosts Run(const std::uint8_t* held, int ranks, bool sequences) {
    int rank = 0;
    while (rank < known_ && held[rank] == held_[rank]) ++rank;
    for (; rank < ranks; ++rank) {
      held_[rank] = held[rank];
      // Honours never form sequences, and none starts on a suit's last two ranks.
      layers_[rank + 1] = layers_[rank].Next(held[rank], sequences && rank < 7 ? kMaxCopies : 0);
    }
    known_ = ranks;
    return layers_[ranks].Closed();
  }

 private:
  std::array<Layer, kRanks + 1> layers_ = {Layer::Start()};
  std::array<std::uint8_t, kRanks> held_{};
  int known_ = 0;  // ranks whose layers follow from held_
};

// Group 0..2 a suit, 3 the honours.
inline GroupCosts CostsOfGroup(const KindCounts& counts, int group) {
  static Programme programmes[2];
  static std::unordered_map<int, GroupCosts> memo[2];
  const bool honours = group == 3;
  const std::uint8_t* held = counts.data() + group * kRanks;
  const int ranks = honours ? kKindCount - kSuitKindCount : kRanks;
  int index = 0;
  for (int rank = ranks - 1; rank >= 0; --rank) index = index * (kMaxCopies + 1) + held[rank];
  const auto [entry, added] = memo[honours].try_emplace(index);
  if (added) entry->second = programmes[honours].Run(held, ranks, !honours);
  return entry->second;
}

inline GroupCosts Fold(const GroupCosts& a, const GroupCosts& b) {
  GroupCosts costs;
  for (auto& row : costs) row.fill(kUnreachable);
  for (int setsA = 0; setsA <= kMaxSets; ++setsA)
    for (int setsB = 0; setsA + setsB <= kMaxSets; ++setsB)
      for (int pairA = 0; pairA < 2; ++pairA)
        for (int pairB = 0; pairA + pairB < 2; ++pairB)
          Relax(costs[setsA + setsB][pairA + pairB], a[setsA][pairA] + b[setsB][pairB]);
  return costs;
}

inline int Total(const KindCounts& counts) {
  return std::accumulate(counts.begin(), counts.end(), 0);
}

// The seven distinct kinds that lack the fewest tiles for a pair.
inline int SevenPairsSyanten(const KindCounts& counts) {
  std::array<int, 3> kindsLacking{};  // by tiles lacking: 0, 1 or 2
  for (int held : counts) ++kindsLacking[Missing(2, held)];
  int missing = 0, chosen = 0;
  for (int lack = 0; lack < 3; ++lack) {
    const int take = std::min(kindsLacking[lack], 7 - chosen);
    missing += take * lack;
    chosen += take;
  }
  return missing - 1;
}

// One of each terminal and honour kind, and the cheapest of them to hold twice.
inline int ThirteenOrphansSyanten(const KindCounts& counts) {
  int missing = 0, cheapestSecond = 2;
  for (TileKind kind : kTerminalHonourKinds) {
    missing += Missing(1, counts[kind]);
    cheapestSecond = std::min(cheapestSecond, Missing(2, counts[kind]) - Missing(1, counts[kind]));
  }
  return missing + cheapestSecond - 1;
}

// Sets and one pair only.
inline int StandardSyanten(const KindCounts& counts) {
  const int sets = kMaxSets - (14 - Total(counts)) / 3;  // besides the called ones
  if (sets < 0 || sets > kMaxSets) return kUnreachable;
  const GroupCosts all =
      Fold(Fold(Fold(CostsOfGroup(counts, 0), CostsOfGroup(counts, 1)), CostsOfGroup(counts, 2)),
           CostsOfGroup(counts, 3));
  return all[sets][1] - 1;
}

// Also seven pairs and thirteen orphans from 13 tiles on.
inline int Syanten(const KindCounts& counts) {
  const int standard = StandardSyanten(counts);
  if (Total(counts) < 13) return standard;
  return std::min({standard, SevenPairsSyanten(counts), ThirteenOrphansSyanten(counts)});
}

// Kinds, ascending, that make this 3n+1 hand complete when added in any of its forms.
inline std::vector<TileKind> Machi(const KindCounts& counts) {
  std::vector<TileKind> waits;
  const int total = Total(counts);
  if (total % 3 != 1 || total > 13 || Syanten(counts) != 0) return waits;  // none: a shortcut
  for (int kind = 0; kind < kKindCount; ++kind) {
    KindCounts grown = counts;
    if (grown[kind]++ < kMaxCopies && Syanten(grown) == -1)
      waits.push_back(static_cast<TileKind>(kind));
  }
  return waits;
}

}  // namespace zuvelo::reference
