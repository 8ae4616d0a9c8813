// Replaying logs: hand-written and generated games, messages, and mjlog-dump's golden output.
#include "replay/replay_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
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

// Each seat's hand values against the reference search; a hand that is to discard keeps the
// waits and furiten of its last 3n+1 tiles.
class HandValueCheck {
 public:
  int mismatches = 0;
  std::string first;

  void Round() { seats_ = {}; }
  void Discarded(int who, int hai) {
    if (hai < kTileCodeCount) seats_[who].discarded[hai / 4] = true;
  }
  void Check(const Players& players, const std::string& event) {
    for (int seat = 0; seat < 4; ++seat) Check(players[seat].tehai, seats_[seat], event, seat);
  }

 private:
  struct Seat {
    KindCounts counts{};
    int syanten = 8;  // an empty hand's
    std::vector<TileKind> waits;
    bool furiten = false;
    std::array<bool, kKindCount> discarded{};
  };

  void Check(const Tehai& tehai, Seat& s, const std::string& event, int seat) {
    KindCounts counts{};
    for (int i = 0; i < tehai.nHai; ++i) counts[tehai.hai[i] / 4] += tehai.hai[i] < kTileCodeCount;
    if (std::any_of(counts.begin(), counts.end(), [](int n) { return n > 4; })) return;
    const bool waiting = tehai.nHai % 3 == 1;
    if (counts != s.counts) {
      s.counts = counts;
      s.syanten = reference::Syanten(counts);
      if (waiting) s.waits = reference::Machi(counts);
    }
    if (waiting && s.syanten == 0)
      s.furiten =
          std::any_of(s.waits.begin(), s.waits.end(), [&](int k) { return s.discarded[k]; });
    if (tehai.Syanten() == s.syanten && tehai.machi == s.waits && tehai.furiten == s.furiten)
      return;
    if (mismatches++ == 0)
      first = event + ", seat " + std::to_string(seat) + " " + hand_testing::Describe(counts);
  }

  std::array<Seat, 4> seats_;
};

// One line per event; the failAt-th event (from 1) returns failResult.
class RecordingEvents : public ReplayEvents, public ReplayReporter {
 public:
  explicit RecordingEvents(EventSet supplied = EventSet::All(), int failAt = 0, int failResult = 0)
      : supplied_(supplied), failAt_(failAt), failResult_(failResult) {}

  int result = 0;
  Lines lines;
  std::vector<ReplayMessage> messages;
  Players players;
  HandValueCheck hands;

  void Report(const ReplayMessage& message) override { messages.push_back(message); }
  EventSet Supplied() const override { return supplied_; }
  int OnLogBegin(const LogInfo& info, const Players& players) override {
    players_ = &players;
    return Record("OnLogBegin " + std::string(info.name.begin(), info.name.end()));
  }
  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> dora) override {
    hands.Round();
    return Record("OnSceneBegin " + Join(seed) + " [" + Join(dora) + "]");
  }
  int OnTsumo(int who, int hai) override { return Record("OnTsumo " + Join(std::array{who, hai})); }
  int OnDahai(int who, int hai) override {
    hands.Discarded(who, hai);
    return Record("OnDahai " + Join(std::array{who, hai}));
  }
  int OnNaki(const NakiEvent& e) override {
    return Record("OnNaki " + Join(std::array{e.who, int{e.m}, int(e.call.type), e.call.from}) +
                  " " + Join(e.call.tiles));
  }
  int OnDora(int hai) override { return Record("OnDora " + std::to_string(hai)); }
  int OnReach(int who) override { return Record("OnReach " + std::to_string(who)); }
  int OnAgari(const AgariEvent& e) override {
    return Record("OnAgari " + std::to_string(e.who) + " " + Join(e.ten) + " [" + Join(e.yaku) +
                  "] [" + Join(e.yakuman) + "] [" + Join(e.doraHaiUra) + "] [" + Join(e.sc) + "] " +
                  Join(std::array{e.paoWho, e.fromWho}));
  }
  int OnRyuukyoku(const RyuukyokuEvent& e) override {
    return Record("OnRyuukyoku '" + std::string(e.type) + "' [" + Join(e.sc) + "] " +
                  Join(e.shown));
  }
  int OnSceneEnd() override { return Record("OnSceneEnd"); }
  int OnLogEnd(std::span<const double> owari) override {
    return Record("OnLogEnd [" + Join(owari) + "]");
  }

 private:
  int Record(std::string line) {
    if (players_) hands.Check(*players_, line);
    lines.push_back(std::move(line));
    return static_cast<int>(lines.size()) == failAt_ ? failResult_ : 0;
  }

  const Players* players_ = nullptr;
  EventSet supplied_;
  int failAt_, failResult_;
};

const std::string kSc = " sc=\"250,0,250,0,250,0,250,0\"";
const std::string kName = "2010010100gm-0009-0000-deadbeef&tw=0";

std::string Codes(int first, int n = 13) {
  std::vector<int> codes(n);
  std::iota(codes.begin(), codes.end(), first);
  return Join(codes);
}

std::string Init(const std::string& seed = "0,0,0,2,3,52") {
  std::string init = "<INIT seed=\"" + seed + "\" ten=\"250,250,250,250\" oya=\"0\"";
  for (int seat = 0; seat < 4; ++seat)
    init.append(" hai").append(std::to_string(seat)).append("=\"").append(Codes(13 * seat)) += '"';
  return init + "/>";
}

std::string Log(const std::string& elements) {
  return "<mjloggm ver=\"2.3\"><UN n0=\"A\" n1=\"B\" n2=\"C\" n3=\"D\"/>" + elements +
         "<RYUUKYOKU" + kSc + " owari=\"250,0.0,250,0.0,250,0.0,250,0.0\" /></mjloggm>";
}

using Replayed = RecordingEvents;

Replayed Replay(const std::string& text, RecordingEvents events = RecordingEvents()) {
  LogInfo info;
  info.name.assign(kName.begin(), kName.end());
  events.result = ReplayLog(text.c_str(), info, events.players, events, events);
  EXPECT_EQ(events.hands.mismatches, 0) << events.hands.first;
  return events;
}

TEST(ReplayLog, IncompleteLogsRaiseNothing) {
  std::string noOwari = Log(Init() + "<XX/>");
  noOwari.replace(noOwari.find(" owari"), 2, " x");
  const Replayed skipped = Replay(noOwari);
  EXPECT_EQ(skipped.result, kReplayOk);
  EXPECT_TRUE(skipped.lines.empty());
  EXPECT_TRUE(skipped.messages.empty());
  EXPECT_EQ(skipped.players[0].un, u"A");
}

TEST(ReplayLog, WithoutPerMoveEventsTheElementsAreNeverWalked) {
  const EventSet logOnly = EventSet().Add(ReplayEvent::kLogBegin).Add(ReplayEvent::kLogEnd);
  const Replayed run = Replay(Log(Init() + "<BROKEN x=\"1\"/>"), RecordingEvents(logOnly));
  EXPECT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.lines, (Lines{"OnLogBegin " + kName, "OnLogEnd [250,0,250,0,250,0,250,0]"}));
  EXPECT_TRUE(run.messages.empty());
  const Replayed walked =
      Replay(Log(Init() + "<BROKEN/>"), RecordingEvents(EventSet().Add(ReplayEvent::kDora)));
  EXPECT_EQ(walked.result, kReplayFault);
  ASSERT_EQ(walked.messages.size(), 1u);
  EXPECT_EQ(walked.messages[0].text, "INVALID NODENAME <BROKEN/>");
}

TEST(ReplayLog, ElementsRaiseTheirEventsInScenesThatCloseAtTheNextInitOrTheEnd) {
  const int pon = (6 * 3 + 2) << 9 | 3 << 5 | 8 | 1;
  const std::string sc = " sc=\"250,-1.5,250,15.9,250,0,250,0\"";
  const Replayed run =
      Replay(Log(Init() + "<T52/><D52/><N who=\"1\" m=\"" + std::to_string(pon) +
                 "\"/><E13/><DORA hai=\"300\"/>" + Init("1,0,0,4,5,60,61") +
                 "<AGARI who=\"2\" fromWho=\"1\" paoWho=\"3\" ten=\"40,8000,1\" yaku=\"1,1,52,2\" "
                 "yakuman=\"39\" doraHaiUra=\"12\"" +
                 kSc + "/><AGARI who=\"1\" ten=\"30\"" + kSc + "/><RYUUKYOKU type=\"yao9\"" + sc +
                 " hai1=\"1,2\" hai3=\"5\"/>"));
  ASSERT_EQ(run.result, kReplayOk) << (run.messages.empty() ? "" : run.messages[0].text);
  const std::string scores = "[250,0,250,0,250,0,250,0]";
  EXPECT_EQ(run.lines,
            (Lines{"OnLogBegin " + kName, "OnSceneBegin 0,0,0,2,3 [52]", "OnTsumo 0,52",
                   "OnDahai 0,52", "OnNaki 1," + std::to_string(pon) + ",1,1 26,24,25,255",
                   "OnDahai 1,13", "OnDora 44", "OnSceneEnd", "OnSceneBegin 1,0,0,4,5 [60,61]",
                   "OnAgari 2 40,8000,1 [1,1,52,2] [39] [12] " + scores + " 3,1",
                   "OnAgari 1 30,0,0 [] [] [] " + scores + " -1,1",
                   "OnRyuukyoku 'yao9' [250,-1,250,15,250,0,250,0] 0,1,0,1",
                   "OnRyuukyoku '' " + scores + " 0,1,0,1", "OnSceneEnd", "OnLogEnd " + scores}));
}

TEST(ReplayLog, ReachStepsRaiseOnceAndLowerTheScoreOnce) {
  const std::string once = "<REACH who=\"1\"/>", step1 = "<REACH who=\"1\" step=\"1\"/>";
  // clang-format off
  const struct { std::string reaches; int reachEvents, ten; } cases[] = {
      {once, 1, 240}, {step1 + "<REACH who=\"1\" ten=\"250,250,250,250\" step=\"2\"/>", 1, 240},
      {step1 + once, 2, 250},  // the step persists
      {"<REACH who=\"1\" step=\"2\"/>" + once, 0, 230}};
  // clang-format on
  for (const auto& c : cases) {
    const Replayed run = Replay(Log(Init() + c.reaches));
    ASSERT_EQ(run.result, kReplayOk) << c.reaches;
    EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "OnReach 1"), c.reachEvents)
        << c.reaches;
    EXPECT_EQ(run.players[1].ten, c.ten) << c.reaches;
  }
  std::string lowest = Init();
  lowest.replace(lowest.find("250,250,250,250"), 15, "250,-2147483648,250,250");
  const Replayed floor = Replay(Log(lowest + "<REACH who=\"1\"/><REACH who=\"1\" step=\"2\"/>"));
  ASSERT_EQ(floor.result, kReplayOk);
  EXPECT_EQ(floor.players[1].ten, INT32_MIN);
  const Replayed failed =
      Replay(Log(Init() + "<REACH who=\"2\"/>"), RecordingEvents(EventSet::All(), 3, 7));
  EXPECT_EQ(failed.result, 7);
  EXPECT_EQ(failed.players[2].ten, 240);
}

TEST(ReplayLog, AFailingEventStopsEverything) {
  const std::string text = Log(Init() + "<T52/><D52/>" + Init() + "<T52/>" + Init() + "<T52/>");
  const Replayed full = Replay(text);
  ASSERT_EQ(full.result, kReplayOk);
  const int third = 10;
  ASSERT_EQ(full.lines[third - 1], "OnTsumo 0,52");
  const Replayed stopped = Replay(text, RecordingEvents(EventSet::All(), third, -5));
  EXPECT_EQ(stopped.result, -5);
  EXPECT_EQ(stopped.lines, Lines(full.lines.begin(), full.lines.begin() + third));
}

TEST(ReplayLog, EveryReplayMessageByteForByte) {
  constexpr MessageIcon E = MessageIcon::kError;
  const std::string file = "\r\n\r\nfiletw=" + kName;
  const std::string head = "<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3,4\" hai0=\"";
  const std::string hand0 = Codes(0), hand1 = Codes(13), long1 = Codes(13, 14), d = Init();
  // clang-format off
  const struct { std::string elements, text; MessageIcon icon = MessageIcon::kNone; } cases[] = {
      {Init("1,2,3,4"), "INVALID INIT seed=4" + file},
      {"<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3\" hai0=\"1\"/>", "INVALID INIT ten =3" + file},
      {"<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3,4\" hai0=\"1\"/>", "INVALID INIT hai0=1" + file},
      {head + hand0 + "\" hai1=\"" + long1 + "\"/>", "INVALID INIT hai1=14" + file},
      {head + hand0 + "\" hai1=\"" + hand1 + "\"/>", "INVALID INIT hai2=0" + file},
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
    const Replayed run = Replay(Log(c.elements));
    EXPECT_EQ(run.result, kReplayFault);
    ASSERT_EQ(run.messages.size(), c.text.empty() ? 0u : 1u);
    if (!c.text.empty()) {
      EXPECT_EQ(std::tie(run.messages[0].text, run.messages[0].icon), std::tie(c.text, c.icon));
    }
    for (const std::string& line : run.lines) EXPECT_NE(line.rfind("OnLogEnd", 0), 0u);
  }
}

TEST(ReplayLog, AReplayerReusedForManyLogsStartsEachLogAfresh) {
  LogReplayer replayer;
  LogInfo info;
  Players players;
  const std::string first = Log(Init() + "<REACH who=\"1\" step=\"1\"/><GO type=\"kan4\"/>");
  const std::string second = Log(Init() + "<REACH who=\"1\"/>");
  RecordingEvents a, b;
  ASSERT_EQ(replayer.Replay(first.c_str(), info, players, a, a), kReplayOk);
  ASSERT_EQ(replayer.Replay(second.c_str(), info, players, b, b), kReplayOk);
  EXPECT_EQ(players[1].ten, 240);
  EXPECT_EQ(b.lines[b.lines.size() - 3], "OnRyuukyoku '' [250,0,250,0,250,0,250,0] 0,0,0,0");
}

TEST(GeneratedGames, ReplayExactlyAsGeneratedWithTheReferenceHandValues) {
  LogReplayer replayer;
  for (std::uint64_t seed = 1; seed <= GENERATED_GAMES; ++seed) {
    SCOPED_TRACE(seed);
    const gen::GeneratedGame game = gen::GenerateGame(seed);
    Players players;
    RecordingEvents events;
    LogInfo info;
    info.name.assign(game.name.begin(), game.name.end());
    ASSERT_EQ(replayer.Replay(game.text.c_str(), info, players, events, events), kReplayOk)
        << (events.messages.empty() ? "" : events.messages[0].text);
    ASSERT_EQ(events.hands.mismatches, 0) << events.hands.first;
    gen::EventCounts counts{};
    Lines calls, expectedCalls;
    for (const std::string& line : events.lines) {
      for (int e = 0; e < kReplayEventCount; ++e)
        counts[e] += line.substr(0, line.find(' ')) == ReplayEventName(ReplayEvent(e));
      if (line.rfind("OnNaki", 0) == 0) calls.push_back(line);
    }
    for (const gen::GenCall& c : game.calls)
      expectedCalls.push_back("OnNaki " + Join(std::array{c.who, int{c.m}, c.type, c.from}) + " " +
                              Join(c.tiles));
    EXPECT_EQ(counts, game.events);
    EXPECT_EQ(calls, expectedCalls);
    EXPECT_EQ(events.lines.back(), "OnLogEnd [" + Join(game.owari) + "]");
    for (int seat = 0; seat < 4; ++seat) {
      const Tehai& tehai = players[seat].tehai;
      std::vector<TileCode> hand(tehai.hai.begin(), tehai.hai.begin() + tehai.nHai);
      std::sort(hand.begin(), hand.end());
      EXPECT_EQ(std::tie(hand, players[seat].ten, players[seat].un),
                std::tie(game.finalHands[seat], game.finalTen[seat], game.names[seat]))
          << "seat " << seat;
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
    const std::string stem = log.stem().string();
    info.name.assign(stem.begin(), stem.end());
    dump::DumpEvents(replayer, text.c_str(), info, out);
    EXPECT_TRUE(out == ReadBytes(fs::path(log).replace_extension(".jsonl"))) << "differs: " << log;
    dump::DumpSummary(replayer, text.c_str(), info, log.filename().string(), summary);
  }
  EXPECT_EQ(summary, ReadBytes(kGolden / "summary.jsonl"));
  std::string missing = "stale";
  EXPECT_FALSE(ReadLogFile((kGolden / "missing.mjlog").string().c_str(), missing));
  EXPECT_TRUE(missing.empty());
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
    dump::AppendJsonString(out, in);
    EXPECT_EQ(out, want) << in;
  }
  std::string wide;
  dump::AppendJsonString(wide, std::u16string{u'a', 0x3042, 0xD83D, 0xDE00, 0xD800, 0xFF80});
  EXPECT_EQ(wide, "\"a\xE3\x81\x82\xF0\x9F\x98\x80\\uD800\xEF\xBE\x80\"");
}

}  // namespace
}  // namespace zuvelo
