// The analyzer end to end under Wine, as a page drives it: a temporary log folder of generated
// logs, the headless page (a real JScript engine with the callbacks and the hidden windows), and
// the profile the final step writes to the trace. Three figures:
//   1. 2,000 logs with OnEnumLog, OnLogBegin and OnLogEnd only (no element is walked);
//   2. fewer logs with every per-move callback as well, and where the time goes;
//   3. 200 placeholders fetched from the loopback test server, then the same logs once more
//      without the downloads, the difference being the download phase.
// The third needs a server that hands out logs from a folder:
//   python3 tests/support/http_test_server.py start --port-file P --pid-file Q --log-dir D
//   tools/wine-run.sh <build>/bench/analyze_bench.exe P D
//   python3 tests/support/http_test_server.py stop --pid-file Q
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/com_apartment_win.h"
#include "headless_page_win.h"
#include "logana/analyzer_object_win.h"
#include "mjlog_gen/mjlog_gen.h"
#include "net/service_address.h"
#include "shell/services/settings_win.h"
#include "shell/use_wsock32.h"
#include "support/trace_listener.h"

namespace zuvelo::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kLightLogs = 2000;
constexpr int kFullLogs = 200;
constexpr int kDownloads = 200;
constexpr int kGames = 40;  // distinct games, written under many names

constexpr const wchar_t* kScript =
    LR"(
var logs = 0;
function accept() { return true; }
function nothing() {}
var light = {Array: Array, OnEnumLog: accept, OnLogBegin: function () { ++logs; },
             OnLogEnd: nothing};
var full = {Array: Array, OnEnumLog: accept, OnLogBegin: function () { ++logs; },
            OnSceneBegin: nothing, OnTsumo: nothing, OnDahai: nothing, OnNaki: nothing,
            OnDora: nothing, OnReach: nothing, OnAgari: nothing, OnRyuukyoku: nothing,
            OnSceneEnd: nothing, OnLogEnd: nothing};
var scanOnly = {Array: Array, OnEnumLog: accept};
)";

// Log i of a run: one month folder per hundred logs, a distinct hour and id each.
std::string LogName(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "2015%02d%02d%02dgm-00a9-0000-%08x&tw=0", 1 + i / 100 % 12,
                1 + i / 24 % 28, i % 24, 0x0b000000 + i);
  return name;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

fs::path LogPath(const fs::path& logs, const std::string& name) {
  return logs / "log" / name.substr(0, 6) / (name + ".mjlog");
}

// A fresh log folder that the settings in the working folder point at.
fs::path FreshLogFolder(const fs::path& work, const char* name) {
  const fs::path logs = work / name;
  fs::create_directories(logs / "log");
  WriteLogPathSetting(logs.string().c_str());
  return logs;
}

class Bench {
 public:
  Bench() : page_([](const char*, WPARAM) { return LRESULT{0}; }) {}

  bool Ready() {
    if (!sockets_.ok() || !page_.ok() || !page_.script.ok() || !trace_.ok()) return false;
    if (!trace_.KeepOnlyThisProcess()) return false;
    analyzer_ = IDispatchLogAnaImpl::Create(page_.host.hwnd());
    return analyzer_ && page_.script.AddNamedItem(L"ana", analyzer_.get()) == S_OK &&
           page_.script.Run(kScript) == S_OK;
  }

  // One run with the options object `options`; seconds from analyze to the detach.
  double Run(const wchar_t* options) {
    trace_.Take(0);
    const auto start = std::chrono::steady_clock::now();
    page_.script.Run(std::wstring(L"ana.analyze(") + options + L");");
    headless::PumpWhileAttached(page_.main, [] { return false; });  // logana-run's loop
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
  }

  // The worker's replay line and the final step's profile.
  void PrintProfile() {
    bool in_profile = false;
    for (const std::string& line : trace_.Take(200)) {
      if (line.rfind("----- profile", 0) == 0) in_profile = true;
      if (in_profile || line.rfind("files=", 0) == 0 || line.rfind("nDownload=", 0) == 0) {
        std::printf("    %s", line.c_str());
      }
      if (line.rfind("total=", 0) == 0) in_profile = false;
    }
  }

 private:
  SocketsLayer sockets_;
  headless::HeadlessPage page_;
  testing::TraceListener trace_;
  com_ptr<IDispatchLogAnaImpl> analyzer_;
};

void Report(const char* what, int logs, double seconds) {
  std::printf("%s: %d logs in %.3f s, %.0f logs/s\n", what, logs, seconds, logs / seconds);
}

int Main(int argc, char** argv) {
  const fs::path previous = fs::current_path();
  const fs::path work = fs::temp_directory_path() /
                        ("zuvelo-analyze-bench-" + std::to_string(::GetCurrentProcessId()));
  fs::create_directories(work);
  fs::current_path(work);
  std::vector<std::string> games;
  for (int seed = 1; seed <= kGames; ++seed)
    games.push_back(gen::Gzip(gen::GenerateGame(seed).text));

  const ComApartment apartment;
  Bench bench;
  if (!apartment.ok() || !bench.Ready()) {
    std::fprintf(stderr, "set-up failed (no UDP port of 127.0.0.1 for the trace?)\n");
    return 1;
  }
  const fs::path light = FreshLogFolder(work, "light");
  for (int i = 0; i < kLightLogs; ++i) WriteFile(LogPath(light, LogName(i)), games[i % kGames]);
  Report("OnEnumLog, OnLogBegin, OnLogEnd", kLightLogs, bench.Run(L"light"));
  bench.PrintProfile();

  const fs::path full = FreshLogFolder(work, "full");
  for (int i = 0; i < kFullLogs; ++i) WriteFile(LogPath(full, LogName(i)), games[i % kGames]);
  Report("every per-move callback", kFullLogs, bench.Run(L"full"));
  bench.PrintProfile();

  if (argc >= 3) {
    int port = 0;
    std::ifstream(fs::path(previous) / argv[1]) >> port;
    const fs::path served = fs::path(previous) / argv[2];
    const fs::path placeholders = FreshLogFolder(work, "downloads");
    for (int i = 0; i < kDownloads; ++i) {
      WriteFile(served / (LogName(i) + ".mjlog"), games[i % kGames]);
      WriteFile(LogPath(placeholders, LogName(i)), "");
    }
    const ScopedHomeAddress home("http://127.0.0.1:" + std::to_string(port) + "/");
    const double with_downloads = bench.Run(L"scanOnly");
    bench.PrintProfile();
    const double without = bench.Run(L"scanOnly");
    Report("scan, download and read of placeholders", kDownloads, with_downloads);
    Report("the same logs once filled", kDownloads, without);
    Report("download phase alone", kDownloads, with_downloads - without);
  }
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}

}  // namespace
}  // namespace zuvelo::bench

int main(int argc, char** argv) { return zuvelo::bench::Main(argc, argv); }
