// Command-line parsing and the help text of logana-run.
#include "runner_options.h"

#include <string_view>

namespace zuvelo::run {
namespace {

// Options that take a value, and where the value goes.
std::string* ValueSlot(RunnerOptions& options, std::string_view name) {
  if (name == "--work") return &options.work;
  if (name == "--logs") return &options.logs;
  if (name == "--home") return &options.home;
  return nullptr;
}

bool ValidHome(const std::string& home) {
  return home.rfind("http://", 0) == 0 && home.size() > 7 && home.back() == '/';
}

}  // namespace

ParsedOptions ParseRunnerOptions(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  RunnerOptions& options = parsed.options;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return parsed;
    }
    if (arg == "--quiet") {
      options.quiet = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) break;
    std::string* slot = ValueSlot(options, arg);
    if (slot == nullptr) {
      parsed.error = "unknown option " + arg;
      return parsed;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      parsed.error = arg + " needs a value";
      return parsed;
    }
    *slot = args[++i];
  }
  if (!options.home.empty() && !ValidHome(options.home)) {
    parsed.error = "--home must look like http://host[:port]/";
    return parsed;
  }
  if (i >= args.size()) {
    parsed.error = "no script given";
    return parsed;
  }
  options.script = args[i];
  options.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  return parsed;
}

const char* UsageText() {
  return "usage: logana-run [options] SCRIPT [ARGUMENTS...]\n"
         "\n"
         "Runs a JScript analysis script the way an analysis page runs. The script sees\n"
         "`external` as a page sees window.external (mjCommand(\"CREATEINSTANCE::LOGANA1.0\")\n"
         "gives the log analyzer) and `host` for output:\n"
         "  host.print(text)            writes text and a line end to standard output\n"
         "  host.writeFile(path, text)  writes text as UTF-8 (relative to the working folder);\n"
         "                              true when written\n"
         "  host.exitCode               read/write; the program's exit code when all went well\n"
         "  host.argCount, host.arg(i)  the ARGUMENTS after SCRIPT\n"
         "The run lasts until the script's analyses have ended.\n"
         "\n"
         "options:\n"
         "  --work DIR   working folder, holding \"config.ini\" and the cache \"00.dat\"; made if\n"
         "               missing (default: the current folder)\n"
         "  --logs DIR   log folder, holding the subfolder \"log\"; stored as PATH of section LOG\n"
         "               in the working folder's config.ini (default: what config.ini says)\n"
         "  --home URL   the service's home address for log downloads, http://host[:port]/\n"
         "  --quiet      no progress line\n"
         "  --help       this text\n"
         "  --           ends the options\n"
         "\n"
         "Status texts of the analyzer become a progress line on standard error; message boxes\n"
         "are printed to standard error and end the run.\n"
         "\n"
         "exit codes (the first that applies):\n"
         "  3  a message box was shown\n"
         "  4  an analysis ended with an error status (ERROR(n) ...)\n"
         "  1  the script failed: a syntax or run-time error\n"
         "  2  bad command line, unreadable script or unusable working folder\n"
         "  0  done (the script's host.exitCode when it set one)\n";
}

}  // namespace zuvelo::run
