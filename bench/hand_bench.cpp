// Hand engine timings over a million random legal hands each, with every heap allocation
// inside the timed loops counted (there must be none).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "hand/syanten.h"
#include "hand/tehai.h"
#include "support/allocation_counter.h"

namespace zuvelo {
namespace {

using bench::CountHands;
using bench::kHands;
using bench::ReadyHands;
using bench::Slots;

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
