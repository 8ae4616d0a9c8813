#include "replay/replay_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ranges>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "hand_testing.h"
#include "mjlog_dump/json_dump.h"
#include "mjlog_gen/mjlog_gen.h"
#include "replay/log_file.h"
#include "support/file_bytes.h"
#include "syanten_reference.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;
using zuvelo::testing::ReadBytes;
using Lines = std::vector<std::string>;

template <typename Range>
std::string Join(const Range& values) {
  std::ostringstream out;
  for (std::size_t i = 0; i < std::size(values); ++i) out << (i ? "," : "") << +values[i];
  return out.str();
}

// Hand values against the reference; a hand that is to discard keeps its last waits and furiten.
class HandValueCheck {
 public:
  int mismatches = 0;
  std::string first;

  void Round() { seats_ = {}; }
  void Discarded(int who, int hai) {
    if (hai < kTileCodeCount) seats_[who].discarded[hai / 4] = true;
  }
  void Check(const Players& players, const std::string& event) {
    for (int seat = 0; seat < 4; ++seat) {
      const Tehai& tehai = players[seat].tehai;
      Seat& s = seats_[seat];
      const KindCounts counts = CountKinds(tehai.hai.data(), static_cast<std::size_t>(tehai.nHai));
      if (std::any_of(counts.begin(), counts.end(), [](int n) { return n > 4; })) continue;
      const bool waiting = tehai.nHai % 3 == 1;
      if (counts != s.counts) {
        s.counts = counts;
        s.syanten = reference::Syanten(counts);
        if (waiting) s.waits = reference::Machi(counts);
      }
      if (waiting && s.syanten == 0)
        s.furiten =
            std::any_of(s.waits.begin(), s.waits.end(), [&](int k) { return s.discarded[k]; });
      if ((tehai.Syanten() != s.syanten || tehai.machi != s.waits || tehai.furiten != s.furiten) &&
          mismatches++ == 0)
        first = event + ", seat " + std::to_string(seat) + " " + hand_testing::Describe(counts);
    }
  }

 private:
  struct Seat {
    KindCounts counts{};
    int syanten = 8;  // an empty hand's
    std::vector<TileKind> waits;
    bool furiten = false;
    std::array<bool, kKindCount> discarded{};
  };

  std::array<Seat, 4> seats_;
};

std::string Text(std::string_view text) { return '\'' + std::string(text) + '\''; }
std::string Text(std::integral auto value) { return std::to_string(+value); }
std::string Text(const std::ranges::range auto& values) { return '[' + Join(values) + ']'; }

// One line per event; the failAt-th event (from 1) returns failResult.
class Recorder : public ReplayEvents, public ReplayReporter {
 public:
  Recorder(EventSet supplied = EventSet::All(), int failAt = 0, int failResult = 0)
      : supplied_(supplied), failAt_(failAt), failResult_(failResult) {}

  int result = 0;
  Lines lines;
  std::vector<ReplayMessage> messages;
  Players players;
  HandValueCheck hands;

  void Report(const ReplayMessage& message) override { messages.push_back(message); }
  EventSet Supplied() const override { return supplied_; }
  int OnLogBegin(const LogInfo& info, const Players&) override {
    return Record("OnLogBegin", std::string_view(std::string(info.name.begin(), info.name.end())));
  }
  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> dora) override {
    hands.Round();
    return Record("OnSceneBegin", seed, dora);
  }
  int OnTsumo(int who, int hai) override { return Record("OnTsumo", who, hai); }
  int OnDahai(int who, int hai) override {
    hands.Discarded(who, hai);
    return Record("OnDahai", who, hai);
  }
  int OnNaki(const NakiEvent& e) override {
    return Record("OnNaki", e.who, e.m, int(e.call.type), e.call.from, e.call.tiles);
  }
  int OnDora(int hai) override { return Record("OnDora", hai); }
  int OnReach(int who) override { return Record("OnReach", who); }
  int OnAgari(const AgariEvent& e) override {
    return Record("OnAgari", e.who, e.ten, e.yaku, e.yakuman, e.doraHaiUra, e.sc, e.paoWho,
                  e.fromWho);
  }
  int OnRyuukyoku(const RyuukyokuEvent& e) override {
    return Record("OnRyuukyoku", e.type, e.sc, e.shown);
  }
  int OnSceneEnd() override { return Record("OnSceneEnd"); }
  int OnLogEnd(std::span<const double> owari) override { return Record("OnLogEnd", owari); }

 private:
  template <typename... Parts>
  int Record(const char* name, const Parts&... parts) {
    lines.push_back(name);
    ((lines.back() += ' ' + Text(parts)), ...);
    hands.Check(players, lines.back());
    return static_cast<int>(lines.size()) == failAt_ ? failResult_ : 0;
  }

  EventSet supplied_;
  int failAt_, failResult_;
};

const std::string kSc = " sc=\"250,0,250,0,250,0,250,0\"";
const std::string kName = "2010010100gm-0009-0000-deadbeef&tw=0";

std::string Codes(int first, int n = 13) { return Join(std::views::iota(first, first + n)); }

std::string Init(const std::string& seed = "0,0,0,2,3,52", const std::string& ten1 = "250") {
  std::string init = "<INIT seed=\"" + seed + "\" ten=\"250," + ten1 + ",250,250\" oya=\"0\"";
  for (int seat = 0; seat < 4; ++seat)
    init.append(" hai").append(std::to_string(seat)).append("=\"").append(Codes(13 * seat)) += '"';
  return init + "/>";
}

std::string Log(const std::string& elements) {
  return "<mjloggm ver=\"2.3\"><UN n0=\"A\" n1=\"B\" n2=\"C\" n3=\"D\"/>" + elements +
         "<RYUUKYOKU" + kSc + " owari=\"250,0.0,250,0.0,250,0.0,250,0.0\" /></mjloggm>";
}

// One replayer for every log, as the analyzer keeps it.
Recorder Replay(const std::string& text, Recorder events = {}, const std::string& name = kName) {
  static LogReplayer replayer;
  LogInfo info;
  info.name.assign(name.begin(), name.end());
  events.result = replayer.Replay(text.c_str(), info, events.players, events, events);
  EXPECT_EQ(events.hands.mismatches, 0) << events.hands.first;
  return events;
}

TEST(ReplayLog, IncompleteLogsOrLogLevelSinksNeverWalkTheElements) {
  std::string noOwari = Log(Init() + "<XX/>");
  noOwari.replace(noOwari.find(" owari"), 2, " x");
  const Recorder incomplete = Replay(noOwari);
  EXPECT_EQ(std::tie(incomplete.result, incomplete.players[0].un), std::tuple(kReplayOk, u"A"));
  EXPECT_TRUE(incomplete.lines.empty() && incomplete.messages.empty());
  const EventSet logOnly = EventSet().Add(ReplayEvent::kLogBegin).Add(ReplayEvent::kLogEnd);
  const Recorder run = Replay(Log(Init() + "<BROKEN x=\"1\"/>"), logOnly);
  EXPECT_TRUE(run.result == kReplayOk && run.messages.empty());
  EXPECT_EQ(run.lines, (Lines{"OnLogBegin '" + kName + "'", "OnLogEnd [250,0,250,0,250,0,250,0]"}));
  const Recorder walked = Replay(Log(Init() + "<BROKEN/>"), EventSet().Add(ReplayEvent::kDora));
  EXPECT_EQ(std::tie(walked.result, walked.messages.at(0).text),
            std::tuple(kReplayFault, "INVALID NODENAME <BROKEN/>"));
}

TEST(ReplayLog, ElementsRaiseTheirEventsInScenesThatCloseAtTheNextInitOrTheEnd) {
  const int pon = (6 * 3 + 2) << 9 | 3 << 5 | 8 | 1;
  const Recorder run = Replay(Log(
      Init() + "<T52/><D52/><N who=\"1\" m=\"" + std::to_string(pon) +
      "\"/><E13/><DORA hai=\"300\"/>" + Init("1,0,0,4,5,60,61") +
      "<AGARI who=\"2\" fromWho=\"1\" paoWho=\"3\" ten=\"40,8000,1\" yaku=\"1,1,52,2\" "
      "yakuman=\"39\" doraHaiUra=\"12\"" +
      kSc + "/><AGARI who=\"1\" ten=\"30\"" + kSc +
      "/><RYUUKYOKU type=\"yao9\" sc=\"250,-1.5,250,15.9,250,0,250,0\" hai1=\"1,2\" hai3=\"5\"/>"));
  const std::string scores = "[250,0,250,0,250,0,250,0]";
  EXPECT_EQ(run.lines,
            (Lines{"OnLogBegin '" + kName + "'", "OnSceneBegin [0,0,0,2,3] [52]", "OnTsumo 0 52",
                   "OnDahai 0 52", "OnNaki 1 " + std::to_string(pon) + " 1 1 [26,24,25,255]",
                   "OnDahai 1 13", "OnDora 44", "OnSceneEnd", "OnSceneBegin [1,0,0,4,5] [60,61]",
                   "OnAgari 2 [40,8000,1] [1,1,52,2] [39] [12] " + scores + " 3 1",
                   "OnAgari 1 [30,0,0] [] [] [] " + scores + " -1 1",
                   "OnRyuukyoku 'yao9' [250,-1,250,15,250,0,250,0] [0,1,0,1]",
                   "OnRyuukyoku '' " + scores + " [0,1,0,1]", "OnSceneEnd", "OnLogEnd " + scores}));
}

TEST(ReplayLog, ReachStepsRaiseOnceAndLowerTheScoreOnce) {
  const std::string once = "<REACH who=\"1\"/>", step1 = "<REACH who=\"1\" step=\"1\"/>",
                    step2 = "<REACH who=\"1\" step=\"2\"/>";
  // clang-format off
  const struct { std::string ten1, reaches; int events, ten, failAt = 0, result = 0; } cases[] = {
      {"250", once, 1, 240}, {"250", step2 + once, 0, 230},
      {"250", step1 + "<REACH who=\"1\" ten=\"250,250,250,250\" step=\"2\"/>", 1, 240},
      {"250", step1 + once, 2, 250},  // the step persists
      {"-2147483648", once + step2, 1, INT32_MIN},
      {"250", once, 1, 240, 3, 7}};  // a failing event still lowers the score
  // clang-format on
  for (const auto& c : cases) {
    const Recorder r = Replay(Log(Init("0,0,0,2,3,52", c.ten1) + c.reaches),
                              Recorder(EventSet::All(), c.failAt, c.result));
    EXPECT_EQ(std::tuple(r.result, std::ranges::count(r.lines, "OnReach 1"), r.players[1].ten),
              std::tuple(c.result, c.events, c.ten))
        << c.reaches;
  }
}

TEST(ReplayLog, AFailingEventStopsEverything) {
  const std::string text = Log(Init() + "<T52/><D52/>" + Init() + "<T52/>" + Init() + "<T52/>");
  const Recorder stopped = Replay(text, Recorder(EventSet::All(), 10, -5));
  Lines firstTen = Replay(text).lines;
  firstTen.resize(10);
  EXPECT_EQ(std::tie(stopped.result, stopped.lines), std::tuple(-5, firstTen));
}

TEST(ReplayLog, EveryReplayMessageByteForByte) {
  constexpr MessageIcon E = MessageIcon::kError;
  const std::string file = "\r\n\r\nfiletw=" + kName;
  const std::string head = "<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3,4\" hai0=\"", d = Init();
  // clang-format off
  const struct { std::string elements, text; MessageIcon icon = MessageIcon::kNone; } cases[] = {
      {Init("1,2,3,4"), "INVALID INIT seed=4" + file},
      {head + "1\"/>", "INVALID INIT hai0=1" + file},
      {"<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3\" hai0=\"1\"/>", "INVALID INIT ten =3" + file},
      {head + Codes(0) + "\" hai1=\"" + Codes(13, 14) + "\"/>", "INVALID INIT hai1=14" + file},
      {head + Codes(0) + "\" hai1=\"" + Codes(13) + "\"/>", "INVALID INIT hai2=0" + file},
      {d + "<REACH who=\"0\" step=\"3\"/>", "INVALID REACH step=3" + file},
      {d + "<DORA/>", "INVALID DORA hai=0\r\n"},
      {d + "<DORA hai=\"1,2\"/>", "INVALID DORA hai=2\r\n"},
      {d + "<AGARI who=\"0\" sc=\"1,2\"/>", "INVALID AGARI sc=2\r\n"},
      {d + "<AGARI who=\"0\" doraHaiUra=\"1,2,3,4,5,6,7,8\"" + kSc + "/>",
       "INVALID AGARI doraHaiUra=8\r\n"},
      {d + "<RYUUKYOKU sc=\"1,2,3,4,5,6,7,8,9\"/>", "INVALID RYUUKYOKU sc=9\r\n"},
      {d + "<T52/><T53/>", "TEHAI FULL", E}, {d + "<D52/>", "INVALID TEHAI hai136=52", E},
      {d + "<D300/>", "INVALID TEHAI hai136=44", E}, {d + "<D255/>", "INVALID TEHAI hai136=255", E},
      {d + "<T0/><N who=\"0\" m=\"65280\"/>", "INVALID TEHAI hai136=255", E},
      {d + "<D0/>", ""},  // 12 tiles: refused without a message
      {d + "<T0/><N who=\"0\" m=\"41586\"/>", "INVALID TEHAI hai136=111", E},
      {d + "<T0/><N who=\"0\" m=\"2066\"/>", "TehaiNaki INVALID Chakan"},
      {d + "<N who=\"0\" m=\"33\"/>", "UNKNOWN NAKI TYPE m=33"},
      {d + "<N who=\"0\" m=\"2147418145\"/>", "UNKNOWN NAKI TYPE m=2147418145"},
      {d + "<N who=\"0\" m=\"7463\"/>", "INVALID TEHAI hai136=18", E},
      {d + "<N m=\"7463\"/>", "INVALID WHO who=-1" + file},
      {d + "<N who=\"7\" m=\"7463\"/>", "INVALID WHO who=7" + file},
      {d + "<REACH who=\"4\" step=\"2\"/>", "INVALID WHO who=4" + file},
      {d + "<AGARI who=\"x\"" + kSc + "/>", "INVALID WHO who=72" + file}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elements.substr(0, 60));
    const Recorder run = Replay(Log(c.elements));
    EXPECT_EQ(run.result, kReplayFault);
    EXPECT_EQ(run.messages.size(), c.text.empty() ? 0u : 1u);
    for (const ReplayMessage& m : run.messages)
      EXPECT_EQ(std::tie(m.text, m.icon), std::tie(c.text, c.icon));
    for (const std::string& line : run.lines) EXPECT_NE(line.rfind("OnLogEnd", 0), 0u);
  }
}

TEST(ReplayLog, AReplayerReusedForManyLogsStartsEachLogAfresh) {
  ASSERT_EQ(Replay(Log(Init() + "<REACH who=\"1\" step=\"1\"/><GO type=\"kan4\"/>")).result, 0);
  const Recorder second = Replay(Log(Init() + "<REACH who=\"1\"/>"));
  EXPECT_EQ(std::tie(second.players[1].ten, second.lines.at(second.lines.size() - 3)),
            std::tuple(240, "OnRyuukyoku '' [250,0,250,0,250,0,250,0] [0,0,0,0]"));
}

TEST(GeneratedGames, ReplayExactlyAsGeneratedWithTheReferenceHandValues) {
  for (std::uint64_t seed = 1; seed <= GENERATED_GAMES; ++seed) {
    SCOPED_TRACE(seed);
    const gen::GeneratedGame game = gen::GenerateGame(seed);
    const Recorder events = Replay(game.text, {}, game.name);
    ASSERT_EQ(events.result, kReplayOk) << (events.messages.empty() ? "" : events.messages[0].text);
    gen::EventCounts counts{};
    for (const std::string& line : events.lines)
      for (int e = 0; e < kReplayEventCount; ++e)
        counts[e] += line.substr(0, line.find(' ')) == ReplayEventName(ReplayEvent(e));
    EXPECT_EQ(counts, game.events);
    EXPECT_EQ(events.lines.back(), "OnLogEnd " + Text(game.owari));
    for (int seat = 0; seat < 4; ++seat) {
      const Player& p = events.players[seat];
      std::vector<TileCode> hand(p.tehai.hai.begin(), p.tehai.hai.begin() + p.tehai.nHai);
      std::ranges::sort(hand);
      EXPECT_EQ(std::tie(hand, p.ten, p.un),
                std::tie(game.finalHands[seat], game.finalTen[seat], game.names[seat]))
          << seat;
    }
  }
}

const fs::path kGolden = fs::path(ZUVELO_TEST_DATA_DIR) / "replay" / "golden";

TEST(MjlogDump, EventAndSummaryLinesOfPlainAndGzipLogsMatchTheGoldenFiles) {
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(kGolden))
    if (entry.path().extension() == ".mjlog") logs.push_back(entry.path());
  std::sort(logs.begin(), logs.end());
  ASSERT_GE(logs.size(), 4u) << kGolden;
  LogReplayer replayer;
  std::string summary;
  for (const fs::path& log : logs) {
    std::string text = "stale", out;
    ASSERT_TRUE(ReadLogFile(log.string().c_str(), text)) << log;
    LogInfo info;
    info.name = log.stem().u16string();
    dump::DumpEvents(replayer, text.c_str(), info, out);
    EXPECT_TRUE(out == ReadBytes(fs::path(log).replace_extension(".jsonl"))) << "differs: " << log;
    dump::DumpSummary(replayer, text.c_str(), info, log.filename().string(), summary);
  }
  EXPECT_EQ(summary, ReadBytes(kGolden / "summary.jsonl"));
  std::string missing = "stale";
  EXPECT_TRUE(!ReadLogFile((kGolden / "missing.mjlog").string().c_str(), missing) &&
              missing.empty());
}

TEST(LogFile, ATextPastTheCapReadsAsNothing) {
  constexpr std::size_t kCap = 16u << 20;
  const std::string most(kCap, '<'), over(kCap + 1, '<');
  const std::string member = gen::Gzip("x");
  // clang-format off
  const struct { const char* what; std::string bytes; std::size_t text; } cases[] = {  // 0: refused
      {"plain at the cap", most, kCap}, {"plain past it", over, 0},
      {"gzip at the cap", gen::Gzip(most), kCap}, {"gzip past it", gen::Gzip(over), 0},
      {"members past it together", gen::Gzip(most) + member, 0},
      {"trailing bytes are no member", member + "junk", 1}};
  // clang-format on
  const fs::path file = "log_cap_test.mjlog";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
    std::string text = "stale";
    EXPECT_EQ(ReadLogFile(file.string().c_str(), text), c.text != 0);
    EXPECT_EQ(text.size(), c.text);
    EXPECT_EQ(LogTextFits(c.bytes), c.text != 0);
  }
  fs::remove(file);
}

TEST(MjlogDump, JsonStringsStayValidWhateverTheBytes) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""}, {"q\"b\\s", "\"q\\\"b\\\\s\""}, {"\r\n\t", "\"\\r\\n\\u0009\""},
      {"\xE3\x81\x82", "\"\xE3\x81\x82\""}, {"\xFF<\x80", "\"\\u00FF<\\u0080\""},
      {"\xE3\x81", "\"\\u00E3\\u0081\""}, {"\xC0\xAF", "\"\\u00C0\\u00AF\""},
      {"\xED\xA0\x80", "\"\\u00ED\\u00A0\\u0080\""}, {"\xF0\x9F\x80\x84", "\"\xF0\x9F\x80\x84\""},
      {"\xE0\x80\xAF", "\"\\u00E0\\u0080\\u00AF\""},  // overlong
      {"\xF4\x90\x80\x80", "\"\\u00F4\\u0090\\u0080\\u0080\""}};
  // clang-format on
  for (const auto& [in, want] : cases) {
    std::string out;
    EXPECT_EQ((dump::AppendJsonString(out, in), out), want) << in;
  }
  std::string wide;
  dump::AppendJsonString(wide, std::u16string{u'a', 0x3042, 0xD83D, 0xDE00, 0xD800, 0xFF80});
  EXPECT_EQ(wide, "\"a\xE3\x81\x82\xF0\x9F\x98\x80\\uD800\xEF\xBE\x80\"");
}

}  // namespace
}  // namespace zuvelo
