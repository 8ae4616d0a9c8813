// mjlog-dump's output: one JSON object per replay event with the four seats as the hand
// objects show them, a closing result line, or one summary line per log.
#pragma once

#include <string>

#include "replay/replay_log.h"

namespace zuvelo::dump {

// Replays the log and appends one line per event and the result line to out. Returns the
// replay's result.
int DumpEvents(LogReplayer& replayer, const char* text, const LogInfo& info, std::string& out);

// Replays the log and appends its summary line; file is what the line names the log by.
int DumpSummary(LogReplayer& replayer, const char* text, const LogInfo& info,
                const std::string& file, std::string& out);

// JSON text of a string: UTF-8 as it stands, control characters and bytes that are not UTF-8
// escaped, so any message a log can provoke prints as valid JSON.
void AppendJsonString(std::string& out, std::string_view utf8);
void AppendJsonString(std::string& out, const std::u16string& utf16);

}  // namespace zuvelo::dump
