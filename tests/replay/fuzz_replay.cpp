// libFuzzer entry over the scanner and the replay: any bytes as a log text, replayed with every
// event (through mjlog-dump's writer, which reads every seat at every event) and with only the
// log-level events. Must never crash, trip a sanitizer or read past the terminating zero.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "mjlog_dump/json_dump.h"
#include "replay/log_header.h"
#include "replay/replay_log.h"

namespace {

class LogLevelOnly : public zuvelo::ReplayEvents {
 public:
  zuvelo::EventSet Supplied() const override {
    return zuvelo::EventSet().Add(zuvelo::ReplayEvent::kLogBegin).Add(zuvelo::ReplayEvent::kLogEnd);
  }
};

class Silent : public zuvelo::ReplayReporter {
 public:
  void Report(const zuvelo::ReplayMessage& message) override {
    if (message.text.empty()) __builtin_trap();  // every stop has something to say
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exactly size + 1 bytes, so the sanitizer sees any read past the terminating zero.
  const std::unique_ptr<char[]> text(new char[size + 1]);
  std::memcpy(text.get(), data, size);
  text[size] = '\0';

  static zuvelo::LogReplayer replayer;
  zuvelo::LogInfo info;
  info.name = u"2010010100gm-0009-0000-00000000&tw=0";
  std::string out;
  zuvelo::dump::DumpEvents(replayer, text.get(), info, out);

  zuvelo::Players players;
  LogLevelOnly logLevel;
  Silent silent;
  (void)replayer.Replay(text.get(), info, players, logLevel, silent);
  (void)zuvelo::DecodePlayerName(std::string_view(text.get(), size));
  return 0;
}
