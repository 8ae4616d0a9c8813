// Fuzz entry for any bytes as a log; with the test data folder it also replays the corpus.
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

// Takes only the log-level events; every stop must have something to say.
class LogLevelOnly : public ReplayEvents, public ReplayReporter {
  EventSet Supplied() const override {
    return EventSet().Add(ReplayEvent::kLogBegin).Add(ReplayEvent::kLogEnd);
  }
  void Report(const ReplayMessage& message) override {
    if (message.text.empty()) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exactly size + 1 bytes, so a sanitizer sees any read past the terminating zero.
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
  (void)replayer.Replay(text.get(), info, players, logLevel, logLevel);
  (void)DecodePlayerName(std::string_view(text.get(), size));
  return 0;
}

#ifdef ZUVELO_TEST_DATA_DIR
#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_bytes.h"

TEST(ReplayFuzzCorpus, EveryCorpusFileRunsCleanly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(ZUVELO_TEST_DATA_DIR) / "replay" / "fuzz")) {
    const std::string bytes = zuvelo::testing::ReadBytes(entry.path());
    SCOPED_TRACE(entry.path().filename().string());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++files;
  }
  EXPECT_GT(files, 10);
}
#endif
