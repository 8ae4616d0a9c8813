#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "logana/log_name.h"
#include "mjlog_dump/json_text.h"
#include "mjlog_dump/mjai_folder.h"
#include "mjlog_gen/mjlog_gen.h"
#include "support/file_bytes.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;
using zuvelo::testing::ReadBytes;
using zuvelo::testing::WriteBytes;

template <typename Range, typename Text>
std::string List(const Range& values, Text text) {
  std::string out = "[";
  for (const auto& value : values) (out += out.size() > 1 ? "," : "") += text(value);
  return out + ']';
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::string Name(TileCode code, bool redFives) {
  const int kind = code / 4;
  const bool red = redFives && (code == 16 || code == 52 || code == 88);
  return Quoted((kind < 27 ? std::string{static_cast<char>('1' + kind % 9), "mps"[kind / 9]}
                           : std::string(1, "ESWNPFC"[kind - 27])) +
                (red ? "r" : ""));
}

std::string Names(const std::vector<TileCode>& codes, bool redFives) {
  return List(codes, [&](TileCode code) { return Name(code, redFives); });
}

std::string Numbers(const std::array<int, 4>& values) {
  return List(values, [](int value) { return std::to_string(value); });
}

using Field = std::pair<const char*, std::string>;

std::string Line(const std::string& type, const std::vector<Field>& fields = {}) {
  std::string line = "{\"type\":" + Quoted(type);
  for (const auto& [key, value] : fields) line += ",\"" + std::string(key) + "\":" + value;
  return line + '}';
}

std::string StartKyoku(const gen::GenMove& m, bool redFives) {
  const int seats[] = {0, 1, 2, 3};
  // clang-format off
  return Line("start_kyoku", {
      {"bakaze", Quoted(std::string(1, "ESWN"[m.seed[0] / 4]))},
      {"dora_marker", Name(static_cast<TileCode>(m.seed[5]), redFives)},
      {"kyoku", std::to_string(m.seed[0] % 4 + 1)}, {"honba", std::to_string(m.seed[1])},
      {"kyotaku", std::to_string(m.seed[2])}, {"oya", std::to_string(m.who)},
      {"scores", Numbers(m.points)}, {"tehais", List(seats, [&](int seat) {
         return Names({m.tiles.begin() + seat * 13, m.tiles.begin() + seat * 13 + 13}, redFives);
       })}});
  // clang-format on
}

// The generator records the called or added tile first.
std::string CallLine(const gen::GenCall& c, bool redFives) {
  const char* const types[] = {"chi", "pon", "", "", "ankan", "daiminkan", "kakan"};
  std::vector<Field> fields = {{"actor", std::to_string(c.who)}};
  if (c.type != 4 && c.type != 6)
    fields.push_back({"target", std::to_string((c.who + c.from) % 4)});
  if (c.type != 4) fields.push_back({"pai", Name(c.tiles[0], redFives)});
  const auto own = c.tiles.begin() + (c.type == 4 ? 0 : 1),
             end = c.tiles.begin() + (c.type < 2 ? 3 : 4);
  fields.push_back({"consumed", Names({own, end}, redFives)});
  return Line(types[c.type], fields);
}

using M = gen::GenMove;

std::string MoveLine(const M& m, const gen::GenCall* call, bool redFives) {
  const Field actor{"actor", std::to_string(m.who)},
      pai{"pai", m.tile == kNoTile ? "" : Name(m.tile, redFives)};
  if (m.kind == M::kInit) return StartKyoku(m, redFives);
  if (m.kind == M::kDraw) return Line("tsumo", {actor, pai});
  if (m.kind == M::kDiscard)
    return Line("dahai", {actor, pai, {"tsumogiri", m.drawnTile ? "true" : "false"}});
  if (m.kind == M::kCall) return CallLine(*call, redFives);
  if (m.kind == M::kDora) return Line("dora", {{"dora_marker", pai.second}});
  if (m.kind == M::kReach) return Line("reach", {actor});
  if (m.kind == M::kReachAccepted) return Line("reach_accepted", {actor});
  if (m.kind == M::kAgari)
    return Line("hora", {actor,
                         {"target", std::to_string(m.from)},
                         {"deltas", Numbers(m.points)},
                         {"ura_markers", Names(m.tiles, redFives)}});
  return Line("ryukyoku", {{"deltas", Numbers(m.points)}});
}

std::vector<std::string> ExpectedLines(const gen::GeneratedGame& game, bool redFives) {
  std::vector<std::string> lines = {
      Line("start_game", {{"names", List(game.names, [](const auto& n) {
                             std::string quoted;
                             dump::AppendJsonString(quoted, n);
                             return quoted;
                           })}})};
  std::size_t call = 0;
  for (const M& m : game.moves) {
    if (m.kind == M::kInit && lines.size() > 1) lines.push_back(Line("end_kyoku"));
    lines.push_back(MoveLine(m, m.kind == M::kCall ? &game.calls.at(call++) : nullptr, redFives));
  }
  lines.insert(lines.end(), {Line("end_kyoku"), Line("end_game")});
  return lines;
}

const fs::path kData = fs::path(ZUVELO_TEST_DATA_DIR);

TEST(MjaiExport, GoldenStreamsAreByteExact) {
  const fs::path cases[] = {kData / "replay/golden/2009040718gm-00a1-0000-3c7a4c1c&tw=3.mjlog",
                            kData / "replay/golden/2010022314gm-00a1-0000-82cfd031&tw=2.mjlog",
                            kData / "mjai/2011112711gm-00a3-0000-1811a0e6&tw=1.mjlog",
                            kData / "mjai/2011021815gm-00a1-0000-5089332a&tw=3.mjlog"};
  LogReplayer replayer;
  for (const fs::path& log : cases) {
    SCOPED_TRACE(log);
    std::string text, stream;
    const mjai::ExportResult result = mjai::ExportFile(replayer, log, text, stream);
    ASSERT_TRUE(result.ok) << result.reason;
    fs::path golden = kData / "mjai" / log.filename();
    EXPECT_TRUE(stream == ReadBytes(golden.replace_extension(".json"))) << "differs: " << golden;
  }
}

TEST(MjaiExport, GeneratedGamesFollowTheGeneratorMoveByMove) {
  LogReplayer replayer;
  for (std::uint64_t seed = 1; seed <= GENERATED_GAMES; ++seed) {
    SCOPED_TRACE(seed);
    gen::GenOptions options = gen::OptionsForSeed(seed);
    options.doubleRon = seed % 2 == 0;
    options.redFives = seed % 5 != 1;
    const gen::GeneratedGame game = gen::GenerateGame(seed, options);
    if (game.players == 3) continue;  // refused, as the refusal test shows
    LogInfo info;
    ASSERT_TRUE(SetLogName(info, std::u16string(game.name.begin(), game.name.end())));
    std::string stream = "kept\n";  // appended to
    const mjai::ExportResult result = mjai::ExportLog(replayer, game.text.c_str(), info, stream);
    ASSERT_TRUE(result.ok) << result.reason;
    std::vector<std::string> got;
    std::istringstream lines(stream.substr(5));
    for (std::string line; std::getline(lines, line);) got.push_back(line);
    ASSERT_EQ(got, ExpectedLines(game, options.redFives));
  }
}

TEST(MjaiExport, LogsWithoutAStreamLeaveTheOutputAsItWas) {
  const std::string un = "<mjloggm ver=\"2.3\"><UN n0=\"a\" n1=\"b\" n2=\"c\" n3=\"d\"/>";
  const std::string deal =
      "<INIT seed=\"0,0,0,1,2,5\" ten=\"250,250,250,250\" oya=\"0\" "
      "hai0=\"0,4,8,12,16,20,24,28,32,36,40,44,52\" "
      "hai1=\"1,5,9,13,17,21,25,29,33,37,41,45,53\" hai2=\"2,6,10,14,18,22,26,30,34,38,42,46,54\"";
  const std::string init = deal + " hai3=\"60,64,68,72,76,80,84,88,92,96,100,104,108\"/>";
  const std::string draw = "<RYUUKYOKU ba=\"0,0\" sc=\"250,0,250,0,250,0,250,0\"";
  const std::string end = draw + " owari=\"250,0.0,250,0.0,250,0.0,250,0.0\" /></mjloggm>";
  const std::pair<std::string, std::string> cases[] = {
      {"<?xml version=\"1.0\"?>" + un, "not a game log"},
      {un + init + "<T56/><D56/>" + draw + " /></mjloggm>", "no final scores: an unfinished game"},
      {un + init + "<T56/><D57/>" + end, "INVALID TEHAI hai136=57"},
      {un + init + "<T136/><D136/>" + end, "tile code 136 is no tile"},
      {un + init + "<D0/>" + end, "a hand of a tile count no move leaves"},
      {un + "<DORA hai=\"8\" />" + init + end, "a move outside a round"},
      {un + init + "<T56/><D56/>" + init + end, "a round that ends without a win or a draw"},
      {un + deal + "/>" + end, "three players"},
      {un + init + "<T120/><N who=\"0\" m=\"30752\" />" + end,
       "a North set aside in a four-player game"}};
  LogReplayer replayer;
  for (const auto& [text, reason] : cases) {
    std::string out = "kept\n";
    const mjai::ExportResult result = mjai::ExportLog(replayer, text.c_str(), LogInfo{}, out);
    EXPECT_EQ(std::tie(result.ok, result.reason, out), std::tuple(false, reason, "kept\n")) << text;
  }
}

TEST(MjaiFolder, ConvertsEveryLogWholeAndNamesWhyTheOthersAreSkipped) {
  const fs::path root = "mjai_folder_test";  // in the test's own build folder
  fs::remove_all(root);
  const fs::path logs = root / "log", out = root / "out";
  const gen::GeneratedGame a = gen::GenerateGame(1), c = gen::GenerateGame(3),
                           b = gen::GenerateGame(2, gen::OptionsForSeed(1));
  WriteBytes(logs / a.name.substr(0, 6) / (a.name + ".mjlog"), gen::Gzip(a.text));
  WriteBytes(logs / "201001" / (b.name + ".MJLOG"), b.text);
  WriteBytes(logs / "201001" / (c.name + ".mjlog"), gen::Gzip(c.text));
  WriteBytes(logs / "201001" / "2010010100gm-00a9-0000-00000001&tw=0.mjlog", "");
  WriteBytes(logs / "201002" / (a.name + ".mjlog"), a.text);
  WriteBytes(logs / "201002" / "notes.mjlog", a.text);
  fs::copy_file(kData / "replay/golden/2009010100gm-00a9-0000-0badf00d&tw=1.mjlog",
                logs / "201002" / "2009010100gm-00a9-0000-0badf00d&tw=1.mjlog");
  for (int run = 0; run < 2; ++run) {  // the second run replaces the files of the first
    const mjai::FolderReport report = mjai::ConvertFolder(logs, out, nullptr);
    EXPECT_EQ(std::tie(report.fault, report.converted, report.skipped, report.unwritten),
              std::tuple("", 2, 5, 0));
    EXPECT_EQ(report.reasons,
              (std::map<std::string, int>{{"three players", 1},
                                          {"placeholder, not downloaded yet", 1},
                                          {"the same log name in another folder", 1},
                                          {"not a log name", 1},
                                          {"INVALID TEHAI hai136=231", 1}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2);
    LogReplayer replayer;
    for (const gen::GeneratedGame* game : {&a, &b}) {
      LogInfo info;
      ASSERT_TRUE(SetLogName(info, std::u16string(game->name.begin(), game->name.end())));
      std::string stream;
      ASSERT_TRUE(mjai::ExportLog(replayer, game->text.c_str(), info, stream).ok);
      EXPECT_TRUE(ReadBytes(out / (game->name + ".json")) == stream) << game->name;
    }
  }
  EXPECT_TRUE(mjai::ConvertFolder(root / "missing", out, nullptr)
                  .fault.starts_with("cannot read the folder"));
  fs::remove_all(root);
}

}  // namespace
}  // namespace zuvelo
