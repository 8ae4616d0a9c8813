// mjai lines from the replay's events: the players, each round's deal, draws, discards, calls
// as the meld decoding gives them, riichi steps, wins and draws.
//
// The replay raises no event for a riichi's second step; it only takes the 1000 points. So an
// accepted riichi shows as a score 1000 points lower than at the previous event, and its line
// goes before the line of the event that reveals it, which is where the log has the step.
#include "mjlog_dump/mjai_export.h"

#include <array>
#include <cmath>
#include <string_view>

#include "mjlog_dump/json_text.h"

namespace zuvelo::mjai {
namespace {

using dump::AppendArray;
using dump::AppendInt;
using dump::AppendJsonString;

constexpr int kStopped = 0x4D4A4149;  // the writer's own non-zero result: "MJAI"
constexpr std::int32_t kNoRedFives = 0x02;
constexpr TileCode kRedFives[] = {16, 52, 88};

constexpr std::array<std::string_view, kKindCount> kKindNames = {
    "1m", "2m", "3m", "4m", "5m", "6m", "7m", "8m", "9m", "1p", "2p", "3p",
    "4p", "5p", "6p", "7p", "8p", "9p", "1s", "2s", "3s", "4s", "5s", "6s",
    "7s", "8s", "9s", "E",  "S",  "W",  "N",  "P",  "F",  "C"};
constexpr std::string_view kWinds[] = {"E", "S", "W", "N"};

// The replay's messages end their parts with CR LF; a reason is one line.
std::string OneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c != '\r' && c != '\n')
      line += c;
    else if (!line.empty() && line.back() != ' ')
      line += ' ';
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

class FirstMessage : public ReplayReporter {
 public:
  std::string text;
  void Report(const ReplayMessage& message) override {
    if (text.empty()) text = OneLine(message.text);
  }
};

// Scores in the log are hundreds of points; anything a real score cannot be stops the export.
bool ToPoints(double hundreds, long long& points) {
  if (!std::isfinite(hundreds) || std::fabs(hundreds) > 1e9) return false;
  points = std::llround(hundreds * 100);
  return true;
}

class StreamWriter : public ReplayEvents {
 public:
  StreamWriter(const Players& players, bool redFives, std::string& out)
      : players_(players), redFives_(redFives), out_(out) {}

  [[nodiscard]] bool ended() const { return ended_; }
  [[nodiscard]] const std::string& reason() const { return reason_; }

  EventSet Supplied() const override { return EventSet::All(); }
  bool ReadsHandValues() const override { return false; }  // tiles only

  int OnLogBegin(const LogInfo&, const Players& players) override {
    out_ += R"({"type":"start_game","names":)";
    AppendArray(out_, players, [](std::string& o, const Player& p) { AppendJsonString(o, p.un); });
    out_ += "}\n";
    return 0;
  }

  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> dora) override {
    if (players_[3].tehai.nHai != 13) return Fail(std::string(kThreePlayers));
    if (seed[0] < 0 || seed[0] > 15) return Fail("round index " + std::to_string(seed[0]));
    if (dora.empty()) return Fail("a round without a dora indicator");
    if (!IsTileCode(static_cast<unsigned>(dora[0]))) return BadTile(dora[0]);
    round_ = Round::kPlaying;
    out_ += R"({"type":"start_kyoku","bakaze":")";
    out_ += kWinds[seed[0] / 4];
    out_ += R"(","dora_marker":)";
    Tile(dora[0]);
    Field("kyoku", seed[0] % 4 + 1);
    Field("honba", seed[1]);
    Field("kyotaku", seed[2]);
    Field("oya", seed[0] % 4);  // the dealer is fixed by the round index
    out_ += R"(,"scores":)";
    AppendArray(out_, players_,
                [](std::string& o, const Player& p) { AppendInt(o, p.ten * 100LL); });
    out_ += R"(,"tehais":[)";
    for (int seat = 0; seat < 4; ++seat) {
      const Tehai& tehai = players_[seat].tehai;
      for (int i = 0; i < 13; ++i)
        if (!IsTileCode(tehai.hai[i])) return BadTile(tehai.hai[i]);
      out_ += seat ? ",[" : "[";
      for (int i = 0; i < 13; ++i) {
        if (i) out_ += ',';
        Tile(tehai.hai[i]);
      }
      out_ += ']';
      tenSeen_[seat] = players_[seat].ten;
      reachPending_[seat] = false;
      lastDraw_[seat] = -1;
    }
    out_ += "]}\n";
    return 0;
  }

  int OnTsumo(int who, int hai) override {
    if (const int rc = Move(); rc) return rc;
    if (!IsTileCode(static_cast<unsigned>(hai))) return BadTile(hai);
    Begin("tsumo", who);
    out_ += R"(,"pai":)";
    Tile(hai);
    out_ += "}\n";
    lastDraw_[who] = hai;
    return 0;
  }

  int OnDahai(int who, int hai) override {
    if (const int rc = Move(); rc) return rc;
    if (!IsTileCode(static_cast<unsigned>(hai))) return BadTile(hai);
    Begin("dahai", who);
    out_ += R"(,"pai":)";
    Tile(hai);
    out_ += lastDraw_[who] == hai ? R"(,"tsumogiri":true})" : R"(,"tsumogiri":false})";
    out_ += '\n';
    lastDraw_[who] = -1;
    return 0;
  }

  int OnNaki(const NakiEvent& e) override;

  int OnDora(int hai) override {
    if (const int rc = Move(); rc) return rc;
    if (!IsTileCode(static_cast<unsigned>(hai))) return BadTile(hai);
    out_ += R"({"type":"dora","dora_marker":)";
    Tile(hai);
    out_ += "}\n";
    return 0;
  }

  int OnReach(int who) override {
    if (const int rc = Move(); rc) return rc;
    Begin("reach", who);
    out_ += "}\n";
    if (who >= 0 && who < 4) reachPending_[who] = true;
    return 0;
  }

  int OnAgari(const AgariEvent& e) override;
  int OnRyuukyoku(const RyuukyokuEvent& e) override;

  int OnSceneEnd() override {
    if (const int rc = Settle(); rc) return rc;
    if (round_ == Round::kPlaying) return Fail("a round that ends without a win or a draw");
    round_ = Round::kNone;
    out_ += "{\"type\":\"end_kyoku\"}\n";
    return 0;
  }

  int OnLogEnd(std::span<const double>) override {
    out_ += "{\"type\":\"end_game\"}\n";
    ended_ = true;
    return 0;
  }

 private:
  // kOver: the round's result is out; only a further win on the same discard may follow.
  enum class Round { kNone, kPlaying, kOver };

  int Fail(std::string reason) {
    reason_ = std::move(reason);
    return kStopped;
  }
  int BadTile(int code) { return Fail("tile code " + std::to_string(code) + " is no tile"); }

  // Before every event of a round: the round must be going on, and riichi steps the replay
  // settled silently get their lines.
  int Move() {
    if (round_ != Round::kPlaying) return Fail("a move outside a round");
    return Settle();
  }
  int Settle() {
    // One acceptance per declaration, compared wide: a hostile log's scores may sit at the
    // ends of the range.
    for (int seat = 0; seat < 4; ++seat)
      if (reachPending_[seat] && std::int64_t{players_[seat].ten} <= tenSeen_[seat] - 10LL) {
        reachPending_[seat] = false;
        tenSeen_[seat] = players_[seat].ten;
        Begin("reach_accepted", seat);
        out_ += "}\n";
      }
    return 0;
  }

  void Begin(std::string_view type, int actor) {
    out_ += R"({"type":")";
    out_ += type;
    out_ += R"(","actor":)";
    AppendInt(out_, actor);
  }
  void Field(std::string_view name, long long value) {
    out_ += ",\"";
    out_ += name;
    out_ += "\":";
    AppendInt(out_, value);
  }
  void Tile(int code) {
    out_ += '"';
    out_ += kKindNames[static_cast<std::size_t>(code / 4)];
    if (redFives_ && (code == kRedFives[0] || code == kRedFives[1] || code == kRedFives[2]))
      out_ += 'r';
    out_ += '"';
  }
  void Tiles(std::span<const TileCode> codes) {
    out_ += '[';
    for (std::size_t i = 0; i < codes.size(); ++i) {
      if (i) out_ += ',';
      Tile(codes[i]);
    }
    out_ += ']';
  }
  void Deltas(const std::array<long long, 4>& points) {
    out_ += R"(,"deltas":)";
    AppendArray(out_, points, [](std::string& o, long long p) { AppendInt(o, p); });
  }

  const Players& players_;
  const bool redFives_;
  std::string& out_;
  std::string reason_;
  Round round_ = Round::kNone;
  bool lastWasWin_ = false;
  bool ended_ = false;
  std::array<std::int32_t, 4> tenSeen_{};
  std::array<bool, 4> reachPending_{};
  std::array<int, 4> lastDraw_{-1, -1, -1, -1};
};

int StreamWriter::OnNaki(const NakiEvent& e) {
  if (const int rc = Move(); rc) return rc;
  const auto& t = e.call.tiles;
  std::span<const TileCode> consumed(t.data() + 1, 2);
  std::string_view type;
  switch (e.call.type) {
    case NakiType::kChi:
      type = "chi";
      break;
    case NakiType::kPon:
      type = "pon";
      break;
    case NakiType::kMinkan:
      type = "daiminkan";
      consumed = std::span(t.data() + 1, 3);
      break;
    case NakiType::kKakan:
      type = "kakan";
      consumed = std::span(t.data() + 1, 3);
      break;
    case NakiType::kAnkan:
      type = "ankan";
      consumed = std::span(t.data(), 4);
      break;
    default:
      return Fail("a North set aside in a four-player game");
  }
  for (TileCode code : t)
    if (code != kNoTile && !IsTileCode(code)) return BadTile(code);
  Begin(type, e.who);
  if (e.call.type != NakiType::kKakan && e.call.type != NakiType::kAnkan) {
    out_ += R"(,"target":)";
    AppendInt(out_, (e.who + e.call.from) % 4);
  }
  if (e.call.type != NakiType::kAnkan) {
    out_ += R"(,"pai":)";
    Tile(t[0]);
  }
  out_ += R"(,"consumed":)";
  Tiles(consumed);
  out_ += "}\n";
  lastDraw_[e.who] = -1;
  return 0;
}

int StreamWriter::OnAgari(const AgariEvent& e) {
  if (round_ == Round::kOver && lastWasWin_) round_ = Round::kPlaying;  // a double win
  if (const int rc = Move(); rc) return rc;
  if (e.fromWho < 0 || e.fromWho > 3) return Fail("a win from seat " + std::to_string(e.fromWho));
  std::array<long long, 4> deltas{};
  const std::size_t stride = e.sc.size() / 4;
  for (int seat = 0; seat < 4; ++seat)
    if (!ToPoints(e.sc[seat * stride + 1], deltas[seat])) return Fail("a score beyond range");
  for (std::int32_t code : e.doraHaiUra)
    if (!IsTileCode(static_cast<unsigned>(code))) return BadTile(code);
  Begin("hora", e.who);
  Field("target", e.fromWho);
  Deltas(deltas);
  out_ += R"(,"ura_markers":[)";
  for (std::size_t i = 0; i < e.doraHaiUra.size(); ++i) {
    if (i) out_ += ',';
    Tile(e.doraHaiUra[i]);
  }
  out_ += "]}\n";
  round_ = Round::kOver;
  lastWasWin_ = true;
  return 0;
}

int StreamWriter::OnRyuukyoku(const RyuukyokuEvent& e) {
  if (const int rc = Move(); rc) return rc;
  std::array<long long, 4> deltas{};
  const std::size_t stride = e.sc.size() / 4;
  for (int seat = 0; seat < 4; ++seat) deltas[seat] = e.sc[seat * stride + 1] * 100LL;
  out_ += R"({"type":"ryukyoku")";
  Deltas(deltas);
  out_ += "}\n";
  round_ = Round::kOver;
  lastWasWin_ = false;
  return 0;
}

}  // namespace

ExportResult ExportLog(LogReplayer& replayer, const char* text, const LogInfo& info,
                       std::string& out) {
  const std::size_t start = out.size();
  Players players;
  StreamWriter writer(players, (info.gameType & kNoRedFives) == 0, out);
  FirstMessage reporter;
  const int result = replayer.Replay(text, info, players, writer, reporter);
  if (result == kReplayOk && writer.ended()) return {true, {}};
  out.resize(start);
  if (result == kReplayNotALog) return {false, "not a game log"};
  if (result == kReplayFault)
    return {false, reporter.text.empty() ? "a hand of a tile count no move leaves" : reporter.text};
  if (result == kStopped) return {false, writer.reason()};
  return {false, "no final scores: an unfinished game"};
}

}  // namespace zuvelo::mjai
