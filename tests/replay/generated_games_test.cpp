// Replays of generated games: result 0, the events, calls, scores, hands and names the
// generator put in, every win complete and every riichi hand ready; and the generator's
// coverage of the rare endings, call kinds and game shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hand/syanten.h"
#include "mjlog_gen/mjlog_gen.h"
#include "replay/replay_log.h"
#include "replay_recorder.h"

namespace zuvelo {
namespace {

// Under Wine (and qemu for 32 bits) a game costs far more; fewer seeds keep the run short.
#if defined(_WIN32)
constexpr std::uint64_t kGames = 250;
#else
constexpr std::uint64_t kGames = 2000;
#endif

// Counts events, keeps the calls and final scores, and checks hands where the rules demand.
class CheckingSink : public ReplayEvents {
 public:
  explicit CheckingSink(const Players& players) : players_(players) {}

  gen::EventCounts counts{};
  std::vector<gen::GenCall> calls;
  std::vector<double> owari;
  std::vector<std::string> problems;

  EventSet Supplied() const override { return EventSet::All(); }
  int OnLogBegin(const LogInfo&, const Players&) override { return Bump(ReplayEvent::kLogBegin); }
  int OnSceneBegin(std::span<const std::int32_t, 5>, std::span<const std::int32_t>) override {
    reaching_ = -1;
    return Bump(ReplayEvent::kSceneBegin);
  }
  int OnTsumo(int, int) override { return Bump(ReplayEvent::kTsumo); }
  int OnDahai(int who, int hai) override {
    lastDiscard_ = hai;
    if (who == reaching_ && players_[who].tehai.syanten1 != 0)
      problems.push_back("riichi discard leaves a hand that is not ready");
    reaching_ = -1;
    return Bump(ReplayEvent::kDahai);
  }
  int OnNaki(const NakiEvent& e) override {
    calls.push_back({e.who, e.m, static_cast<int>(e.call.type), e.call.from, e.call.tiles});
    return Bump(ReplayEvent::kNaki);
  }
  int OnDora(int) override { return Bump(ReplayEvent::kDora); }
  int OnReach(int who) override {
    reaching_ = who;
    return Bump(ReplayEvent::kReach);
  }
  int OnAgari(const AgariEvent& e) override {
    const Tehai& tehai = players_[e.who].tehai;
    KindCounts counts = tehai.Counts();
    if (e.fromWho != e.who) ++counts[KindOf(static_cast<TileCode>(lastDiscard_))];
    if (CalcSyanten34(counts) != -1) problems.push_back("a win with an incomplete hand");
    return Bump(ReplayEvent::kAgari);
  }
  int OnRyuukyoku(const RyuukyokuEvent&) override { return Bump(ReplayEvent::kRyuukyoku); }
  int OnSceneEnd() override { return Bump(ReplayEvent::kSceneEnd); }
  int OnLogEnd(std::span<const double> values) override {
    owari.assign(values.begin(), values.end());
    return Bump(ReplayEvent::kLogEnd);
  }

 private:
  int Bump(ReplayEvent event) {
    ++counts[static_cast<std::size_t>(event)];
    return 0;
  }
  const Players& players_;
  int reaching_ = -1;
  int lastDiscard_ = 0;
};

bool SameCall(const gen::GenCall& a, const gen::GenCall& b) {
  return a.who == b.who && a.m == b.m && a.type == b.type && a.from == b.from && a.tiles == b.tiles;
}

std::vector<TileCode> SortedHand(const Tehai& tehai) {
  std::vector<TileCode> hand(tehai.hai.begin(), tehai.hai.begin() + tehai.nHai);
  std::sort(hand.begin(), hand.end());
  return hand;
}

struct Coverage {
  std::set<std::string> ryuukyokuTypes;
  std::set<int> callTypes;
  int threePlayerGames = 0, longOwari = 0, tsumoWins = 0, ronWins = 0, japaneseNames = 0;
};

void CheckGame(std::uint64_t seed, LogReplayer& replayer, Coverage& coverage) {
  const gen::GeneratedGame game = gen::GenerateGame(seed);
  Players players;
  CheckingSink sink(players);
  testing::RecordingReporter reporter;
  LogInfo info;
  info.name.assign(game.name.begin(), game.name.end());
  const int result = replayer.Replay(game.text.c_str(), info, players, sink, reporter);
  ASSERT_EQ(result, kReplayOk) << "seed " << seed << ": "
                               << (reporter.messages.empty() ? "" : reporter.messages[0].text);
  EXPECT_TRUE(sink.problems.empty()) << "seed " << seed << ": " << sink.problems[0];
  EXPECT_EQ(sink.counts, game.events) << "seed " << seed;
  ASSERT_EQ(sink.calls.size(), game.calls.size()) << "seed " << seed;
  for (std::size_t i = 0; i < game.calls.size(); ++i)
    EXPECT_TRUE(SameCall(sink.calls[i], game.calls[i]))
        << "seed " << seed << " call " << i << " m=" << game.calls[i].m;
  EXPECT_EQ(sink.owari, game.owari) << "seed " << seed;
  for (int seat = 0; seat < 4; ++seat) {
    EXPECT_EQ(players[seat].ten, game.finalTen[seat]) << "seed " << seed << " seat " << seat;
    EXPECT_EQ(SortedHand(players[seat].tehai), game.finalHands[seat]) << "seed " << seed;
    EXPECT_EQ(players[seat].un, game.names[seat]) << "seed " << seed;
    coverage.japaneseNames += std::any_of(game.names[seat].begin(), game.names[seat].end(),
                                          [](char16_t c) { return c >= 0x3000; });
  }
  for (const std::string& type : game.ryuukyokuTypes) coverage.ryuukyokuTypes.insert(type);
  for (const gen::GenCall& call : game.calls) coverage.callTypes.insert(call.type);
  coverage.threePlayerGames += game.players == 3;
  coverage.longOwari += game.owari.size() == 16;
}

TEST(GeneratedGames, ReplayExactlyAsGenerated) {
  LogReplayer replayer;
  Coverage coverage;
  for (std::uint64_t seed = 1; seed <= kGames; ++seed) {
    CheckGame(seed, replayer, coverage);
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(coverage.threePlayerGames, 0);
  EXPECT_GT(coverage.longOwari, 0);
  EXPECT_GT(coverage.japaneseNames, 0);
  EXPECT_EQ(coverage.callTypes, (std::set<int>{0, 1, 2, 4, 5, 6}));
  const std::set<std::string> allTypes = {"", "nm", "yao9", "kaze4", "reach4", "ron3", "kan4"};
  EXPECT_EQ(coverage.ryuukyokuTypes, allTypes);
}

TEST(GeneratedGames, TheSameSeedGivesTheSameLog) {
  for (std::uint64_t seed : {1u, 3u, 77u}) {
    const gen::GeneratedGame a = gen::GenerateGame(seed);
    const gen::GeneratedGame b = gen::GenerateGame(seed);
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.name, b.name);
    EXPECT_NE(a.text, gen::GenerateGame(seed + 1).text);
  }
}

TEST(GeneratedGames, NamesAreValidLogNamesInMonthFolders) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    const gen::GeneratedGame game = gen::GenerateGame(seed);
    const std::string& name = game.name;
    ASSERT_EQ(name.size(), 36u) << name;
    EXPECT_EQ(name.substr(10, 3), "gm-");
    EXPECT_EQ(name.substr(name.size() - 5, 4), "&tw=");
    EXPECT_LT(name.back() - '0', game.players);
    EXPECT_EQ(gen::LogRelativePath(name), "log/" + name.substr(0, 6) + "/" + name + ".mjlog");
  }
}

}  // namespace
}  // namespace zuvelo
