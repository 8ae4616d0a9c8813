// mjlog-dump's output: one JSON object per replay event with the four seats as the hand
// objects show them, a closing result line, or one summary line per log.
#pragma once

#include <string>

#include "mjlog_dump/json_text.h"
#include "replay/replay_log.h"

namespace zuvelo::dump {

// Replays the log and appends one line per event and the result line to out. Returns the
// replay's result.
int DumpEvents(LogReplayer& replayer, const char* text, const LogInfo& info, std::string& out);

// Replays the log and appends its summary line; file is what the line names the log by.
int DumpSummary(LogReplayer& replayer, const char* text, const LogInfo& info,
                const std::string& file, std::string& out);

}  // namespace zuvelo::dump
