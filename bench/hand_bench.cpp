// Hand engine timings over a million random legal hands each, with every heap allocation
// inside the timed loops counted (there must be none).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "hand/syanten.h"
#include "hand/tehai.h"
#include "support/allocation_counter.h"

namespace zuvelo {
namespace {

constexpr int kHands = 1'000'000;
using Slots = std::array<TileCode, 14>;

class Rng {
 public:
  explicit Rng(std::uint32_t seed) : engine_(seed) {}
  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

 private:
  std::mt19937 engine_;
};

// `size` distinct codes drawn from a shuffled set, in draw order.
Slots RandomSlots(Rng& rng, int size) {
  std::array<TileCode, kTileCodeCount> wall;
  for (int i = 0; i < kTileCodeCount; ++i) wall[i] = static_cast<TileCode>(i);
  Slots slots;
  slots.fill(kNoTile);
  for (int i = 0; i < size; ++i) {
    std::swap(wall[i], wall[i + rng.Below(kTileCodeCount - i)]);
    slots[i] = wall[i];
  }
  return slots;
}

// A complete hand: seven pairs now and then, otherwise four sets and a pair.
KindCounts RandomCompleteCounts(Rng& rng) {
  KindCounts counts{};
  if (rng.Below(20) == 0) {
    for (int pairs = 0; pairs < 7;) {
      const int kind = rng.Below(kKindCount);
      if (counts[kind] == 0) counts[kind] = 2, ++pairs;
    }
    return counts;
  }
  for (;;) {
    counts.fill(0);
    bool ok = true;
    for (int set = 0; set < 4 && ok; ++set) {
      if (rng.Below(2) == 0) {
        const int kind = rng.Below(kKindCount);
        ok = counts[kind] <= 1;
        if (ok) counts[kind] += 3;
      } else {
        const int kind = 9 * rng.Below(3) + rng.Below(7);
        ok = counts[kind] < 4 && counts[kind + 1] < 4 && counts[kind + 2] < 4;
        if (ok) ++counts[kind], ++counts[kind + 1], ++counts[kind + 2];
      }
    }
    const int head = rng.Below(kKindCount);
    if (ok && counts[head] <= 2) {
      counts[head] += 2;
      return counts;
    }
  }
}

// A ready 13-tile hand: a complete hand less one tile, as shuffled codes.
Slots RandomReadySlots(Rng& rng) {
  for (;;) {
    KindCounts counts = RandomCompleteCounts(rng);
    std::vector<TileCode> codes;
    for (int kind = 0; kind < kKindCount; ++kind) {
      std::array<int, 4> copies = {0, 1, 2, 3};
      for (int i = 0; i < 4; ++i) std::swap(copies[i], copies[i + rng.Below(4 - i)]);
      for (int c = 0; c < counts[kind]; ++c)
        codes.push_back(static_cast<TileCode>(4 * kind + copies[c]));
    }
    codes.erase(codes.begin() + rng.Below(static_cast<int>(codes.size())));
    for (int i = static_cast<int>(codes.size()) - 1; i > 0; --i)
      std::swap(codes[i], codes[rng.Below(i + 1)]);
    Slots slots;
    slots.fill(kNoTile);
    std::copy(codes.begin(), codes.end(), slots.begin());
    if (CalcSyanten14(slots.data()) == 0) return slots;
  }
}

const std::vector<KindCounts>& CountHands(int size) {
  static std::vector<KindCounts> hands[15];
  std::vector<KindCounts>& set = hands[size];
  if (set.empty()) {
    Rng rng(static_cast<std::uint32_t>(20240 + size));
    set.reserve(kHands);
    for (int i = 0; i < kHands; ++i) {
      const Slots slots = RandomSlots(rng, size);
      set.push_back(CountKinds(slots.data(), slots.size()));
    }
  }
  return set;
}

const std::vector<Slots>& ReadyHands() {
  static std::vector<Slots> set;
  if (set.empty()) {
    Rng rng(424242);
    set.reserve(kHands);
    for (int i = 0; i < kHands; ++i) set.push_back(RandomReadySlots(rng));
  }
  return set;
}

void Report(benchmark::State& state, long long allocations) {
  state.counters["ns_per_hand"] = benchmark::Counter(
      static_cast<double>(kHands),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocations"] = static_cast<double>(allocations);
}

void BM_CalcSyanten34(benchmark::State& state) {
  const std::vector<KindCounts>& hands = CountHands(static_cast<int>(state.range(0)));
  for (const KindCounts& hand : hands) benchmark::DoNotOptimize(CalcSyanten34(hand));  // warm
  long long allocations = 0;
  for (auto _ : state) {
    const long long before = testing::AllocationCount();
    for (const KindCounts& hand : hands) benchmark::DoNotOptimize(CalcSyanten34(hand));
    allocations += testing::AllocationCount() - before;
  }
  Report(state, allocations);
}
BENCHMARK(BM_CalcSyanten34)->Arg(14)->Arg(13)->Unit(benchmark::kMillisecond);

// Each hand is a new deal of the same record, so the key changes and everything is redone.
void BM_UpdateSyanten1Ready(benchmark::State& state) {
  const std::vector<Slots>& hands = ReadyHands();
  Tehai tehai;
  tehai.nHai = 13;
  long long allocations = 0;
  long long waits = 0;
  for (auto _ : state) {
    const long long before = testing::AllocationCount();
    for (const Slots& hand : hands) {
      tehai.hai = hand;
      (void)tehai.UpdateSyanten1();
      waits += static_cast<long long>(tehai.machi.size());
    }
    allocations += testing::AllocationCount() - before;
  }
  benchmark::DoNotOptimize(waits);
  Report(state, allocations);
  state.counters["waits_per_hand"] =
      static_cast<double>(waits) / static_cast<double>(kHands * state.iterations());
}
BENCHMARK(BM_UpdateSyanten1Ready)->Unit(benchmark::kMillisecond);

void BM_UpdateSyanten1SameKey(benchmark::State& state) {
  const std::vector<Slots>& hands = ReadyHands();
  Tehai tehai;
  tehai.nHai = 13;
  tehai.hai = hands[0];
  (void)tehai.UpdateSyanten1();
  long long allocations = 0;
  for (auto _ : state) {
    const long long before = testing::AllocationCount();
    for (int i = 0; i < kHands; ++i) {
      benchmark::DoNotOptimize(tehai.hai);
      (void)tehai.UpdateSyanten1();
    }
    allocations += testing::AllocationCount() - before;
  }
  Report(state, allocations);
}
BENCHMARK(BM_UpdateSyanten1SameKey)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zuvelo
