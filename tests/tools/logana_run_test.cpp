#include <gtest/gtest.h>
#include <windows.h>

#include <msxml2.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "base/com_apartment_win.h"
#include "base/com_ptr_win.h"
#include "mjlog_gen/mjlog_gen.h"
#include "shell/temp_working_folder.h"
#include "support/file_bytes.h"

namespace {

namespace fs = std::filesystem;
namespace gen = zuvelo::gen;
using zuvelo::testing::ReadBytes;
using zuvelo::testing::WriteBytes;
using Games = std::vector<gen::GeneratedGame>;

// Host paths are on Wine's drive Z.
std::string WinePath(std::string path) {
  std::ranges::replace(path, '/', '\\');
  return path.starts_with('\\') ? "Z:" + path : fs::absolute(path).string();
}

// Under Wine an exited process may hold its inherited handles a while: never reuse a file.
std::string Fresh(const char* stem) {
  static int next = 0;
  return stem + std::to_string(next++);
}

std::string Script(const std::string& text) {
  const std::string name = Fresh("script") + ".js";
  WriteBytes(name, text);
  return name;
}

struct Result {
  int code;
  std::string out, err;
};

Result RunTool(const std::vector<std::string>& args) {
  const std::string out = Fresh("stdout"), err = Fresh("stderr");
  std::string line = "\"\"" + WinePath(LOGANA_RUN_EXE) + '"';
  for (const std::string& arg : args) line += " \"" + arg + '"';
  const int code = std::system((line + " >" + out + " 2>" + err + '"').c_str());
  return {code, ReadBytes(out), ReadBytes(err)};
}

Games WriteGames(int first, int count) {
  Games games;
  for (int seed = first; seed < first + count; ++seed) {
    games.push_back(gen::GenerateGame(static_cast<std::uint64_t>(seed)));
    WriteBytes(fs::path("logs") / gen::LogRelativePath(games.back().name), games.back().text);
  }
  return games;
}

TEST(LoganaRun, ExitCodesAndMessagesAndGivingUpStillSavesTheCache) {
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
  // clang-format off
  const std::tuple<std::vector<std::string>, int, const char*, const char*> cases[] = {
      {{"--help"}, 0, "exit codes (the first that applies):", ""}, {{}, 2, "", "(see --help)"},
      {{"--bogus", script}, 2, "", "--bogus"}, {{"none.js"}, 2, "", "logana-run: cannot read"},
      {{"--home", "ftp://x/", script}, 2, "", "--home must look like http://host[:port]/"},
      {{"--logs", "nowhere", script}, 2, "", "logana-run: no log folder"},
      {{"--work", "work", script, "a", "-b"}, 6, "2:a:-b:\r\n", ""},
      {{"--work", "work", "--home", "http://127.0.0.1:9/", "--", script, "--x"}, 6, "1:--x::", ""},
      {run("var x = ;"), 1, "", "script error at line 1"},
      {run("var y = 1;\nundefinedFunction();"), 1, "", "script error at line 2"},
      {run(analyze + "var r1 = a.analyze(o); var r2 = a.analyze(o);"), 3, "",
       "message box: THREAD IS NOT EMPTY"},
      {run(analyze + "o.OnLogBegin = function () { return 1 / undefinedName; }; a.analyze(o);"), 4,
       "", "ERROR(3) hr="},
      {run(analyze + "a.cache.set('kept', 'yes'); o.OnEnumLog = function () {"
                     "  for (var t = new Date().getTime(); new Date().getTime() - t < 7000;) {}"
                     "}; a.analyze(o); try { a.analyze(o); } catch (e) {}"),
       3, "", "giving up"},  // the enumeration outlasts the wind-down
      {{"--work", "work", Script(analyze + "host.print(a.cache.get('kept'));")}, 0, "yes\r\n", ""}};
  // clang-format on
  for (const auto& [args, code, out, err] : cases) {
    const Result r = RunTool(args);
    EXPECT_TRUE(r.code == code && r.out.find(out) != r.out.npos && r.err.find(err) != r.err.npos)
        << ::testing::PrintToString(args) << " exit " << r.code << "\n"
        << r.out << r.err;
  }
}

using Rows = std::map<std::string, std::vector<std::string>>;

Rows ReadTsv(const std::string& text, int keys) {
  Rows rows;
  std::istringstream lines(text);
  std::string line, field;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string key;
    for (int k = 0; k < keys && std::getline(fields, field, '\t'); ++k) key += field + '\t';
    for (auto& row = rows[key]; std::getline(fields, field, '\t');) row.push_back(field);
  }
  return rows;
}

std::string KindLabel(int type) {
  return std::string(type & gen::kGameTypeThreePlayers ? "3-player" : "4-player") +
         (type & gen::kGameTypeEastSouth ? ", east-south" : ", east-only") +
         (type & gen::kGameTypeNoRedFives ? ", no red fives" : ", red fives") +
         (type & gen::kGameTypeFast ? ", fast" : ", normal");
}

struct Record {
  long games = 0, placeSum = 0, score = 0, busts = 0, rounds = 0, tsumo = 0, ron = 0, winPoints = 0,
       dealIns = 0, dealInPoints = 0, reaches = 0, riichiWins = 0, called = 0, draws = 0,
       drawsReady = 0, syanten = 0, ready = 0, readyFuriten = 0;
  std::array<long, 4> places{};
  std::array<long, gen::kYakuNumbers> yaku{};
  std::map<std::string, std::array<long, 5>> months;  // games, placings, rounds, wins, deal-ins

  void Add(const gen::GeneratedGame& g, int s) {
    long exhaustive = 0;
    for (const std::string& type : g.ryuukyokuTypes) exhaustive += type.empty() || type == "nm";
    ++games, ++places[g.placements[s] - 1], placeSum += g.placements[s];
    score += g.finalScores[s], busts += g.finalScores[s] < 0, rounds += g.events[1];
    tsumo += g.tsumoWins[s], ron += g.ronWins[s], winPoints += g.winPoints[s];
    dealIns += g.dealIns[s], dealInPoints += g.dealInPoints[s];
    reaches += g.reaches[s], riichiWins += g.riichiWins[s], called += g.calledRounds[s];
    draws += exhaustive, drawsReady += g.drawsReady[s], syanten += g.dealSyantenSum[s];
    ready += g.readyRounds[s], readyFuriten += g.readyFuritenRounds[s];
    for (int id = 0; id < gen::kYakuNumbers; ++id) yaku[id] += g.yakuCounts[s][id];
    std::array<long, 5>& m = months[g.name.substr(0, 6)];
    ++m[0], m[1] += g.placements[s], m[2] += g.events[1], m[4] += g.dealIns[s];
    m[3] += g.tsumoWins[s] + g.ronWins[s];
  }
};

std::string Of(long n, long d) { return std::to_string(n) + '/' + std::to_string(d); }

Rows ExpectedReport(const Games& games, const std::string& chosen) {
  std::map<std::string, Record> records;
  for (const auto& g : games)
    for (int s = 0; s < g.players; ++s)
      records[zuvelo::Utf16ToUtf8(g.names[s]) + '\t' + KindLabel(g.gameType) + '\t'].Add(g, s);
  Rows rows;
  for (const auto& [key, r] : records) {
    const long wins = r.tsumo + r.ron;
    rows[key + "all\t"] = {
        std::to_string(r.games),   Of(r.places[0], r.games),    Of(r.places[1], r.games),
        Of(r.places[2], r.games),  Of(r.places[3], r.games),    Of(r.placeSum, r.games),
        Of(r.score, r.games),      Of(r.busts, r.games),        std::to_string(r.rounds),
        Of(wins, r.rounds),        Of(r.tsumo, r.rounds),       Of(r.ron, r.rounds),
        Of(r.winPoints, wins),     Of(r.dealIns, r.rounds),     Of(r.dealInPoints, r.dealIns),
        Of(r.reaches, r.rounds),   Of(r.riichiWins, r.reaches), Of(r.called, r.rounds),
        Of(r.drawsReady, r.draws), Of(r.syanten, r.rounds),     Of(r.readyFuriten, r.ready)};
    std::vector<std::string>& yaku = rows[key + "yaku\t"];
    for (long n : r.yaku) yaku.push_back(Of(n, wins));
    if (key.rfind(chosen + '\t', 0) != 0) continue;
    for (const auto& [month, m] : r.months)
      rows[key + month + '\t'] = {std::to_string(m[0]), Of(m[1], m[0]), Of(m[3], m[2]),
                                  Of(m[4], m[2])};
  }
  return rows;
}

Rows ExpectedCounts(const Games& games) {
  std::map<std::string, Record> records;
  for (const auto& g : games)
    for (int s = 0; s < g.players; ++s) records[zuvelo::Utf16ToUtf8(g.names[s]) + '\t'].Add(g, s);
  Rows rows;
  for (const auto& [name, r] : records)
    for (long n : {r.games, r.reaches, r.tsumo, r.ron, r.dealIns})
      rows[name].push_back(std::to_string(n));
  return rows;
}

// Tables run from a "player" header to a blank line; three-byte characters take two columns.
void ExpectAlignedTables(const std::string& out) {
  std::istringstream lines(out);
  std::size_t header = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.ends_with('\r')) line.pop_back();
    std::size_t columns = 0;
    for (const unsigned char c : line) columns += c >= 0xE0 ? 2 : (c < 0x80 || c >= 0xC0);
    const bool isHeader = line.empty() || line.starts_with("player ");
    EXPECT_TRUE(isHeader || header == 0 || columns == header)
        << columns << " vs " << header << line;
    if (isHeader) header = columns;
  }
}

// MinGW lacks both identifiers.
bool WellFormedXml(const std::string& utf8) {
  static const CLSID kDomDocument30 = {
      0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
  static const IID kIXMLDOMDocument = {
      0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
  const zuvelo::ComApartment apartment;
  zuvelo::com_ptr<IXMLDOMDocument> document;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  return SUCCEEDED(::CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER,
                                      kIXMLDOMDocument, document.put_void())) &&
         SUCCEEDED(document->loadXML(
             zuvelo::make_bstr(zuvelo::AsWide(zuvelo::Utf8ToUtf16(utf8))).get(), &loaded)) &&
         loaded == VARIANT_TRUE;
}

void ExpectSelfContainedSvg(std::string page) {
  const std::string ns = "http://www.w3.org/2000/svg";
  ASSERT_NE(page.find("<svg"), std::string::npos);
  for (std::size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at)) {
    const std::size_t end = page.find("</svg>", at);
    EXPECT_TRUE(WellFormedXml(page.substr(at, end + 6 - at))) << page.substr(at, 300);
    at = end;
  }
  for (std::size_t at; (at = page.find(ns)) != std::string::npos;) page.erase(at, ns.size());
  EXPECT_EQ(page.find("http"), std::string::npos) << "an outside address";
  EXPECT_EQ(page.find("<script"), std::string::npos);
}

TEST(LoganaRun, ExampleScriptsMatchTheGeneratedGamesAndReplayOnlyWhatTheCacheLacks) {
  const zuvelo::testing::TempWorkingFolder folder;
  int port = 0;
  std::ifstream(fs::path(LOGANA_SERVER_DIR) / "logana_server.port") >> port;
  ASSERT_GT(port, 0) << "no test server: run through ctest";
  Games games = WriteGames(101, 31);
  WriteBytes(fs::path("logs") / gen::LogRelativePath(games.back().name), "");  // a placeholder
  WriteBytes(fs::path(LOGANA_SERVER_DIR) / "served_logs" / (games.back().name + ".mjlog"),
             gen::Gzip(games.back().text));
  const std::string home = "http://127.0.0.1:" + std::to_string(port) + "/",
                    report = WinePath(EXAMPLES_DIR "/player_report.js");
  // A name that passes a command line in any code page.
  const auto ascii = std::ranges::find_if(games, [](const auto& g) {
    return std::ranges::all_of(zuvelo::Utf16ToUtf8(g.names[0]),
                               [](char c) { return c > ' ' && c < 0x7F; });
  });
  ASSERT_NE(ascii, games.end());
  const std::string player = zuvelo::Utf16ToUtf8(ascii->names[0]);
  auto setCache = [](const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string text = "var c = external.mjCommand('CREATEINSTANCE::LOGANA1.0').cache;";
    for (const auto& [key, value] : entries) text += "c.set('" + key + "', '" + value + "', '');";
    EXPECT_EQ(RunTool({"--work", "work", Script(text)}).code, 0) << text;
  };
  const std::string month = games[8].name.substr(0, 6);
  const auto gone = std::find_if(games.begin() + 9, games.end() - 1,
                                 [&](const auto& g) { return g.name.substr(0, 6) != month; });
  setCache({{games[7].name,
             "report1|" + player + "\\t1\\t2\\t8\\t1\\t0\\t1\\t0\\t2\\t20\\t3\\t0\\t2\\t1"},
            {games[8].name, "report2|x\\t9"}});
  const char* const analysed[][2] = {{"31, from the cache: 0", "31, from the cache: 0"},
                                     {"0, from the cache: 31", "0, from the cache: 31"},
                                     {"6, from the cache: 29", "5, from the cache: 30"}};
  std::string firstTsv, firstPage;
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(run);
    if (run == 2) {
      setCache({{"player_report.batch:" + month, "batch2|x"}, {games[8].name, "report2|x\\t9"}});
      fs::remove(fs::path("logs") / gen::LogRelativePath(gone->name));
      games.erase(gone);
      const Games more = WriteGames(301, 5);
      games.insert(games.end(), more.begin(), more.end());
    }
    std::vector<std::string> args{"--work", "work", "--logs", "logs", "--home", home, report};
    if (run == 0) args.insert(args.end(), {"--player", player});
    args.insert(args.end(), {WinePath("report.html"), WinePath("report.tsv")});
    Result result = RunTool(args);
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find(std::string("logs analysed: ") + analysed[run][0]), std::string::npos)
        << result.out;
    const std::string tsv = ReadBytes("report.tsv"), page = ReadBytes("report.html");
    EXPECT_EQ(ReadTsv(tsv, 3), ExpectedReport(games, player));
    EXPECT_LT(result.out.find("== " + player + ": "), result.out.find("== 4-player, "))
        << "the chosen player's sections first";
    ExpectAlignedTables(result.out);
    if (run == 0) {
      firstTsv = tsv, firstPage = page;
      ExpectSelfContainedSvg(page);
    } else if (run == 1) {
      EXPECT_TRUE(tsv == firstTsv && page == firstPage) << "the cache gives other figures";
    }

    result = RunTool({"--quiet", "--work", "work2", "--logs", "logs",
                      WinePath(EXAMPLES_DIR "/cached_counts.js"), WinePath("counts.tsv")});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find(std::string("logs analysed: ") + analysed[run][1]), std::string::npos)
        << result.out;
    EXPECT_EQ(ReadTsv(ReadBytes("counts.tsv"), 1), ExpectedCounts(games));
  }
}

}  // namespace
