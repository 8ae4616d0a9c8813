// logana-run as a user runs it: options and exit codes, and the example scripts' figures
// against the generator's own record of the games it played.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "mjlog_gen/mjlog_gen.h"

namespace {

namespace fs = std::filesystem;

// Build paths are host paths; Wine sees the host's root as drive Z.
std::string WinePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.rfind('\\', 0) == 0) path.insert(0, "Z:");
  return path;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Result {
  DWORD code = 0;
  std::string out, err;
};

class Folder {
 public:
  Folder() {
    std::ostringstream name;
    name << "logana_run_" << ::GetCurrentProcessId() << "_" << next_++;
    path_ = fs::temp_directory_path() / name.str();
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  static inline int next_ = 0;
  fs::path path_;
};

HANDLE Inheritable(const fs::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A new name for every run's files: under Wine a process that has exited may still hold the
// handles it inherited for a while (its console host ends later), so a name used before
// cannot be truncated and would hand back the previous run's output.
fs::path Fresh(const fs::path& folder, const char* stem, const char* extension) {
  static int next = 0;
  return folder / (stem + std::to_string(next++) + extension);
}

// Runs logana-run with the arguments; output goes through files in `scratch`.
Result RunTool(const fs::path& scratch, const std::vector<std::string>& args) {
  std::string line(1, '"');
  line += WinePath(LOGANA_RUN_EXE);
  line += '"';
  for (const std::string& arg : args) {
    line += " \"";
    line += arg;
    line += '"';
  }
  const fs::path out_path = Fresh(scratch, "stdout", ".txt");
  const fs::path err_path = Fresh(scratch, "stderr", ".txt");
  HANDLE out = Inheritable(out_path);
  HANDLE err = Inheritable(err_path);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = out;
  start.hStdError = err;
  start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  Result result;
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
      ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                       &process)) {
    ::WaitForSingleObject(process.hProcess, 120000);
    ::GetExitCodeProcess(process.hProcess, &result.code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  } else {
    result.code = 0xDEAD;
  }
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

std::string Example(const char* name) { return WinePath(std::string(EXAMPLES_DIR) + "/" + name); }

fs::path WriteScript(const fs::path& folder, const std::string& text) {
  const fs::path path = Fresh(folder, "script", ".js");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Generated games written plain (the reader takes non-gzip files unchanged) under logs/log.
std::vector<zuvelo::gen::GeneratedGame> WriteGames(const fs::path& logs, int first, int count) {
  std::vector<zuvelo::gen::GeneratedGame> games;
  for (int seed = first; seed < first + count; ++seed) {
    games.push_back(zuvelo::gen::GenerateGame(static_cast<std::uint64_t>(seed)));
    const fs::path path = logs / zuvelo::gen::LogRelativePath(games.back().name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << games.back().text;
  }
  return games;
}

std::string Utf8(const std::u16string& text) {
  std::wstring wide(text.begin(), text.end());
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), bytes,
                        nullptr, nullptr);
  return out;
}

// Figures per player name, as the report's TSV gives them (name first).
using Table = std::map<std::string, std::vector<long>>;

Table ReadTsv(const std::string& text) {
  Table table;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, field;
    std::getline(fields, name, '\t');
    while (std::getline(fields, field, '\t')) table[name].push_back(std::stol(field));
  }
  return table;
}

// Placement from the final scores: higher score first, the earlier seat first on a tie.
int Placement(const zuvelo::gen::GeneratedGame& game, int seat) {
  const std::size_t stride = game.owari.size() / 4;
  int place = 1;
  for (int other = 0; other < game.players; ++other) {
    const double mine = game.owari[seat * stride], theirs = game.owari[other * stride];
    if (other != seat && (theirs > mine || (theirs == mine && other < seat))) ++place;
  }
  return place;
}

// The report's counters in its TSV order, or the caching script's.
Table Expected(const std::vector<zuvelo::gen::GeneratedGame>& games, bool report) {
  Table table;
  for (const auto& game : games) {
    int draws = 0;
    for (const std::string& type : game.ryuukyokuTypes) draws += type.empty() || type == "nm";
    for (int seat = 0; seat < game.players; ++seat) {
      std::vector<long>& row = table[Utf8(game.names[seat])];
      const std::vector<long> add =
          report ? std::vector<long>{1,
                                     Placement(game, seat),
                                     game.events[1],
                                     game.reaches[seat],
                                     game.tsumoWins[seat],
                                     game.ronWins[seat],
                                     game.dealIns[seat],
                                     game.calledRounds[seat],
                                     game.dealSyantenSum[seat],
                                     game.readyRounds[seat],
                                     game.readyFuritenRounds[seat],
                                     draws,
                                     game.drawsReady[seat]}
                 : std::vector<long>{1, game.reaches[seat], game.tsumoWins[seat],
                                     game.ronWins[seat], game.dealIns[seat]};
      row.resize(add.size());
      for (std::size_t i = 0; i < add.size(); ++i) row[i] += add[i];
    }
  }
  return table;
}

TEST(LoganaRun, OptionsAndExitCodes) {
  Folder scratch;
  const std::string script =
      WinePath(WriteScript(scratch.path(),
                           "host.print(host.argCount + ':' + host.arg(0) + ':' + "
                           "host.arg(1) + ':' + host.arg(5)); host.exitCode = 6;")
                   .string());
  const std::string work = WinePath((scratch.path() / "work").string());
  struct Case {
    std::vector<std::string> args;
    DWORD code;
    const char* out;  // expected in standard output
    const char* err;  // expected in standard error
  };
  const Case cases[] = {
      {{"--help"}, 0, "exit codes (the first that applies):", ""},
      {{}, 2, "", "(see --help)"},
      {{"--bogus", script}, 2, "", "--bogus"},
      {{"--work"}, 2, "", "(see --help)"},
      {{"--home", "ftp://x/", script}, 2, "", "--home must look like http://host[:port]/"},
      {{WinePath((scratch.path() / "none.js").string())}, 2, "", "logana-run: cannot read"},
      {{"--logs", WinePath((scratch.path() / "nowhere").string()), script},
       2,
       "",
       "logana-run: no log folder"},
      {{"--work", work, script, "a", "-b"}, 6, "2:a:-b:\r\n", ""},
      {{"--work", work, "--home", "http://127.0.0.1:9/", "--", script, "--x"}, 6, "1:--x::", ""},
  };
  for (const Case& c : cases) {
    const Result result = RunTool(scratch.path(), c.args);
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(result.code, c.code);
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
}

TEST(LoganaRun, FailuresOfTheScriptAndTheAnalysis) {
  Folder scratch;
  const fs::path logs = scratch.path() / "logs";
  WriteGames(logs, 1, 3);
  const std::string work = WinePath((scratch.path() / "work").string());
  const std::string analyze =
      "var a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
      "var o = {Array: Array, OnEnumLog: function () { return true; }};";
  struct Case {
    std::string script;
    DWORD code;
    const char* err;
  };
  const Case cases[] = {
      {"var x = ;", 1, "script error at line 1"},
      {"var y = 1;\nundefinedFunction();", 1, "script error at line 2"},
      // a second analyze while the first runs: the analyzer's own message box
      {analyze + "var r1 = a.analyze(o); var r2 = a.analyze(o);", 3,
       "message box: THREAD IS NOT EMPTY"},
      // a replay callback that fails ends the run with its status text
      {analyze + "o.OnLogBegin = function () { return 1 / undefinedName; };"
                 "var r = a.analyze(o);",
       4, "ERROR(3) hr="},
      {analyze + "o.OnLogEnd = function (owari) { host.print('end ' + owari.length); };"
                 "var r = a.analyze(o);",
       0, "done"},
  };
  for (const Case& c : cases) {
    const std::string script = WinePath(WriteScript(scratch.path(), c.script).string());
    const Result result =
        RunTool(scratch.path(), {"--work", work, "--logs", WinePath(logs.string()), script});
    SCOPED_TRACE(c.script);
    EXPECT_EQ(result.code, c.code) << result.err;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
}

// Placeholders of the log folder come from the service at --home, gzip-compressed as the
// service keeps them: here the loopback test server of the analyzer's tests, which hands out
// what is put in its folder.
TEST(LoganaRun, PlaceholdersAreFetchedFromTheHomeAddress) {
  int port = 0;
  std::ifstream(fs::path(LOGANA_SERVER_DIR) / "logana_server.port") >> port;
  ASSERT_GT(port, 0) << "no test server: run through ctest";
  Folder scratch;
  const fs::path logs = scratch.path() / "logs";
  WriteGames(logs, 401, 2);
  const zuvelo::gen::GeneratedGame waiting = zuvelo::gen::GenerateGame(403);
  const fs::path placeholder = logs / zuvelo::gen::LogRelativePath(waiting.name);
  fs::create_directories(placeholder.parent_path());
  std::ofstream(placeholder, std::ios::binary).flush();
  const fs::path served = fs::path(LOGANA_SERVER_DIR) / "served_logs";
  fs::create_directories(served);
  const fs::path served_log = served / (waiting.name + ".mjlog");
  std::ofstream(served_log, std::ios::binary) << zuvelo::gen::Gzip(waiting.text);
  const std::string script =
      WinePath(WriteScript(scratch.path(),
                           "var n = 0, a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                           "a.analyze({Array: Array, OnEnumLog: function () { return true; },"
                           "  OnLogBegin: function () { n++; },"
                           "  OnAnalyzeEnd: function () { host.print('logs ' + n); }});")
                   .string());
  const Result result =
      RunTool(scratch.path(), {"--work", WinePath((scratch.path() / "work").string()), "--logs",
                               WinePath(logs.string()), "--home",
                               "http://127.0.0.1:" + std::to_string(port) + "/", script});
  EXPECT_EQ(result.code, 0u) << result.err;
  EXPECT_NE(result.out.find("logs 3"), std::string::npos) << result.out << result.err;
  EXPECT_TRUE(ReadFile(placeholder) == ReadFile(served_log)) << "the placeholder was not filled";
}

// Terminal columns of a UTF-8 line: East Asian wide and full-width characters take two.
std::size_t Columns(const std::string& line) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < line.size();) {
    const unsigned char lead = static_cast<unsigned char>(line[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + k < line.size(); ++k) c = c << 6 | (line[i + k] & 0x3F);
    i += length;
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
    columns += wide ? 2 : 1;
  }
  return columns;
}

// A second run takes every log's figures from the cache and must give the same report; a
// damaged cache value makes that one log be replayed again.
TEST(LoganaRun, PlayerReportMatchesTheGeneratedGames) {
  Folder scratch;
  const fs::path logs = scratch.path() / "logs";
  const auto games = WriteGames(logs, 101, 30);
  const fs::path html = scratch.path() / "report.html", tsv = scratch.path() / "report.tsv";
  const std::string work = WinePath((scratch.path() / "work").string());
  const char* const lines[] = {"logs analysed: 30, from the cache: 0",
                               "logs analysed: 0, from the cache: 30",
                               "logs analysed: 1, from the cache: 29"};
  for (const char* line : lines) {
    if (line == lines[2]) {
      const std::string damage =
          "var c = external.mjCommand('CREATEINSTANCE::LOGANA1.0').cache;"
          "c.set('" +
          games[7].name + "', 'report1|x\\t1', '');";
      ASSERT_EQ(RunTool(scratch.path(),
                        {"--work", work, WinePath(WriteScript(scratch.path(), damage).string())})
                    .code,
                0u);
    }
    const Result result =
        RunTool(scratch.path(),
                {"--work", work, "--logs", WinePath(logs.string()), Example("player_report.js"),
                 WinePath(html.string()), WinePath(tsv.string())});
    ASSERT_EQ(result.code, 0u) << result.err;
    EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
    EXPECT_EQ(ReadTsv(ReadFile(tsv)), Expected(games, true));
    // The table's rows line up in a terminal, whatever script the names are written in.
    const std::size_t at = result.out.find("player ");
    ASSERT_NE(at, std::string::npos) << result.out;
    std::istringstream table(result.out.substr(at));
    std::string row, header;
    std::getline(table, header);
    while (std::getline(table, row) && row.rfind("HTML report:", 0) != 0) {
      EXPECT_EQ(Columns(row), Columns(header)) << row;
    }
  }
  const std::string page = ReadFile(html);
  EXPECT_NE(page.find("<svg"), std::string::npos);
  EXPECT_EQ(page.find("http://", page.find("<body")), page.find("http://www.w3.org/2000/svg"));
}

TEST(LoganaRun, CachingScriptReplaysOnlyNewLogs) {
  Folder scratch;
  const fs::path logs = scratch.path() / "logs";
  auto games = WriteGames(logs, 201, 12);
  const std::string work = WinePath((scratch.path() / "work").string());
  const fs::path tsv = scratch.path() / "counts.tsv";
  auto run = [&] {
    return RunTool(scratch.path(), {"--quiet", "--work", work, "--logs", WinePath(logs.string()),
                                    Example("cached_counts.js"), WinePath(tsv.string())});
  };
  struct Step {
    int add;  // games written before the run
    const char* line;
  };
  const Step steps[] = {{0, "logs analysed: 12, from the cache: 0"},
                        {0, "logs analysed: 0, from the cache: 12"},
                        {5, "logs analysed: 5, from the cache: 12"}};
  for (const Step& step : steps) {
    if (step.add > 0) {
      auto more = WriteGames(logs, 301, step.add);
      games.insert(games.end(), more.begin(), more.end());
    }
    const Result result = run();
    ASSERT_EQ(result.code, 0u) << result.err;
    EXPECT_NE(result.out.find(step.line), std::string::npos) << result.out;
    EXPECT_EQ(ReadTsv(ReadFile(tsv)), Expected(games, false));
  }
}

}  // namespace
