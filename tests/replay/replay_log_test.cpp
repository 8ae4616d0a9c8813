// ReplayLog: element rules, scene open/close, REACH steps, AGARI/RYUUKYOKU validation, the
// per-move skip, stopping on a failing event, and every replay message byte for byte.
#include "replay/replay_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_recorder.h"

namespace zuvelo {
namespace {

using testing::RecordingEvents;
using testing::RecordingReporter;
using Lines = std::vector<std::string>;

const std::string kRoot = "<mjloggm ver=\"2.3\">";
const std::string kOwari = " owari=\"250,0.0,250,0.0,250,0.0,250,0.0\"";
const std::string kSc = " sc=\"250,0,250,0,250,0,250,0\"";

std::string Codes(int first, int n = 13) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i) out += ',';
    out += std::to_string(first + i);
  }
  return out;
}

// Seat s is dealt codes 13s .. 13s+12; three players leave hai3 out.
std::string Init(const std::string& seed = "0,0,0,2,3,52", bool fourPlayers = true) {
  std::string init = "<INIT seed=\"" + seed + "\" ten=\"250,250,250,250\" oya=\"0\"";
  for (int seat = 0; seat < (fourPlayers ? 4 : 3); ++seat)
    init.append(" hai").append(std::to_string(seat)).append("=\"").append(Codes(13 * seat)) += '"';
  return init + "/>";
}

std::string Log(const std::string& elements) {
  return kRoot + "<UN n0=\"A\" n1=\"B\" n2=\"C\" n3=\"D\"/>" + elements + "<RYUUKYOKU" + kSc +
         kOwari + " /></mjloggm>";
}

struct Replayed {
  int result;
  Lines lines;
  std::vector<ReplayMessage> messages;
  Players players;
  std::vector<int> tenAtEvent[4];
};

Replayed Replay(const std::string& text, EventSet supplied = EventSet::All(), int failAt = 0,
                int failResult = 0) {
  RecordingEvents events(supplied);
  if (failAt) events.FailAt(failAt, failResult);
  RecordingReporter reporter;
  LogInfo info;
  info.name = u"2010010100gm-0009-0000-deadbeef&tw=0";
  Replayed run{0, {}, {}, {}, {}};
  run.result = ReplayLog(text.c_str(), info, run.players, events, reporter);
  run.lines = events.lines;
  run.messages = reporter.messages;
  for (int seat = 0; seat < 4; ++seat) run.tenAtEvent[seat] = events.tenAtEvent[seat];
  return run;
}

TEST(ReplayLog, NotALogAndIncompleteLogsRaiseNothing) {
  const Replayed notALog = Replay("<?xml version=\"1.0\"?>" + Log(Init()));
  EXPECT_EQ(notALog.result, kReplayNotALog);
  EXPECT_TRUE(notALog.lines.empty());
  std::string noOwari = Log(Init() + "<XX/>");
  noOwari.replace(noOwari.find(" owari"), 2, " x");
  const Replayed skipped = Replay(noOwari);
  EXPECT_EQ(skipped.result, kReplayOk);
  EXPECT_TRUE(skipped.lines.empty());
  EXPECT_TRUE(skipped.messages.empty());
  EXPECT_EQ(skipped.players[0].un, u"A");  // the players' line is read before the check
}

TEST(ReplayLog, WithoutPerMoveEventsTheElementsAreNeverWalked) {
  const EventSet logOnly = EventSet().Add(ReplayEvent::kLogBegin).Add(ReplayEvent::kLogEnd);
  const Replayed run = Replay(Log(Init() + "<BROKEN x=\"1\"/>"), logOnly);
  EXPECT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.lines, (Lines{"OnLogBegin 2010010100gm-0009-0000-deadbeef&tw=0",
                              "OnLogEnd [250,0,250,0,250,0,250,0]"}));
  EXPECT_TRUE(run.messages.empty());
  // One per-move event is enough to walk them.
  const Replayed walked = Replay(Log(Init() + "<BROKEN/>"), EventSet().Add(ReplayEvent::kDora));
  EXPECT_EQ(walked.result, kReplayFault);
  ASSERT_EQ(walked.messages.size(), 1u);
  EXPECT_EQ(walked.messages[0].text, "INVALID NODENAME <BROKEN/>");
}

TEST(ReplayLog, ScenesOpenAtInitAndCloseAtTheNextInitOrTheEnd) {
  const Replayed run =
      Replay(Log(Init() + "<T52/><D52/>" + Init("1,0,0,4,5,60,61") +
                 "<AGARI who=\"0\" fromWho=\"0\" ten=\"30,1500,0\" yaku=\"0,1\"" + kSc + "/>"));
  EXPECT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.lines,
            (Lines{"OnLogBegin 2010010100gm-0009-0000-deadbeef&tw=0", "OnSceneBegin 0,0,0,2,3 [52]",
                   "OnTsumo 0 52", "OnDahai 0 52", "OnSceneEnd", "OnSceneBegin 1,0,0,4,5 [60,61]",
                   "OnAgari 0 30,1500,0 [0,1] [] [] [250,0,250,0,250,0,250,0] -1 0",
                   "OnRyuukyoku '' [250,0,250,0,250,0,250,0] 0000", "OnSceneEnd",
                   "OnLogEnd [250,0,250,0,250,0,250,0]"}));
}

TEST(ReplayLog, DrawsAndDiscardsChangeTheHandBeforeTheirEvent) {
  const Replayed run = Replay(Log(Init() + "<T136/><D0/><U52/><E13/>"));
  ASSERT_EQ(run.result, kReplayOk);
  const Tehai& seat0 = run.players[0].tehai;
  EXPECT_EQ(seat0.nHai, 13);
  EXPECT_EQ(seat0.hai[0], 136);  // the last slot moved into the discarded tile's place
  EXPECT_EQ(seat0.sutehaiKinds[0], 1);
  EXPECT_EQ(run.players[1].tehai.sutehaiKinds[3], 1);
  EXPECT_EQ(run.lines[2], "OnTsumo 0 136");
}

TEST(ReplayLog, ThreePlayerRoundsLeaveSeatThreeEmpty) {
  const Replayed run = Replay(Log(Init("0,0,0,2,3,52", false) + "<T52/><D52/>"));
  ASSERT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.players[3].tehai.nHai, 0);
  EXPECT_EQ(run.players[3].tehai.Syanten(), 8);
  EXPECT_EQ(run.players[2].tehai.nHai, 13);
}

TEST(ReplayLog, ReachStepsRaiseOnceAndLowerTheScoreOnce) {
  struct Case {
    std::string reaches;
    int reachEvents;
    int ten;
  };
  const Case cases[] = {
      {"<REACH who=\"1\"/>", 1, 240},  // no step yet: event and score
      {"<REACH who=\"1\" step=\"1\"/><REACH who=\"1\" ten=\"250,250,250,250\" step=\"2\"/>", 1,
       240},
      {"<REACH who=\"1\" step=\"1\"/><REACH who=\"1\"/>", 2, 250},  // the step persists
      {"<REACH who=\"1\" step=\"2\"/><REACH who=\"1\"/>", 0, 230},
  };
  for (const Case& c : cases) {
    const Replayed run = Replay(Log(Init() + c.reaches));
    ASSERT_EQ(run.result, kReplayOk) << c.reaches;
    int reaches = 0;
    for (const std::string& line : run.lines) reaches += line == "OnReach 1";
    EXPECT_EQ(reaches, c.reachEvents) << c.reaches;
    EXPECT_EQ(run.players[1].ten, c.ten) << c.reaches;
  }
  // Without step the score drops even when the event fails.
  const Replayed failed = Replay(Log(Init() + "<REACH who=\"2\"/>"), EventSet::All(), 3, 7);
  EXPECT_EQ(failed.result, 7);
  EXPECT_EQ(failed.players[2].ten, 240);
}

TEST(ReplayLog, AgariPassesItsListsAndResetsPaoAndYakuLists) {
  const std::string first =
      "<AGARI who=\"2\" fromWho=\"1\" paoWho=\"3\" ten=\"40,8000,1\" "
      "yaku=\"1,1,52,2\" yakuman=\"39\" doraHaiUra=\"12\"" +
      kSc + "/>";
  const std::string second = "<AGARI who=\"1\" ten=\"30\"" + kSc + "/>";
  const Replayed run = Replay(Log(Init() + first + second));
  ASSERT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.lines[2], "OnAgari 2 40,8000,1 [1,1,52,2] [39] [12] [250,0,250,0,250,0,250,0] 3 1");
  // A short ten list gives zeros for what it lacks; fromWho persists, paoWho does not.
  EXPECT_EQ(run.lines[3], "OnAgari 1 30,0,0 [] [] [] [250,0,250,0,250,0,250,0] -1 1");
}

TEST(ReplayLog, RyuukyokuTellsWhichHandsAreShownAndTruncatesScores) {
  const Replayed run = Replay(Log(Init() +
                                  "<RYUUKYOKU type=\"yao9\" sc=\"250,-1.5,250,15.9,250,0,250,"
                                  "0\" hai1=\"1,2\" hai3=\"5\"/><RYUUKYOKU" +
                                  kSc + "/>"));
  ASSERT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.lines[2], "OnRyuukyoku 'yao9' [250,-1,250,15,250,0,250,0] 0101");
  EXPECT_EQ(run.lines[3], "OnRyuukyoku '' [250,0,250,0,250,0,250,0] 0101");
}

TEST(ReplayLog, CallsAndDoraReachTheirEvents) {
  // Seat 1 holds 13..25; it pons 26 from the next seat with its 24 and 25, then discards 13.
  const int pon = (6 * 3 + 2) << 9 | 3 << 5 | 8 | 1;
  const Replayed run = Replay(
      Log(Init() + "<N who=\"1\" m=\"" + std::to_string(pon) + "\"/><E13/><DORA hai=\"300\"/>"));
  ASSERT_EQ(run.result, kReplayOk) << (run.messages.empty() ? "" : run.messages[0].text);
  EXPECT_EQ(run.lines[2], "OnNaki 1 " + std::to_string(pon) + " 1 1 26,24,25,255");
  EXPECT_EQ(run.lines[4], "OnDora 44");  // low 8 bits
}

TEST(ReplayLog, AFailingEventStopsEverything) {
  const std::string text = Log(Init() + "<T52/><D52/>" + Init() + "<T52/>" + Init() + "<T52/>");
  const Replayed full = Replay(text);
  ASSERT_EQ(full.result, kReplayOk);
  const int third = 10;  // OnTsumo of the third round
  ASSERT_EQ(full.lines[third - 1], "OnTsumo 0 52");
  const Replayed stopped = Replay(text, EventSet::All(), third, -5);
  EXPECT_EQ(stopped.result, -5);
  EXPECT_EQ(stopped.lines, Lines(full.lines.begin(), full.lines.begin() + third));
}

TEST(ReplayLog, EveryReplayMessageByteForByte) {
  using I = MessageIcon;
  const std::string file = "\r\n\r\nfiletw=2010010100gm-0009-0000-deadbeef&tw=0";
  const std::string head = "<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3,4\" hai0=\"";
  const std::string hand0 = Codes(0), hand1 = Codes(13), long1 = Codes(13, 14);
  struct Case {
    std::string elements;
    std::string text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {Init("1,2,3,4"), "INVALID INIT seed=4" + file, I::kNone},
      {"<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3\" hai0=\"1\"/>", "INVALID INIT ten =3" + file,
       I::kNone},
      {"<INIT seed=\"1,2,3,4,5\" ten=\"1,2,3,4\" hai0=\"1\"/>", "INVALID INIT hai0=1" + file,
       I::kNone},
      {head + hand0 + "\" hai1=\"" + long1 + "\"/>", "INVALID INIT hai1=14" + file, I::kNone},
      {head + hand0 + "\" hai1=\"" + hand1 + "\"/>", "INVALID INIT hai2=0" + file, I::kNone},
      {Init() + "<REACH who=\"0\" step=\"3\"/>", "INVALID REACH step=3" + file, I::kNone},
      {Init() + "<DORA/>", "INVALID DORA hai=0\r\n", I::kNone},
      {Init() + "<DORA hai=\"1,2\"/>", "INVALID DORA hai=2\r\n", I::kNone},
      {Init() + "<AGARI who=\"0\" sc=\"1,2\"/>", "INVALID AGARI sc=2\r\n", I::kNone},
      {Init() + "<AGARI who=\"0\" doraHaiUra=\"1,2,3,4,5,6,7,8\"" + kSc + "/>",
       "INVALID AGARI doraHaiUra=8\r\n", I::kNone},
      {Init() + "<RYUUKYOKU sc=\"1,2,3,4,5,6,7,8,9\"/>", "INVALID RYUUKYOKU sc=9\r\n", I::kNone},
      {Init() + "<T52/><T53/>", "TEHAI FULL", I::kError},
      {Init() + "<D52/>", "INVALID TEHAI hai136=52", I::kError},
      {Init() + "<D300/>", "INVALID TEHAI hai136=44", I::kError},
      {Init() + "<T0/><N who=\"0\" m=\"41586\"/>", "INVALID TEHAI hai136=111", I::kError},
      {Init() + "<T0/><N who=\"0\" m=\"2066\"/>", "TehaiNaki INVALID Chakan", I::kNone},
      {Init() + "<N who=\"0\" m=\"33\"/>", "UNKNOWN NAKI TYPE m=33", I::kNone},
      {Init() + "<N m=\"7463\"/>", "INVALID WHO who=-1" + file, I::kNone},
      {Init() + "<N who=\"7\" m=\"7463\"/>", "INVALID WHO who=7" + file, I::kNone},
      {Init() + "<REACH who=\"4\" step=\"2\"/>", "INVALID WHO who=4" + file, I::kNone},
      {Init() + "<AGARI who=\"x\"" + kSc + "/>", "INVALID WHO who=72" + file, I::kNone},
  };
  for (const Case& c : cases) {
    const Replayed run = Replay(Log(c.elements));
    EXPECT_EQ(run.result, kReplayFault) << c.elements;
    ASSERT_EQ(run.messages.size(), 1u) << c.elements;
    EXPECT_EQ(run.messages[0].text, c.text) << c.elements;
    EXPECT_EQ(run.messages[0].icon, c.icon) << c.elements;
    for (const std::string& line : run.lines) EXPECT_NE(line.rfind("OnLogEnd", 0), 0u);
  }
}

TEST(ReplayLog, TileCountFaultsStopWithoutAMessage) {
  // A discard without a draw leaves 12 tiles: the shanten update refuses them.
  const Replayed run = Replay(Log(Init() + "<D0/>"));
  EXPECT_EQ(run.result, kReplayFault);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(run.lines.back(), "OnSceneBegin 0,0,0,2,3 [52]");
}

TEST(ReplayLog, DiscardingAWaitMakesTheHandFuritenAtOnce) {
  // 123m 456m 789m 123p 5p waits on 5p; drawing 5p's copy and discarding the other keeps the
  // wait on a kind just discarded.
  const std::string hand = "0,4,8,12,16,20,24,28,32,36,40,44,52";
  const std::string others[] = {Codes(60), Codes(80), Codes(100)};
  const std::string init = "<INIT seed=\"0,0,0,2,3,52\" ten=\"250,250,250,250\" hai0=\"" + hand +
                           "\" hai1=\"" + others[0] + "\" hai2=\"" + others[1] + "\" hai3=\"" +
                           others[2] + "\"/>";
  const Replayed run = Replay(Log(init + "<T53/><D52/>"));
  ASSERT_EQ(run.result, kReplayOk);
  EXPECT_EQ(run.players[0].tehai.machi, std::vector<TileKind>{13});
  EXPECT_TRUE(run.players[0].tehai.furiten);
}

TEST(ReplayLog, AReplayerReusedForManyLogsStartsEachLogAfresh) {
  LogReplayer replayer;
  LogInfo info;
  RecordingReporter reporter;
  Players players;
  // The first log leaves step 1 and a type behind; the second must not see them.
  const std::string first = Log(Init() + "<REACH who=\"1\" step=\"1\"/><GO type=\"kan4\"/>");
  const std::string second = Log(Init() + "<REACH who=\"1\"/>");
  RecordingEvents a, b;
  ASSERT_EQ(replayer.Replay(first.c_str(), info, players, a, reporter), kReplayOk);
  ASSERT_EQ(replayer.Replay(second.c_str(), info, players, b, reporter), kReplayOk);
  EXPECT_EQ(players[1].ten, 240);
  EXPECT_EQ(b.lines[b.lines.size() - 3], "OnRyuukyoku '' [250,0,250,0,250,0,250,0] 0000");
}

}  // namespace
}  // namespace zuvelo
