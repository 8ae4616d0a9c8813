// The hand engine and the replay timed by the program itself: for the Windows builds, which
// have no Google Benchmark and run under Wine, and natively beside them, so that the figures
// of every target come from the same loops. Each figure is the best of eleven runs: on a shared
// machine the least disturbed run is the truest.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench_inputs.h"
#include "hand/suit_table.h"
#include "hand/tehai.h"
#include "replay/log_scanner.h"

namespace zuvelo::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 11;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Least seconds of kRuns calls of run().
template <class Run>
double Best(Run run) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = Clock::now();
    run();
    best = std::min(best, Seconds(start));
  }
  return best;
}

volatile long long sink;  // keeps the results alive

void TimeSyanten(int tiles) {
  const std::vector<KindCounts>& hands = CountHands(tiles);
  const double s = Best([&] {
    long long sum = 0;
    for (const KindCounts& hand : hands) sum += CalcSyanten34(hand);
    sink = sum;
  });
  std::printf("CalcSyanten34, %d tiles: %.1f ns per hand\n", tiles, s * 1e9 / kHands);
}

// Each hand is a new deal of the same record, so the key changes and everything is redone.
void TimeReadyHands() {
  const std::vector<Slots>& hands = ReadyHands();
  Tehai tehai;
  tehai.nHai = 13;
  long long waits = 0;
  const double s = Best([&] {
    waits = 0;
    for (const Slots& hand : hands) {
      tehai.hai = hand;
      (void)tehai.UpdateSyanten1();
      waits += static_cast<long long>(tehai.machi.size());
    }
  });
  std::printf("UpdateSyanten1, ready 13-tile hand with its waits: %.1f ns per hand (%.3f waits)\n",
              s * 1e9 / kHands, static_cast<double>(waits) / kHands);
}

void TimeReplay() {
  const std::vector<std::string>& logs = Logs();
  LogReplayer replayer;
  Players players;
  CountingSink events;
  NoMessages reporter;
  LogInfo info;
  info.name = u"2010010100gm-00a9-0000-00000000&tw=0";
  const double s = Best([&] {
    for (const std::string& log : logs)
      (void)replayer.Replay(log.c_str(), info, players, events, reporter);
  });
  std::printf("replay with every per-move event: %.0f logs/s (%.1f events per log)\n", kLogs / s,
              static_cast<double>(events.events) / (kRuns * kLogs));
  std::size_t bytes = 0;
  for (const std::string& log : logs) bytes += log.size();
  const double scan = Best([&] { sink = ScanElements(logs); });
  std::printf("scanner alone: %.0f MB/s\n", static_cast<double>(bytes) / scan / 1e6);
}

}  // namespace
}  // namespace zuvelo::bench

int main() {
  using namespace zuvelo::bench;
  const auto start = Clock::now();
  (void)zuvelo::CalcSyanten34(zuvelo::KindCounts{});
  const zuvelo::detail::SuitTables& tables = zuvelo::detail::GetSuitTables();
  std::printf("tables at start-up: %.1f ms, %zu KB (%d shapes, %d classes, %d x %d combinations)\n",
              Seconds(start) * 1e3, sizeof tables / 1024, tables.ShapeCount(), tables.ClassCount(),
              tables.slots().PairCount(), tables.slots().RestCount());
  TimeSyanten(14);
  TimeSyanten(13);
  TimeReadyHands();
  TimeReplay();
  return 0;
}
