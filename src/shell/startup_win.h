// Start-up: the working folder and the mode, the platform services, the main window and the
// loop. The working folder is the user's local application data plus "Q-ORB\zuvelo\130"; it
// becomes current so that "./config.ini" and the cache file resolve there.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zuvelo {

inline constexpr const char* kAnalyzerProgramName = "logana";

// Makes each level below the local application-data folder (failures, such as an existing
// folder, are ignored) and returns the path. Empty when that folder cannot be read.
[[nodiscard]] std::string MakeWorkingFolder();

// The file name of a program path without its folder and extension (as _splitpath cuts it).
[[nodiscard]] std::string_view ProgramName(std::string_view program_path);

// Analyzer-only mode needs both: the program started with the working folder already current
// (compared byte for byte), and its file named "logana" (case matters).
[[nodiscard]] bool IsAnalyzerOnlyStart(std::string_view current_folder,
                                       std::string_view working_folder,
                                       std::string_view program_path);

// The whole run, from the working folder to the end of the loop. The exit code is the quit
// message's, or 1 when start-up ends early.
int RunZuvelo(HINSTANCE instance, int show);

}  // namespace zuvelo
