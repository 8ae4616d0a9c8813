// mjai export throughput: a whole log folder of generated four-player games (gzip files in
// month folders) converted to one stream file per log, as `mjlog-dump --mjai --out` does it,
// and the export alone over logs held in memory.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "logana/log_name.h"
#include "mjlog_dump/mjai_folder.h"
#include "mjlog_gen/mjlog_gen.h"

namespace {

using namespace zuvelo;
namespace fs = std::filesystem;

constexpr int kLogs = 1000;

std::vector<gen::GeneratedGame> MakeGames() {
  std::vector<gen::GeneratedGame> games;
  for (std::uint64_t seed = 1; games.size() < kLogs; ++seed) {
    gen::GenOptions options = gen::OptionsForSeed(seed);
    options.players = 4;
    games.push_back(gen::GenerateGame(seed, options));
  }
  return games;
}

const std::vector<gen::GeneratedGame>& Games() {
  static const std::vector<gen::GeneratedGame> games = MakeGames();
  return games;
}

// A log folder and an output folder under the temporary folder, removed at exit.
class BenchFolder {
 public:
  BenchFolder() : root_(fs::temp_directory_path() / ("mjai_bench_" + std::to_string(::getpid()))) {
    for (const gen::GeneratedGame& game : Games()) {
      const fs::path file = logs() / gen::LogRelativePath(game.name);
      fs::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << gen::Gzip(game.text);
    }
  }
  ~BenchFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  [[nodiscard]] fs::path logs() const { return root_ / "logs"; }
  [[nodiscard]] fs::path out() const { return root_ / "out"; }

 private:
  fs::path root_;
};

// Each pass writes into a new output folder, as a user's first conversion does; they are all
// removed at exit, since deleting files between passes makes the file system's next creations
// slower. The rate is per second of the one core the conversion runs on, system time included.
void BM_ConvertFolder(benchmark::State& state) {
  static const BenchFolder folder;
  int converted = 0, pass = 0;
  for (auto _ : state) {
    const fs::path out = folder.out() / std::to_string(pass++);
    const mjai::FolderReport report = mjai::ConvertFolder(folder.logs(), out, nullptr);
    converted = report.converted;
    if (converted != kLogs || report.skipped != 0) state.SkipWithError("not every log converted");
  }
  state.SetItemsProcessed(state.iterations() * converted);
  state.counters["logs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * converted),
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertFolder)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ExportInMemory(benchmark::State& state) {
  const auto& games = Games();
  std::vector<LogInfo> infos(games.size());
  for (std::size_t i = 0; i < games.size(); ++i)
    SetLogName(infos[i], std::u16string(games[i].name.begin(), games[i].name.end()));
  LogReplayer replayer;
  std::string out;
  std::size_t next = 0, bytes = 0;
  for (auto _ : state) {
    out.clear();
    if (!mjai::ExportLog(replayer, games[next].text.c_str(), infos[next], out).ok)
      state.SkipWithError("a log without a stream");
    bytes += out.size();
    next = next + 1 == games.size() ? 0 : next + 1;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["logs/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportInMemory)->MinTime(2.0);

}  // namespace
