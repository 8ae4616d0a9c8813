// The command line of logana-run, parsed without touching the system.
#pragma once

#include <string>
#include <vector>

namespace zuvelo::run {

struct RunnerOptions {
  std::string work;               // working folder (config.ini, 00.dat); empty: the current folder
  std::string logs;               // log folder (the one holding "log"); empty: the settings' own
  std::string home;               // the service's home address; empty: the built-in one
  std::string script;             // the analysis script
  std::vector<std::string> args;  // handed to the script
  bool help = false;
  bool quiet = false;  // no progress line
};

struct ParsedOptions {
  RunnerOptions options;
  std::string error;  // empty when the command line is usable
};

// `args` without the program name. Options come before the script; everything after the
// script (or after "--") belongs to the script.
[[nodiscard]] ParsedOptions ParseRunnerOptions(const std::vector<std::string>& args);

[[nodiscard]] const char* UsageText();

}  // namespace zuvelo::run
