// logana-run as a user runs it, in a temporary current folder: options, failures and exit
// codes, and the example scripts' figures against the generator's record of its games.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "mjlog_gen/mjlog_gen.h"
#include "shell/temp_working_folder.h"

namespace {

namespace fs = std::filesystem;
namespace gen = zuvelo::gen;
using Games = std::vector<gen::GeneratedGame>;

// Host paths are on Wine's drive Z; other names are the current folder's.
std::string WinePath(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.rfind('\\', 0) != 0) return fs::absolute(path).string();
  path.insert(0, "Z:");
  return path;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A new name for every run's files: under Wine an exited process may hold its inherited
// handles a while, so a used file could not be truncated and would give the last run's output.
std::string Fresh(const char* stem) {
  static int next = 0;
  return stem + std::to_string(next++);
}

std::string Script(const std::string& text) {
  const std::string name = Fresh("script") + ".js";
  std::ofstream(name, std::ios::binary) << text;
  return name;
}

struct Result {
  int code;
  std::string out, err;
};

// Runs logana-run from a command prompt in the current folder, its output sent to files.
Result RunTool(const std::vector<std::string>& args) {
  const std::string out = Fresh("stdout"), err = Fresh("stderr");
  std::string line = "\"\"" + WinePath(LOGANA_RUN_EXE) + '"';
  for (const std::string& arg : args) line += " \"" + arg + '"';
  const int code = std::system((line + " >" + out + " 2>" + err + '"').c_str());
  return {code, ReadFile(out), ReadFile(err)};
}

std::string Example(const char* name) { return WinePath(std::string(EXAMPLES_DIR) + "/" + name); }

// Generated games written plain (the reader takes non-gzip files unchanged) under logs/log.
Games WriteGames(int first, int count) {
  Games games;
  for (int seed = first; seed < first + count; ++seed) {
    games.push_back(gen::GenerateGame(static_cast<std::uint64_t>(seed)));
    const fs::path path = fs::path("logs") / gen::LogRelativePath(games.back().name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << games.back().text;
  }
  return games;
}

// Exit codes: 2 for the command line, 1 for script errors, 3 after a message box, 4 after an
// analysis error, else the script's own.
TEST(LoganaRun, ExitCodesAndMessages) {
  const zuvelo::testing::TempWorkingFolder folder;
  WriteGames(1, 3);
  const std::string script = Script(
      "host.print(host.argCount + ':' + host.arg(0) + ':' + host.arg(1) + ':' + host.arg(5));"
      "host.exitCode = 6;");
  auto run = [](const std::string& text) {
    return std::vector<std::string>{"--work", "work", "--logs", "logs", Script(text)};
  };
  const std::string analyze =
      "var a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
      "var o = {Array: Array, OnEnumLog: function () { return true; }};";
  // Arguments, exit code, and texts expected within standard output and standard error.
  const std::tuple<std::vector<std::string>, int, const char*, const char*> cases[] = {
      {{"--help"}, 0, "exit codes (the first that applies):", ""},
      {{}, 2, "", "(see --help)"},
      {{"--bogus", script}, 2, "", "--bogus"},
      {{"--home", "ftp://x/", script}, 2, "", "--home must look like http://host[:port]/"},
      {{"none.js"}, 2, "", "logana-run: cannot read"},
      {{"--logs", "nowhere", script}, 2, "", "logana-run: no log folder"},
      {{"--work", "work", script, "a", "-b"}, 6, "2:a:-b:\r\n", ""},
      {{"--work", "work", "--home", "http://127.0.0.1:9/", "--", script, "--x"}, 6, "1:--x::", ""},
      {run("var x = ;"), 1, "", "script error at line 1"},
      {run("var y = 1;\nundefinedFunction();"), 1, "", "script error at line 2"},
      // a second analyze while the first runs: the analyzer's own message box
      {run(analyze + "var r1 = a.analyze(o); var r2 = a.analyze(o);"), 3, "",
       "message box: THREAD IS NOT EMPTY"},
      // a replay callback that fails ends the run with its status text
      {run(analyze + "o.OnLogBegin = function () { return 1 / undefinedName; };"
                     "var r = a.analyze(o);"),
       4, "", "ERROR(3) hr="},
      {run(analyze + "o.OnLogEnd = function (owari) { host.print('end ' + owari.length); };"
                     "var r = a.analyze(o);"),
       0, "end ", "done"},
  };
  for (const auto& [args, code, out, err] : cases) {
    const Result result = RunTool(args);
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_EQ(result.code, code);
    EXPECT_NE(result.out.find(out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(err), std::string::npos) << result.err;
  }
}

// A run that does not end within its wind-down after a box is given up on: the process ends
// at once, but the cache the script changed is saved first.
TEST(LoganaRun, GivingUpOnARunStillSavesTheCache) {
  const zuvelo::testing::TempWorkingFolder folder;
  WriteGames(1, 1);
  const Result gave_up =
      RunTool({"--work", "work", "--logs", "logs",
               Script("var a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                      "a.cache.set('kept', 'yes');"
                      "var o = {OnEnumLog: function () {"  // outlasts the wind-down
                      "  for (var t = new Date().getTime(); new Date().getTime() - t < 7000;) {}"
                      "}};"
                      "a.analyze(o);"
                      "try { a.analyze(o); } catch (e) {}")});
  EXPECT_EQ(gave_up.code, 3);
  EXPECT_NE(gave_up.err.find("giving up"), std::string::npos) << gave_up.err;
  const Result read = RunTool(
      {"--work", "work",
       Script("host.print(external.mjCommand('CREATEINSTANCE::LOGANA1.0').cache.get('kept'));")});
  EXPECT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(read.out, "yes\r\n");
}

// Figures per player name, as the scripts' TSV gives them (a header, then the name first).
using Table = std::map<std::string, std::vector<long>>;

Table ReadTsv(const std::string& text) {
  Table table;
  std::istringstream lines(text);
  std::string line, name, field;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::getline(fields, name, '\t');
    while (std::getline(fields, field, '\t')) table[name].push_back(std::stol(field));
  }
  return table;
}

// Placement from the final scores: higher score first, the earlier seat first on a tie.
long Placement(const gen::GeneratedGame& game, int seat) {
  const std::size_t stride = game.owari.size() / 4;
  long place = 1;
  for (int other = 0; other < game.players; ++other) {
    const double mine = game.owari[seat * stride], theirs = game.owari[other * stride];
    place += other != seat && (theirs > mine || (theirs == mine && other < seat));
  }
  return place;
}

// The player report's counters in its TSV order.
Table Expected(const Games& games) {
  Table table;
  for (const auto& g : games) {
    long draws = 0;
    for (const std::string& type : g.ryuukyokuTypes) draws += type.empty() || type == "nm";
    for (int s = 0; s < g.players; ++s) {
      std::vector<long> add{1, Placement(g, s), g.events[1]};
      for (const auto* per_seat :
           {&g.reaches, &g.tsumoWins, &g.ronWins, &g.dealIns, &g.calledRounds, &g.dealSyantenSum,
            &g.readyRounds, &g.readyFuritenRounds}) {
        add.push_back((*per_seat)[s]);
      }
      add.insert(add.end(), {draws, g.drawsReady[s]});
      const std::wstring wide(g.names[s].begin(), g.names[s].end());
      char name[256] = {};
      ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, name, sizeof name, nullptr, nullptr);
      std::vector<long>& row = table[name];
      row.resize(add.size());
      for (std::size_t i = 0; i < add.size(); ++i) row[i] += add[i];
    }
  }
  return table;
}

// Terminal columns of a UTF-8 line: three-byte characters (the generator's names') are wide.
std::size_t Columns(const std::string& line) {
  std::size_t columns = 0;
  for (const unsigned char c : line) columns += c >= 0xE0 ? 2 : (c < 0x80 || c >= 0xC0);
  return columns;
}

// Both examples keep each log's figures in their working folder's cache, so later runs replay
// only new logs and, for the report, a damaged value. A placeholder is filled from --home (the
// analyzer tests' loopback server), gzip-compressed as the service keeps logs.
TEST(LoganaRun, ExampleScriptsMatchTheGeneratedGamesAndReplayOnlyWhatTheCacheLacks) {
  const zuvelo::testing::TempWorkingFolder folder;
  int port = 0;
  std::ifstream(fs::path(LOGANA_SERVER_DIR) / "logana_server.port") >> port;
  ASSERT_GT(port, 0) << "no test server: run through ctest";
  Games games = WriteGames(101, 30);
  games.push_back(gen::GenerateGame(131));
  const fs::path placeholder = fs::path("logs") / gen::LogRelativePath(games.back().name);
  fs::create_directories(placeholder.parent_path());
  std::ofstream(placeholder, std::ios::binary).flush();
  const fs::path served =
      fs::path(LOGANA_SERVER_DIR) / "served_logs" / (games.back().name + ".mjlog");
  fs::create_directories(served.parent_path());
  std::ofstream(served, std::ios::binary) << gen::Gzip(games.back().text);
  const std::string damage = Script("external.mjCommand('CREATEINSTANCE::LOGANA1.0').cache.set('" +
                                    games[7].name + "', 'report1|x\\t1', '');");
  const char* const reported[] = {"31, from the cache: 0", "0, from the cache: 31",
                                  "6, from the cache: 30"};
  const char* const counted[] = {"31, from the cache: 0", "0, from the cache: 31",
                                 "5, from the cache: 31"};
  for (int run = 0; run < 3; ++run) {
    if (run == 2) {
      ASSERT_EQ(RunTool({"--work", "work", damage}).code, 0);
      const Games more = WriteGames(301, 5);
      games.insert(games.end(), more.begin(), more.end());
    }
    const Table expected = Expected(games);
    Result result =
        RunTool({"--work", "work", "--logs", "logs", "--home",
                 "http://127.0.0.1:" + std::to_string(port) + "/", Example("player_report.js"),
                 WinePath("report.html"), WinePath("report.tsv")});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find(std::string("logs analysed: ") + reported[run]), std::string::npos)
        << result.out;
    EXPECT_EQ(ReadTsv(ReadFile("report.tsv")), expected);
    // The table's rows line up in a terminal, whatever script the names are written in.
    const std::size_t at = result.out.find("player ");
    ASSERT_NE(at, std::string::npos) << result.out;
    std::istringstream table(result.out.substr(at));
    std::string row, header;
    std::getline(table, header);
    while (std::getline(table, row) && row.rfind("HTML report:", 0) != 0) {
      EXPECT_EQ(Columns(row), Columns(header)) << row;
    }

    result = RunTool({"--quiet", "--work", "work2", "--logs", "logs", Example("cached_counts.js"),
                      WinePath("counts.tsv")});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find(std::string("logs analysed: ") + counted[run]), std::string::npos)
        << result.out;
    Table counts;  // games, riichi, wins by self-draw and by discard, deal-ins
    for (const auto& [name, figures] : expected) {
      counts[name] = {figures[0], figures[3], figures[4], figures[5], figures[6]};
    }
    EXPECT_EQ(ReadTsv(ReadFile("counts.tsv")), counts);
  }
  EXPECT_TRUE(ReadFile(placeholder) == ReadFile(served)) << "the placeholder was not filled";
  const std::string page = ReadFile("report.html");
  EXPECT_NE(page.find("<svg"), std::string::npos);
  EXPECT_EQ(page.find("http://", page.find("<body")), page.find("http://www.w3.org/2000/svg"));
}

}  // namespace
