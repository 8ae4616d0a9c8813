// Replay throughput over generated four-player logs held in memory: the full replay with every
// event delivered to a counting sink, the scanner alone, and the heap in use, which must not
// grow with the number of logs replayed. Native (glibc) only.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench_inputs.h"
#include "replay/log_scanner.h"
#include "replay/replay_log.h"

namespace {

using namespace zuvelo;
using bench::CountingSink;
using bench::Logs;
using bench::NoMessages;
using bench::ScanElements;

std::int64_t TotalBytes() {
  std::int64_t bytes = 0;
  for (const std::string& log : Logs()) bytes += static_cast<std::int64_t>(log.size());
  return bytes;
}

void BM_ReplayFullLogs(benchmark::State& state) {
  const auto& logs = Logs();
  LogReplayer replayer;
  Players players;
  CountingSink sink;
  NoMessages reporter;
  LogInfo info;
  info.name = u"2010010100gm-00a9-0000-00000000&tw=0";
  std::size_t next = 0;
  for (auto _ : state) {
    const int result = replayer.Replay(logs[next].c_str(), info, players, sink, reporter);
    benchmark::DoNotOptimize(result);
    next = next + 1 == logs.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["events/log"] = benchmark::Counter(static_cast<double>(sink.events) /
                                                    static_cast<double>(state.iterations()));
  state.counters["logs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayFullLogs)->MinTime(2.0);

void BM_ScannerOnly(benchmark::State& state) {
  const auto& logs = Logs();
  long long elements = 0;
  for (auto _ : state) elements += ScanElements(logs);
  benchmark::DoNotOptimize(elements);
  state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_ScannerOnly)->MinTime(2.0);

// Replays every log many times over; the live heap after the first pass must stay where it is.
void BM_SteadyHeap(benchmark::State& state) {
  const auto& logs = Logs();
  LogReplayer replayer;
  Players players;
  CountingSink sink;
  NoMessages reporter;
  LogInfo info;
  const auto pass = [&] {
    for (const std::string& log : logs)
      (void)replayer.Replay(log.c_str(), info, players, sink, reporter);
  };
  // glibc's count of heap bytes in use: the whole program's, so it catches any list that grows.
  const auto inUse = [] { return static_cast<long long>(mallinfo2().uordblks); };
  pass();
  const long long baseline = inUse();
  long long maxGrowth = 0;
  for (auto _ : state) {
    pass();
    maxGrowth = std::max(maxGrowth, inUse() - baseline);
  }
  state.counters["heap growth bytes"] = benchmark::Counter(static_cast<double>(maxGrowth));
  state.counters["logs replayed"] =
      benchmark::Counter(static_cast<double>(state.iterations() * logs.size()));
}
BENCHMARK(BM_SteadyHeap)->Iterations(20);

}  // namespace
