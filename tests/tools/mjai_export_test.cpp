// The mjai export: golden logs give byte-exact streams; logs without a stream and a folder
// conversion leave nothing cut or stale behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "logana/log_name.h"
#include "mjlog_dump/mjai_folder.h"
#include "mjlog_gen/mjlog_gen.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(ZUVELO_TEST_DATA_DIR);

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Inputs with every call kind, red and plain fives, a double win and abortive draws: logs of
// the replay's golden set and generated games kept as files, so the streams stay fixed.
TEST(MjaiExport, GoldenStreamsAreByteExact) {
  const std::pair<fs::path, bool> cases[] = {
      {kData / "replay/golden/2009040718gm-00a1-0000-3c7a4c1c&tw=3.mjlog", true},
      {kData / "replay/golden/2010022314gm-00a1-0000-82cfd031&tw=2.mjlog", true},
      {kData / "mjai/2011112711gm-00a3-0000-1811a0e6&tw=1.mjlog", false},
      {kData / "mjai/2011021815gm-00a1-0000-5089332a&tw=3.mjlog", true},
  };
  LogReplayer replayer;
  for (const auto& [log, redFives] : cases) {
    SCOPED_TRACE(log);
    std::string text, stream;
    const mjai::ExportResult result = mjai::ExportFile(replayer, log, text, stream);
    ASSERT_TRUE(result.ok) << result.reason;
    fs::path golden = kData / "mjai" / log.filename();
    EXPECT_TRUE(stream == ReadBytes(golden.replace_extension(".json"))) << "differs: " << golden;
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
       "a North set aside in a four-player game"},
  };
  LogReplayer replayer;
  for (const auto& [text, reason] : cases) {
    std::string out = "kept\n";
    const mjai::ExportResult result = mjai::ExportLog(replayer, text.c_str(), LogInfo{}, out);
    EXPECT_FALSE(result.ok) << text;
    EXPECT_EQ(result.reason, reason) << text;
    EXPECT_EQ(out, "kept\n") << text;
  }
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(MjaiFolder, ConvertsEveryLogWholeAndNamesWhyTheOthersAreSkipped) {
  const fs::path root =
      fs::temp_directory_path() /
      ("mjai_folder_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       std::to_string(reinterpret_cast<std::uintptr_t>(&root)));
  const fs::path logs = root / "log", out = root / "out";
  gen::GenOptions four = gen::OptionsForSeed(1), three = gen::OptionsForSeed(3);
  const gen::GeneratedGame a = gen::GenerateGame(1, four), b = gen::GenerateGame(2, four),
                           c = gen::GenerateGame(3, three);
  ASSERT_EQ(c.players, 3);
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
    EXPECT_EQ(report.fault, "");
    EXPECT_EQ(report.converted, 2);
    EXPECT_EQ(report.skipped, 5);
    EXPECT_EQ(report.unwritten, 0);
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
  EXPECT_EQ(
      mjai::ConvertFolder(root / "missing", out, nullptr).fault.rfind("cannot read the folder", 0),
      0u);
  fs::remove_all(root);
}

}  // namespace
}  // namespace zuvelo
