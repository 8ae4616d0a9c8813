// The mjai export: every stream goes through a checker of its own that plays the four hands
// from the deals and the events alone; golden logs give byte-exact streams; generated games
// are followed move by move against what the generator wrote; logs without a stream and a
// folder conversion leave nothing cut or stale behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "logana/log_name.h"
#include "mjlog_dump/mjai_folder.h"
#include "mjlog_gen/mjlog_gen.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;

// ---- the stream checker ------------------------------------------------------------------

// One mjai line (a flat object) as its fields' texts, strings without their quotes.
using Event = std::map<std::string, std::string>;

std::string Value(const Event& e, const std::string& key) {
  const auto it = e.find(key);
  return it == e.end() ? std::string() : it->second;
}

std::string Unquoted(const std::string& s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

// The parts of `text` between commas outside strings and brackets.
std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts(1);
  int depth = 0;
  bool quoted = false;
  for (const char c : text) {
    quoted ^= c == '"';
    if (!quoted) depth += (c == '[' || c == '{') - (c == ']' || c == '}');
    if (c == ',' && !quoted && depth == 0)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

// The items of an array's text; none when it is empty or no array.
std::vector<std::string> Items(const std::string& array) {
  if (array.size() < 3 || array.front() != '[' || array.back() != ']') return {};
  std::vector<std::string> items = Split(std::string_view(array).substr(1, array.size() - 2));
  for (std::string& item : items) item = Unquoted(item);
  return items;
}

std::optional<Event> Parse(const std::string& line) {
  if (line.size() < 2 || line.front() != '{' || line.back() != '}') return std::nullopt;
  Event e;
  for (const std::string& field : Split(std::string_view(line).substr(1, line.size() - 2))) {
    const std::size_t colon = field.find("\":");
    if (field.empty() || field[0] != '"' || colon == std::string::npos) return std::nullopt;
    e[field.substr(1, colon - 1)] = Unquoted(field.substr(colon + 2));
  }
  return e;
}

int Number(const Event& e, const std::string& key) { return std::atoi(Value(e, key).c_str()); }

// Tile kinds 0..33: 1m..9m, 1p..9p, 1s..9s, then E S W N P F C.
std::string KindName(int kind) {
  return kind < 27 ? std::string{static_cast<char>('1' + kind % 9), "mps"[kind / 9]}
                   : std::string(1, "ESWNPFC"[kind - 27]);
}

// Plays the stream on four hands known only from the deals and the events, and follows the
// scores by the deltas and the riichi deposits. Each fault names its line (from 1).
class StreamChecker {
 public:
  explicit StreamChecker(bool redFives) : redFives_(redFives) {}

  std::vector<std::string> Check(const std::vector<Event>& events) {
    for (line_ = 1; line_ <= events.size(); ++line_) Step(events[line_ - 1]);
    if (events.empty() || Value(events.back(), "type") != "end_game")
      Fault("no end_game at the end");
    return faults_;
  }

 private:
  struct Seat {
    std::multiset<std::string> hand;
    int melds = 0;
    std::set<std::string> pons;  // kinds
    std::string drawn;           // the tile of the last draw, until a discard or call
    bool reach = false;
    [[nodiscard]] int size() const { return static_cast<int>(hand.size()) + 3 * melds; }
  };

  void Fault(const std::string& what) {
    faults_.push_back("line " + std::to_string(line_) + ": " + what);
  }
  bool Tile(const std::string& t) {
    const bool red = t == "5mr" || t == "5pr" || t == "5sr";
    for (int kind = 0; kind < 34 && !red; ++kind)
      if (t == KindName(kind)) return true;
    if (red && redFives_) return true;
    Fault("no tile: " + t);
    return false;
  }
  void Take(Seat& seat, const std::string& tile) {
    if (!Tile(tile)) return;
    const auto it = seat.hand.find(tile);
    if (it == seat.hand.end()) return Fault(tile + " is not in the hand");
    seat.hand.erase(it);
  }
  void Size(int actor, int want) {
    if (seats_[actor].size() != want)
      Fault("seat " + std::to_string(actor) + " holds " + std::to_string(seats_[actor].size()) +
            " tiles, not " + std::to_string(want));
  }

  void Step(const Event& e);
  void StartKyoku(const Event& e);
  void Call(const Event& e, const std::string& type, int actor);

  bool redFives_;
  std::size_t line_ = 0;
  std::vector<std::string> faults_;
  std::array<Seat, 4> seats_;
  std::array<long long, 4> scores_{};  // as the last round left them
  long long kyotaku_ = 0;
  bool started_ = false, inRound_ = false, resulted_ = false, won_ = false, ended_ = false;
  int discarder_ = -1;  // who made the last discard (or added kan) others may take
  std::string discard_;
};

void StreamChecker::Step(const Event& e) {
  const std::string type = Value(e, "type"), pai = Value(e, "pai");
  const int actor = Number(e, "actor");
  if (ended_) Fault("an event after end_game");
  if (actor < 0 || actor > 3) return Fault("actor out of range");
  if ((line_ == 1) != (type == "start_game")) Fault("start_game must come first, and only there");
  const bool move =
      type != "start_game" && type != "start_kyoku" && type != "end_kyoku" && type != "end_game";
  if (move && (!inRound_ || (resulted_ && type != "hora")))
    return Fault(type + " outside a round's play");
  Seat& seat = seats_[actor];
  if (type == "start_game") {
    if (Items(Value(e, "names")).size() != 4) Fault("not four names");
  } else if (type == "start_kyoku") {
    StartKyoku(e);
  } else if (type == "tsumo") {
    Size(actor, 13);
    if (Tile(pai)) seat.hand.insert(pai);
    seat.drawn = pai;
    discarder_ = -1;
  } else if (type == "dahai") {
    Size(actor, 14);
    Take(seat, pai);
    if (Value(e, "tsumogiri") == "true" && seat.drawn != pai)
      Fault("tsumogiri, but not the tile just drawn");
    seat.drawn.clear();
    discarder_ = actor;
    discard_ = pai;
  } else if (type == "chi" || type == "pon" || type == "daiminkan" || type == "kakan" ||
             type == "ankan") {
    Call(e, type, actor);
  } else if (type == "dora") {
    Tile(Value(e, "dora_marker"));
  } else if (type == "reach") {
    Size(actor, 14);
    seat.reach = true;
  } else if (type == "reach_accepted") {
    if (!seat.reach) Fault("reach_accepted without reach");
    seat.reach = false;
    scores_[actor] -= 1000;
    ++kyotaku_;
  } else if (type == "hora" || type == "ryukyoku") {
    const std::vector<std::string> deltas = Items(Value(e, "deltas"));
    if (deltas.size() != 4) return Fault("not four deltas");
    for (int i = 0; i < 4; ++i) scores_[i] += std::atoll(deltas[i].c_str());
    if (type == "hora") {
      const int target = Number(e, "target");
      Size(actor, target == actor ? 14 : 13);
      for (const std::string& ura : Items(Value(e, "ura_markers"))) Tile(ura);
      if (target != actor && discarder_ != target) Fault("a win on a tile the target did not give");
      won_ = true;
    }
    resulted_ = true;
  } else if (type == "end_kyoku") {
    if (!resulted_) Fault("end_kyoku without a result");
    inRound_ = false;
  } else if (type == "end_game") {
    if (inRound_) Fault("end_game inside a round");
    ended_ = true;
  } else {
    Fault("unknown type " + type);
  }
}

void StreamChecker::StartKyoku(const Event& e) {
  if (inRound_) Fault("start_kyoku inside a round");
  const std::vector<std::string> scores = Items(Value(e, "scores")),
                                 hands = Items(Value(e, "tehais"));
  if (scores.size() != 4 || hands.size() != 4) return Fault("not four scores and four hands");
  for (int i = 0; i < 4; ++i) {
    const long long score = std::atoll(scores[i].c_str());
    if (started_ && score != scores_[i])
      Fault("seat " + std::to_string(i) + " starts with " + scores[i] + ", the last round left " +
            std::to_string(scores_[i]));
    scores_[i] = score;
    seats_[i] = Seat{};
    for (const std::string& tile : Items(hands[i]))
      if (Tile(tile)) seats_[i].hand.insert(tile);
    Size(i, 13);
  }
  const long long kyotaku = Number(e, "kyotaku");
  if (started_ && kyotaku != (won_ ? 0 : kyotaku_))
    Fault("kyotaku " + std::to_string(kyotaku) + " does not follow the deposits");
  kyotaku_ = kyotaku;
  Tile(Value(e, "dora_marker"));
  started_ = inRound_ = true;
  resulted_ = won_ = false;
}

void StreamChecker::Call(const Event& e, const std::string& type, int actor) {
  Seat& seat = seats_[actor];
  const std::string pai = Value(e, "pai");
  const std::vector<std::string> consumed = Items(Value(e, "consumed"));
  const bool onDiscard = type == "chi" || type == "pon" || type == "daiminkan";
  if (consumed.size() != (type == "ankan" ? 4u : type == "chi" || type == "pon" ? 2u : 3u))
    return Fault(type + " with the wrong number of tiles");
  Size(actor, onDiscard ? 13 : 14);
  const int target = Number(e, "target");
  if (onDiscard && (discarder_ != target || discard_ != pai))
    Fault(type + " of a tile the target did not just discard");
  if (type == "chi" && target != (actor + 3) % 4) Fault("chi from a seat other than the left one");
  seat.drawn.clear();
  discarder_ = type == "kakan" ? actor : -1;  // an added kan can be robbed
  const std::string kind = pai.substr(0, 2);
  if (type == "kakan") {
    Take(seat, pai);
    if (!seat.pons.count(kind)) Fault("kakan without its pon");
    return;
  }
  for (const std::string& tile : consumed) Take(seat, tile);
  if (type == "pon") seat.pons.insert(kind);
  ++seat.melds;
}

void ExpectSound(const std::string& stream, bool redFives) {
  std::vector<Event> events;
  std::istringstream lines(stream);
  for (std::string line; std::getline(lines, line);) {
    const std::optional<Event> event = Parse(line);
    ASSERT_TRUE(event) << "not a JSON object: " << line;
    events.push_back(*event);
  }
  const std::vector<std::string> faults = StreamChecker(redFives).Check(events);
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults, first " << faults[0];
}

// ---- what the generator wrote, as the lines must say it ------------------------------------

// "[a,b,...]" with text(value) for each value.
template <typename Range, typename Text>
std::string List(const Range& values, Text text) {
  std::string out = "[";
  for (const auto& value : values) (out += out.size() > 1 ? "," : "") += text(value);
  return out + ']';
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::string Name(TileCode code, bool redFives) {
  const bool red = redFives && (code == 16 || code == 52 || code == 88);
  return Quoted(KindName(code / 4) + (red ? "r" : ""));
}

std::string Names(const std::vector<TileCode>& codes, bool redFives) {
  return List(codes, [&](TileCode code) { return Name(code, redFives); });
}

std::string Numbers(const std::array<int, 4>& values) {
  return List(values, [](int value) { return std::to_string(value); });
}

std::string Utf8(const std::u16string& text) {  // the generator's names are all in the BMP
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

// One mjai line: its type, then ("key", value) in the order the format gives them.
std::string Line(const std::string& type,
                 std::initializer_list<std::pair<const char*, std::string>> fields = {}) {
  std::string line = "{\"type\":\"";
  line.append(type).append("\"");
  for (const auto& [key, value] : fields)
    line.append(",\"").append(key).append("\":").append(value);
  return line.append("}");
}

std::string StartKyoku(const gen::GenMove& m, bool redFives) {
  const int seats[] = {0, 1, 2, 3};
  return Line(
      "start_kyoku",
      {{"bakaze", Quoted(std::string(1, "ESWN"[m.seed[0] / 4]))},
       {"dora_marker", Name(static_cast<TileCode>(m.seed[5]), redFives)},
       {"kyoku", std::to_string(m.seed[0] % 4 + 1)},
       {"honba", std::to_string(m.seed[1])},
       {"kyotaku", std::to_string(m.seed[2])},
       {"oya", std::to_string(m.who)},
       {"scores", Numbers(m.points)},
       {"tehais", List(seats, [&](int seat) {
          return Names({m.tiles.begin() + seat * 13, m.tiles.begin() + seat * 13 + 13}, redFives);
        })}});
}

// The called or added tile comes first in the generator's record, the caller's own after it.
std::string CallLine(const gen::GenCall& c, bool redFives) {
  const std::string actor = std::to_string(c.who), target = std::to_string((c.who + c.from) % 4);
  const std::string pai = Name(c.tiles[0], redFives);
  const auto own = [&](int first, int end) {
    return Names({c.tiles.begin() + first, c.tiles.begin() + end}, redFives);
  };
  switch (c.type) {
    case 0:
    case 1:
      return Line(c.type ? "pon" : "chi",
                  {{"actor", actor}, {"target", target}, {"pai", pai}, {"consumed", own(1, 3)}});
    case 4:
      return Line("ankan", {{"actor", actor}, {"consumed", own(0, 4)}});
    case 5:
      return Line("daiminkan",
                  {{"actor", actor}, {"target", target}, {"pai", pai}, {"consumed", own(1, 4)}});
  }
  return Line("kakan", {{"actor", actor}, {"pai", pai}, {"consumed", own(1, 4)}});
}

std::string MoveLine(const gen::GenMove& m, const gen::GenCall* call, bool redFives) {
  const std::pair<const char*, std::string> actor{"actor", std::to_string(m.who)};
  switch (m.kind) {
    case gen::GenMove::kInit:
      return StartKyoku(m, redFives);
    case gen::GenMove::kDraw:
      return Line("tsumo", {actor, {"pai", Name(m.tile, redFives)}});
    case gen::GenMove::kDiscard:
      return Line(
          "dahai",
          {actor, {"pai", Name(m.tile, redFives)}, {"tsumogiri", m.drawnTile ? "true" : "false"}});
    case gen::GenMove::kCall:
      return CallLine(*call, redFives);
    case gen::GenMove::kDora:
      return Line("dora", {{"dora_marker", Name(m.tile, redFives)}});
    case gen::GenMove::kReach:
      return Line("reach", {actor});
    case gen::GenMove::kReachAccepted:
      return Line("reach_accepted", {actor});
    case gen::GenMove::kAgari:
      return Line("hora", {actor,
                           {"target", std::to_string(m.from)},
                           {"deltas", Numbers(m.points)},
                           {"ura_markers", Names(m.tiles, redFives)}});
    case gen::GenMove::kRyuukyoku:
      break;
  }
  return Line("ryukyoku", {{"deltas", Numbers(m.points)}});
}

std::vector<std::string> ExpectedLines(const gen::GeneratedGame& game, bool redFives) {
  std::vector<std::string> lines = {Line(
      "start_game", {{"names", List(game.names, [](const auto& n) { return Quoted(Utf8(n)); })}})};
  std::size_t call = 0;
  for (const gen::GenMove& m : game.moves) {
    if (m.kind == gen::GenMove::kInit && lines.size() > 1) lines.push_back(Line("end_kyoku"));
    lines.push_back(
        MoveLine(m, m.kind == gen::GenMove::kCall ? &game.calls.at(call++) : nullptr, redFives));
  }
  lines.push_back(Line("end_kyoku"));
  lines.push_back(Line("end_game"));
  return lines;
}

// ---- tests -----------------------------------------------------------------------------------

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
    ExpectSound(stream, redFives);
  }
}

#if defined(_WIN32)
constexpr std::uint64_t kGames = 250;  // a game costs far more under Wine
#else
constexpr std::uint64_t kGames = 2000;
#endif

TEST(MjaiExport, GeneratedGamesFollowTheGeneratorMoveByMove) {
  LogReplayer replayer;
  std::set<std::string> types;
  int doubleWins = 0, threePlayerGames = 0, plainFiveGames = 0;
  for (std::uint64_t seed = 1; seed <= kGames; ++seed) {
    SCOPED_TRACE(seed);
    gen::GenOptions options = gen::OptionsForSeed(seed);
    options.doubleRon = seed % 2 == 0;
    options.redFives = seed % 5 != 1;
    const gen::GeneratedGame game = gen::GenerateGame(seed, options);
    LogInfo info;
    ASSERT_TRUE(SetLogName(info, std::u16string(game.name.begin(), game.name.end())));
    std::string out = "kept\n";
    const mjai::ExportResult result = mjai::ExportLog(replayer, game.text.c_str(), info, out);
    if (game.players == 3) {
      EXPECT_EQ(result.reason, mjai::kThreePlayers);
      EXPECT_EQ(out, "kept\n");
      ++threePlayerGames;
      continue;
    }
    ASSERT_TRUE(result.ok) << result.reason;
    const std::string stream = out.substr(5);
    ExpectSound(stream, options.redFives);
    const std::vector<std::string> want = ExpectedLines(game, options.redFives);
    std::istringstream lines(stream);
    std::string got, type, last;
    for (std::size_t i = 0; i < want.size(); ++i, last = type) {
      ASSERT_TRUE(std::getline(lines, got)) << "no line " << i + 1;
      ASSERT_EQ(got, want[i]) << "line " << i + 1;
      type = got.substr(9, got.find('"', 9) - 9);  // after {"type":"
      doubleWins += type == "hora" && last == "hora";
      types.insert(type);
    }
    EXPECT_FALSE(std::getline(lines, got)) << "a line more: " << got;
    plainFiveGames += !options.redFives;
  }
  EXPECT_GT(threePlayerGames, 0);
  EXPECT_GT(plainFiveGames, 0);
  EXPECT_GT(doubleWins, 0);
  for (const char* type :
       {"chi", "pon", "daiminkan", "kakan", "ankan", "reach_accepted", "dora", "ryukyoku"})
    EXPECT_TRUE(types.count(type)) << type;
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
