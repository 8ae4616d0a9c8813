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

// ---- a JSON reader, as much as mjai lines need ----------------------------------------------

struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  long long number = 0;  // also 0/1 for a bool
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> fields;

  const Json& operator[](std::string_view key) const {
    static const Json none;
    for (const auto& [name, value] : fields)
      if (name == key) return value;
    return none;
  }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : s_(text) {}
  std::optional<Json> Whole() {
    Json value;
    if (!Value(value) || pos_ != s_.size()) return std::nullopt;
    return value;
  }

 private:
  bool Eat(char c) { return pos_ < s_.size() && s_[pos_] == c ? (++pos_, true) : false; }
  bool Word(std::string_view w) {
    if (s_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      char c = s_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (pos_ >= s_.size()) return false;
        c = s_[pos_++];
        if (c == 'u') {
          if (pos_ + 4 > s_.size()) return false;
          out += "\\u" + std::string(s_.substr(pos_, 4));  // names are only compared
          pos_ += 4;
          continue;
        }
        if (std::string_view("\"\\/nrt").find(c) == std::string_view::npos) return false;
      }
      out += c;
    }
    return Eat('"');
  }
  bool Value(Json& v) {
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '{') return Object(v);
    if (c == '[') return Array(v);
    if (c == '"') return v.kind = Json::kString, String(v.text);
    if (Word("true")) return v.kind = Json::kBool, v.number = 1, true;
    if (Word("false")) return v.kind = Json::kBool, true;
    if (Word("null")) return true;
    const std::size_t start = pos_;
    Eat('-');
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    if (pos_ == start || s_[pos_ - 1] == '-') return false;
    v.kind = Json::kNumber;
    v.number = std::stoll(std::string(s_.substr(start, pos_ - start)));
    return true;
  }
  bool Array(Json& v) {
    v.kind = Json::kArray;
    Eat('[');
    if (Eat(']')) return true;
    do {
      if (!Value(v.items.emplace_back())) return false;
    } while (Eat(','));
    return Eat(']');
  }
  bool Object(Json& v) {
    v.kind = Json::kObject;
    Eat('{');
    if (Eat('}')) return true;
    do {
      auto& [name, value] = v.fields.emplace_back();
      if (!String(name) || !Eat(':') || !Value(value)) return false;
    } while (Eat(','));
    return Eat('}');
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

// "[a,b,...]" with text(value) for each value.
template <typename Range, typename Text>
std::string List(const Range& values, Text text) {
  std::string out = "[";
  for (const auto& value : values) {
    if (out.size() > 1) out += ',';
    out += text(value);
  }
  return out + ']';
}

// "type k=v k=v ..." in the line's own key order, arrays as [a,b].
std::string Describe(const Json& v) {
  switch (v.kind) {
    case Json::kBool:
      return v.number ? "true" : "false";
    case Json::kNumber:
      return std::to_string(v.number);
    case Json::kString:
      return v.text;
    case Json::kArray:
      return List(v.items, Describe);
    case Json::kObject: {
      std::string out = v["type"].text;
      for (const auto& [name, value] : v.fields)
        if (name != "type") out += " " + name + "=" + Describe(value);
      return out;
    }
    case Json::kNull:
      break;
  }
  return "null";
}

// ---- the stream checker ------------------------------------------------------------------

const std::vector<std::string> kKindNames = {"1m", "2m", "3m", "4m", "5m", "6m", "7m", "8m", "9m",
                                             "1p", "2p", "3p", "4p", "5p", "6p", "7p", "8p", "9p",
                                             "1s", "2s", "3s", "4s", "5s", "6s", "7s", "8s", "9s",
                                             "E",  "S",  "W",  "N",  "P",  "F",  "C"};

std::string Kind(const std::string& tile) {
  return tile.size() == 3 && tile[2] == 'r' ? tile.substr(0, 2) : tile;
}

// Plays the stream on four hands known only from the deals and the events. Each fault names
// the line (from 1) it was found on.
class StreamChecker {
 public:
  explicit StreamChecker(bool redFives) : redFives_(redFives) {}

  std::vector<std::string> Check(const std::vector<Json>& events) {
    for (line_ = 1; line_ <= events.size(); ++line_) Event(events[line_ - 1]);
    if (events.empty() || events.back()["type"].text != "end_game") Fault("no end_game at the end");
    return faults_;
  }

 private:
  struct Seat {
    std::multiset<std::string> hand;
    int melds = 0;
    std::set<std::string> pons;
    std::string drawn;  // the tile of the last draw, until a discard or call
    bool reach = false;
    [[nodiscard]] int size() const { return static_cast<int>(hand.size()) + 3 * melds; }
  };

  void Fault(const std::string& what) {
    faults_.push_back("line " + std::to_string(line_) + ": " + what);
  }
  bool Tile(const Json& v) {
    const std::string& t = v.text;
    const bool red = t == "5mr" || t == "5pr" || t == "5sr";
    if (v.kind == Json::kString &&
        (red ? redFives_ : std::count(kKindNames.begin(), kKindNames.end(), t) == 1))
      return true;
    Fault("no tile: " + Describe(v));
    return false;
  }
  void Take(Seat& seat, const Json& tile) {
    if (!Tile(tile)) return;
    const auto it = seat.hand.find(tile.text);
    if (it == seat.hand.end())
      Fault(tile.text + " is not in the hand");
    else
      seat.hand.erase(it);
  }
  void Size(int actor, int want) {
    if (seats_[actor].size() != want)
      Fault("seat " + std::to_string(actor) + " holds " + std::to_string(seats_[actor].size()) +
            " tiles, not " + std::to_string(want));
  }

  void Event(const Json& e);
  void StartKyoku(const Json& e);
  void Call(const std::string& type, int actor, const Json& e);

  bool redFives_;
  std::size_t line_ = 0;
  std::vector<std::string> faults_;
  std::array<Seat, 4> seats_;
  std::optional<std::array<long long, 4>> expectScores_;
  long long expectKyotaku_ = 0;
  bool inRound_ = false, resulted_ = false, won_ = false, ended_ = false;
  int discarder_ = -1;  // who made the last discard (or added kan) others may take
  std::string discard_;
};

void StreamChecker::Event(const Json& e) {
  const std::string type = e["type"].text;
  const int actor = static_cast<int>(e["actor"].number);
  if (ended_) Fault("an event after end_game");
  if (e["actor"].kind == Json::kNumber && (actor < 0 || actor > 3))
    return Fault("actor out of range");
  if ((line_ == 1) != (type == "start_game")) Fault("start_game must come first, and only there");
  const bool move =
      type != "start_game" && type != "start_kyoku" && type != "end_kyoku" && type != "end_game";
  if (move && (!inRound_ || (resulted_ && type != "hora")))
    return Fault(type + " outside a round's play");
  Seat& seat = seats_[actor];
  if (type == "start_game") {
    if (e["names"].items.size() != 4) Fault("not four names");
  } else if (type == "start_kyoku") {
    StartKyoku(e);
  } else if (type == "tsumo") {
    Size(actor, 13);
    if (Tile(e["pai"])) seat.hand.insert(e["pai"].text);
    seat.drawn = e["pai"].text;
    discarder_ = -1;
  } else if (type == "dahai") {
    Size(actor, 14);
    Take(seat, e["pai"]);
    if (e["tsumogiri"].number && seat.drawn != e["pai"].text)
      Fault("tsumogiri, but not the tile just drawn");
    seat.drawn.clear();
    discarder_ = actor;
    discard_ = e["pai"].text;
  } else if (type == "chi" || type == "pon" || type == "daiminkan" || type == "kakan" ||
             type == "ankan") {
    Call(type, actor, e);
  } else if (type == "dora") {
    Tile(e["dora_marker"]);
  } else if (type == "reach") {
    Size(actor, 14);
    seat.reach = true;
  } else if (type == "reach_accepted") {
    if (!seat.reach) Fault("reach_accepted without reach");
    seat.reach = false;
    (*expectScores_)[actor] -= 1000;
    ++expectKyotaku_;
  } else if (type == "hora" || type == "ryukyoku") {
    const Json& deltas = e["deltas"];
    if (deltas.items.size() != 4) return Fault("not four deltas");
    for (int i = 0; i < 4; ++i) (*expectScores_)[i] += deltas.items[i].number;
    if (type == "hora") {
      const int target = static_cast<int>(e["target"].number);
      Size(actor, target == actor ? 14 : 13);
      for (const Json& ura : e["ura_markers"].items) Tile(ura);
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

void StreamChecker::StartKyoku(const Json& e) {
  if (inRound_) Fault("start_kyoku inside a round");
  const Json& scores = e["scores"];
  if (scores.items.size() != 4) return Fault("not four scores");
  if (expectScores_)
    for (int i = 0; i < 4; ++i)
      if (scores.items[i].number != (*expectScores_)[i])
        Fault("seat " + std::to_string(i) + " starts with " +
              std::to_string(scores.items[i].number) + ", the last round left " +
              std::to_string((*expectScores_)[i]));
  if (expectScores_ && e["kyotaku"].number != (won_ ? 0 : expectKyotaku_))
    Fault("kyotaku " + std::to_string(e["kyotaku"].number) + " does not follow the deposits");
  expectScores_.emplace();
  for (int i = 0; i < 4; ++i) (*expectScores_)[i] = scores.items[i].number;
  expectKyotaku_ = e["kyotaku"].number;
  Tile(e["dora_marker"]);
  if (e["tehais"].items.size() != 4) return Fault("not four hands");
  for (int i = 0; i < 4; ++i) {
    seats_[i] = Seat{};
    for (const Json& tile : e["tehais"].items[i].items)
      if (Tile(tile)) seats_[i].hand.insert(tile.text);
    Size(i, 13);
  }
  inRound_ = true;
  resulted_ = won_ = false;
}

void StreamChecker::Call(const std::string& type, int actor, const Json& e) {
  Seat& seat = seats_[actor];
  const int target = static_cast<int>(e["target"].number);
  const bool onDiscard = type == "chi" || type == "pon" || type == "daiminkan";
  const std::size_t consumed = type == "ankan" ? 4 : onDiscard && type != "daiminkan" ? 2 : 3;
  if (e["consumed"].items.size() != consumed)
    return Fault(type + " with the wrong number of tiles");
  Size(actor, onDiscard ? 13 : 14);
  if (onDiscard && (discarder_ != target || discard_ != e["pai"].text))
    Fault(type + " of a tile the target did not just discard");
  if (type == "chi" && target != (actor + 3) % 4) Fault("chi from a seat other than the left one");
  seat.drawn.clear();
  discarder_ = type == "kakan" ? actor : -1;  // an added kan can be robbed
  if (type == "kakan") {
    Take(seat, e["pai"]);
    if (!seat.pons.count(Kind(e["pai"].text))) Fault("kakan without its pon");
  }
  for (const Json& tile : e["consumed"].items)
    if (type != "kakan") Take(seat, tile);
  if (type == "pon") seat.pons.insert(Kind(e["pai"].text));
  if (type != "kakan") ++seat.melds;
}

std::vector<Json> ParseLines(const std::string& stream) {
  std::vector<Json> events;
  std::istringstream lines(stream);
  std::string line;
  while (std::getline(lines, line)) {
    auto value = JsonReader(line).Whole();
    EXPECT_TRUE(value && value->kind == Json::kObject) << "not a JSON object: " << line;
    if (value) events.push_back(std::move(*value));
  }
  return events;
}

void ExpectSound(const std::string& stream, bool redFives) {
  const auto faults = StreamChecker(redFives).Check(ParseLines(stream));
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults, first " << faults[0];
}

// ---- what the generator wrote, as the lines must describe it --------------------------------

std::string Name(TileCode code, bool redFives) {
  const bool red = redFives && (code == 16 || code == 52 || code == 88);
  return kKindNames[code / 4] + (red ? "r" : "");
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

std::string StartKyoku(const gen::GenMove& m, bool redFives) {
  const int seats[] = {0, 1, 2, 3};
  const std::string hands = List(seats, [&](int seat) {
    return Names({m.tiles.begin() + seat * 13, m.tiles.begin() + seat * 13 + 13}, redFives);
  });
  return std::string("start_kyoku bakaze=") + "ESWN"[m.seed[0] / 4] +
         " dora_marker=" + Name(static_cast<TileCode>(m.seed[5]), redFives) +
         " kyoku=" + std::to_string(m.seed[0] % 4 + 1) + " honba=" + std::to_string(m.seed[1]) +
         " kyotaku=" + std::to_string(m.seed[2]) + " oya=" + std::to_string(m.who) +
         " scores=" + Numbers(m.points) + " tehais=" + hands;
}

std::string CallLine(const gen::GenCall& c, bool redFives) {
  static const std::map<int, std::string> kTypes = {
      {0, "chi"}, {1, "pon"}, {4, "ankan"}, {5, "daiminkan"}, {6, "kakan"}};
  const std::string type = kTypes.at(c.type);
  const int count = c.type == 4 ? 4 : c.type == 0 || c.type == 1 ? 3 : 4;
  std::string line = type + " actor=" + std::to_string(c.who);
  if (c.type == 0 || c.type == 1 || c.type == 5)
    line += " target=" + std::to_string((c.who + c.from) % 4);
  if (c.type != 4) line += " pai=" + Name(c.tiles[0], redFives);
  // The called or added tile comes first, the caller's own tiles after it.
  const auto own = c.tiles.begin() + (c.type == 4 ? 0 : 1);
  return line + " consumed=" + Names({own, c.tiles.begin() + count}, redFives);
}

std::vector<std::string> ExpectedLines(const gen::GeneratedGame& game, bool redFives) {
  std::vector<std::string> lines = {"start_game names=" + List(game.names, Utf8)};
  std::size_t call = 0;
  for (const gen::GenMove& m : game.moves) {
    const std::string actor = " actor=" + std::to_string(m.who);
    switch (m.kind) {
      case gen::GenMove::kInit:
        if (lines.size() > 1) lines.push_back("end_kyoku");
        lines.push_back(StartKyoku(m, redFives));
        break;
      case gen::GenMove::kDraw:
        lines.push_back("tsumo" + actor + " pai=" + Name(m.tile, redFives));
        break;
      case gen::GenMove::kDiscard:
        lines.push_back("dahai" + actor + " pai=" + Name(m.tile, redFives) +
                        " tsumogiri=" + (m.drawnTile ? "true" : "false"));
        break;
      case gen::GenMove::kCall:
        lines.push_back(CallLine(game.calls.at(call++), redFives));
        break;
      case gen::GenMove::kDora:
        lines.push_back("dora dora_marker=" + Name(m.tile, redFives));
        break;
      case gen::GenMove::kReach:
        lines.push_back("reach" + actor);
        break;
      case gen::GenMove::kReachAccepted:
        lines.push_back("reach_accepted" + actor);
        break;
      case gen::GenMove::kAgari:
        lines.push_back("hora" + actor + " target=" + std::to_string(m.from) + " deltas=" +
                        Numbers(m.points) + " ura_markers=" + Names(m.tiles, redFives));
        break;
      case gen::GenMove::kRyuukyoku:
        lines.push_back("ryukyoku deltas=" + Numbers(m.points));
        break;
    }
  }
  lines.push_back("end_kyoku");
  lines.push_back("end_game");
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
  std::set<std::string> callTypes;
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
    std::vector<std::string> got;
    for (const Json& event : ParseLines(stream)) got.push_back(Describe(event));
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
      ASSERT_LT(i, std::min(got.size(), want.size()))
          << got.size() << " lines, want " << want.size();
      ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
      if (i && got[i].rfind("hora", 0) == 0 && got[i - 1].rfind("hora", 0) == 0) ++doubleWins;
      callTypes.insert(got[i].substr(0, got[i].find(' ')));
    }
    plainFiveGames += !options.redFives;
  }
  EXPECT_GT(threePlayerGames, 0);
  EXPECT_GT(plainFiveGames, 0);
  EXPECT_GT(doubleWins, 0);
  for (const char* type :
       {"chi", "pon", "daiminkan", "kakan", "ankan", "reach_accepted", "dora", "ryukyoku"})
    EXPECT_TRUE(callTypes.count(type)) << type;
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

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
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
    const std::map<std::string, int> reasons = {
        {"three players", 1},
        {"placeholder, not downloaded yet", 1},
        {"the same log name in another folder", 1},
        {"not a log name", 1},
        {"INVALID TEHAI hai136=231", 1},
    };
    EXPECT_EQ(report.reasons, reasons);
    EXPECT_EQ(FileNames(out), (std::set<std::string>{a.name + ".json", b.name + ".json"}));
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
