// libFuzzer entry over the scanner and the replay: any bytes as a log text, replayed with every
// event (through mjlog-dump's writer, which reads every seat at every event, and its mjai
// export) and with only the log-level events. Must never crash, trip a sanitizer or read past the
// terminating zero. Built with the test data folder, it is also a test that runs the corpus through
// the entry, so what the fuzzer once found stays fixed in every build.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "mjlog_dump/json_dump.h"
#include "mjlog_dump/mjai_export.h"
#include "replay/log_header.h"
#include "replay/replay_log.h"

namespace {

using namespace zuvelo;

class LogLevelOnly : public ReplayEvents {
  EventSet Supplied() const override {
    return EventSet().Add(ReplayEvent::kLogBegin).Add(ReplayEvent::kLogEnd);
  }
};

class Silent : public ReplayReporter {
  void Report(const ReplayMessage& message) override {
    if (message.text.empty()) __builtin_trap();  // every stop has something to say
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exactly size + 1 bytes, so the sanitizer sees any read past the terminating zero.
  const std::unique_ptr<char[]> text(new char[size + 1]);
  std::memcpy(text.get(), data, size);
  text[size] = '\0';
  static LogReplayer replayer;
  LogInfo info;
  info.name = u"2010010100gm-0009-0000-00000000&tw=0";
  std::string out;
  dump::DumpEvents(replayer, text.get(), info, out);
  (void)mjai::ExportLog(replayer, text.get(), info, out);
  Players players;
  LogLevelOnly logLevel;
  Silent silent;
  (void)replayer.Replay(text.get(), info, players, logLevel, silent);
  (void)DecodePlayerName(std::string_view(text.get(), size));
  return 0;
}

#ifdef ZUVELO_TEST_DATA_DIR
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

TEST(ReplayFuzzCorpus, EveryCorpusFileRunsCleanly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(ZUVELO_TEST_DATA_DIR) / "replay" / "fuzz")) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    ++files;
  }
  EXPECT_GT(files, 10);
}
#endif
