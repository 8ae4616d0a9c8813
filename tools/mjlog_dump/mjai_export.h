// The mjai event stream of a game log, as the open mahjong AIs read it: one JSON object per
// line and per game event, made from the replay's own events and hands.
#pragma once

#include <string>

#include "replay/replay_log.h"

namespace zuvelo::mjai {

// Why a log has no mjai stream.
inline constexpr std::string_view kThreePlayers = "three players";

struct ExportResult {
  bool ok = false;
  std::string reason;  // when not ok: kThreePlayers, the replay's message, or what broke
};

// Replays the log and appends its stream to out. A log without a stream leaves out as it was.
// info.gameType decides the red fives (bit 0x02 set: none); its name goes into messages.
ExportResult ExportLog(LogReplayer& replayer, const char* text, const LogInfo& info,
                       std::string& out);

}  // namespace zuvelo::mjai
