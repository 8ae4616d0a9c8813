// Log downloads from the loopback test server, as the analyzer's worker fetches placeholders:
// one client per log, 200 small gzip logs per round. The server (tests/support/http_test_server.py)
// is started here and stopped at exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "net/http_client.h"
#include "net/service_address.h"

namespace zuvelo {
namespace {

constexpr int kLogsPerRound = 200;

class LoopbackServer {
 public:
  LoopbackServer() {
    char folder[] = "/tmp/zuvelo-net-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) return;
    folder_ = folder;
    if (std::system(Command("start --port-file " + (folder_ / "port").string()).c_str()) != 0) {
      return;
    }
    std::ifstream(folder_ / "port") >> port_;
  }
  ~LoopbackServer() {
    if (folder_.empty()) return;
    [[maybe_unused]] int stopped = std::system(Command("stop").c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  [[nodiscard]] int port() const { return port_; }

 private:
  std::string Command(const std::string& arguments) const {
    return "python3 " ZUVELO_NET_TEST_SERVER " " + arguments + " --pid-file " +
           (folder_ / "pid").string() + " >/dev/null";
  }

  std::filesystem::path folder_;
  int port_ = 0;
};

std::vector<std::string> LogAddresses() {
  std::vector<std::string> addresses;
  for (int i = 0; i < kLogsPerRound; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "2015071412gm-0009-0000-%08x&tw=%d", 0x0a1b0000 + i, i % 4);
    addresses.push_back(LogDownloadAddress(name));
  }
  return addresses;
}

void BM_Download200Logs(benchmark::State& state) {
  static LoopbackServer server;
  if (server.port() == 0) {
    state.SkipWithError("the loopback test server did not start");
    return;
  }
  ScopedHomeAddress home("http://127.0.0.1:" + std::to_string(server.port()) + "/");
  const std::vector<std::string> addresses = LogAddresses();
  for (auto _ : state) {
    for (const std::string& address : addresses) {
      CHttpClient client;
      std::vector<std::uint8_t> body;
      if (client.Download(address, body) != kHttpOk || body.size() < 10 || body[0] != 0x1F) {
        state.SkipWithError("a download failed");
        return;
      }
      benchmark::DoNotOptimize(body.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kLogsPerRound);
}
BENCHMARK(BM_Download200Logs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zuvelo
