// ReplayLog: plays one game log from its first element to its last, keeping the four
// players' hands and scores current and raising an event for every step of the game.
//
// Where the format leaves the choice to us:
// - A call, riichi or win whose "who" is outside 0..3 (never written by the service; -1 before
//   the first move) stops the replay with "INVALID WHO who=%d" and the file name, like the
//   other INVALID messages: no fifth seat is ever touched.
// - An AGARI "ten" list of fewer than three values passes 0 for each missing value; nothing is
//   read past the list's end.
// - The failure result after a message is kReplayFault (0x80004005).
#pragma once

#include <cstdint>
#include <vector>

#include "replay/log_scanner.h"
#include "replay/replay_events.h"
#include "replay/replay_types.h"

namespace zuvelo {

// Holds the lists a replay fills, so replaying log after log allocates nothing once they have
// grown to a log's needs. One replayer serves one thread.
class LogReplayer {
 public:
  LogReplayer();

  // text: the whole log, zero-terminated. Returns kReplayOk when the log was replayed to its
  // end or skipped as incomplete, kReplayNotALog, the first non-zero event result, or
  // kReplayFault after the reporter was handed the message that stopped the replay.
  int Replay(const char* text, const LogInfo& info, Players& players, ReplayEvents& events,
             ReplayReporter& reporter);

 private:
  LogAttributes attrs_;
  std::vector<double> owari_;
  std::vector<std::int32_t> scTruncated_;
};

// One replay with its own lists; LogReplayer is the choice for many logs.
int ReplayLog(const char* text, const LogInfo& info, Players& players, ReplayEvents& events,
              ReplayReporter& reporter);

}  // namespace zuvelo
