// Slow reference shanten: builds the nearest complete hand kind by kind, sharing no engine rule.
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

// costs[sets][pair]: least tiles missing for one group (a suit, the honours) to hold them.
using GroupCosts = std::array<std::array<int, 2>, kMaxSets + 1>;

inline void Relax(int& slot, int cost) { slot = std::min(slot, cost); }

inline int Missing(int wanted, int held) { return std::max(0, wanted - held); }

// State: sets, pair, sequences started two kinds back and one kind back (both need this kind).
struct Layer {
  Layer() { cost.fill(kUnreachable); }
  int& operator()(int sets, int pair, int older, int newer) {
    return cost[((sets * 2 + pair) * (kMaxCopies + 1) + older) * (kMaxCopies + 1) + newer];
  }
  std::array<int, (kMaxSets + 1) * 2 * (kMaxCopies + 1) * (kMaxCopies + 1)> cost;
};

inline Layer Next(Layer& layer, int held, int maxStarts) {
  Layer next;
  for (int sets = 0; sets <= kMaxSets; ++sets)
    for (int pair = 0; pair < 2; ++pair)
      for (int older = 0; older <= sets; ++older)
        for (int newer = 0; older + newer <= sets; ++newer) {
          const int cost = layer(sets, pair, older, newer);
          if (cost == kUnreachable) continue;
          for (int starts = 0; starts <= maxStarts; ++starts)
            for (int triplet = 0; triplet < 2; ++triplet) {
              const int made = sets + starts + triplet;
              if (older + newer + starts + 3 * triplet > kMaxCopies || made > kMaxSets) break;
              for (int head = 0; head + pair < 2; ++head) {
                const int used = older + newer + starts + 3 * triplet + 2 * head;
                if (used > kMaxCopies) break;
                Relax(next(made, pair + head, newer, starts), cost + Missing(used, held));
              }
            }
        }
  return next;
}

// Keeps the last group's layers: the exhaustive tests ask groups sharing their first ranks.
struct Programme {
  std::array<Layer, kRanks + 1> layers;
  std::array<std::uint8_t, kRanks> held{};
  int known = 0;  // ranks whose layers follow from `held`

  Programme() { layers[0](0, 0, 0, 0) = 0; }
  GroupCosts Run(const std::uint8_t* group, int ranks, bool sequences) {
    int rank = 0;
    while (rank < known && group[rank] == held[rank]) ++rank;
    for (; rank < ranks; ++rank) {
      held[rank] = group[rank];
      layers[rank + 1] = Next(layers[rank], group[rank], sequences && rank < 7 ? kMaxCopies : 0);
    }
    known = ranks;
    GroupCosts costs;
    for (int sets = 0; sets <= kMaxSets; ++sets)
      for (int pair = 0; pair < 2; ++pair) costs[sets][pair] = layers[ranks](sets, pair, 0, 0);
    return costs;
  }
};

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

inline int SevenPairsSyanten(const KindCounts& counts) {
  std::array<int, 3> kindsLacking{};
  for (int held : counts) ++kindsLacking[Missing(2, held)];
  int missing = 0, chosen = 0;
  for (int lack = 0; lack < 3; ++lack) {
    const int take = std::min(kindsLacking[lack], 7 - chosen);
    missing += take * lack;
    chosen += take;
  }
  return missing - 1;
}

inline int ThirteenOrphansSyanten(const KindCounts& counts) {
  int missing = 0, cheapestSecond = 2;
  for (TileKind kind : kTerminalHonourKinds) {
    missing += Missing(1, counts[kind]);
    cheapestSecond = std::min(cheapestSecond, Missing(2, counts[kind]) - Missing(1, counts[kind]));
  }
  return missing + cheapestSecond - 1;
}

inline int StandardSyanten(const KindCounts& counts) {
  const int sets = kMaxSets - (14 - Total(counts)) / 3;  // besides the called ones
  if (sets < 0 || sets > kMaxSets) return kUnreachable;
  const GroupCosts all =
      Fold(Fold(Fold(CostsOfGroup(counts, 0), CostsOfGroup(counts, 1)), CostsOfGroup(counts, 2)),
           CostsOfGroup(counts, 3));
  return all[sets][1] - 1;
}

inline int Syanten(const KindCounts& counts) {
  const int standard = StandardSyanten(counts);
  if (Total(counts) < 13) return standard;
  return std::min({standard, SevenPairsSyanten(counts), ThirteenOrphansSyanten(counts)});
}

inline std::vector<TileKind> Machi(const KindCounts& counts) {
  std::vector<TileKind> waits;
  const int total = Total(counts);
  if (total % 3 != 1 || total > 13 || Syanten(counts) != 0) return waits;
  for (int kind = 0; kind < kKindCount; ++kind) {
    KindCounts grown = counts;
    if (grown[kind]++ < kMaxCopies && Syanten(grown) == -1)
      waits.push_back(static_cast<TileKind>(kind));
  }
  return waits;
}

}  // namespace zuvelo::reference
