// One generated game: the table, the wall and the players' seats, played round by round with
// a simple shanten-lowering strategy, written as a log as it goes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mjlog_gen/log_writer.h"
#include "mjlog_gen/mjlog_gen.h"
#include "mjlog_gen/rng.h"
#include "mjlog_gen/scoring.h"

namespace zuvelo::gen {

// Rounds dealt to provoke the rare endings every replay must handle.
enum class Scenario { kNone, kYao9, kKaze4, kReach4, kRon3, kKan4, kNagashi };

struct Meld {
  int type;  // GenCall type numbers
  std::vector<TileCode> tiles;
  std::uint16_t m;
  int from = 0;  // relative seat of the called tile; 0 for own tiles
};

struct Seat {
  std::vector<TileCode> hand;
  std::vector<Meld> melds;
  std::vector<TileCode> river;
  bool riverCalled = false;
  bool riichi = false;
  bool tempFuriten = false;
  int draws = 0;
  int nukis = 0;
  int kans = 0;
  int syanten = 8;              // of the hand as it waits for its next tile
  std::vector<TileKind> waits;  // when syanten is 0
  // What this round adds to the game's per-seat record.
  bool called = false;
  bool ready = false;
  bool readyFuriten = false;
};

// How a round ended, with everything its closing element needs.
struct RoundResult {
  bool win = false;
  std::string type;  // drawn rounds: "", "nm", "yao9", "kaze4", "reach4", "ron3", "kan4"
  std::array<int, 4> deltas{};
  std::array<int, 4> chipDeltas{};  // chip games: one chip from each payer of a win
  std::array<std::vector<TileCode>, 4> shown;
  bool dealerKeeps = false;
  LogWriter::Agari agari;
  int winner = -1;
  std::vector<RoundResult> alsoWon;  // a second winner on the same discard
};

enum class TurnStart { kDraw, kCalled, kKanned };  // kKanned: the replacement tile is drawn
struct Turn {
  int seat;
  TurnStart start;
};

class Game {
 public:
  Game(std::uint64_t seed, const GenOptions& options);
  GeneratedGame Play();

 private:
  void WriteHeader();
  std::vector<int> TenList() const;

  // Dealing.
  void DealRound();
  void FillScenarioHands(std::vector<TileCode>& pool, std::vector<TileCode>& stacked);
  bool TakeSet(std::vector<TileCode>& pool, std::vector<TileCode>& hand, bool simplesOnly);
  bool TakeKind(std::vector<TileCode>& pool, std::vector<TileCode>& hand, int kind);

  // Turns.
  bool PlayRound();  // true when the game is over
  void Draw(int seat, TileCode tile, bool rinshan);
  std::optional<RoundResult> SelfActions(int seat);
  void Discard(int seat, TileCode tile);
  void UpdateWaiting(int seat);
  Turn AfterDiscard(int seat, TileCode tile, bool declared, std::optional<RoundResult>& end);
  void CompleteRiichi(int seat);

  // Choices.
  bool WantsRiichi(int seat);
  TileCode ChooseDiscard(int seat, bool declaring);
  std::optional<TileCode> ForcedDiscard(int seat);

  // Calls.
  bool TryNuki(int seat);
  bool TryAnkan(int seat);
  bool TryKakan(int seat);
  std::optional<Turn> TryCalls(int discarder, TileCode tile);
  bool TryPonOrKan(int seat, int discarder, TileCode tile, bool& minkan);
  bool TryChi(int seat, int discarder, TileCode tile);
  void AfterKan(int seat);
  void Call(int seat, const Meld& meld, const std::array<TileCode, 4>& order);
  int Shanten13AfterTaking(int seat, std::vector<TileCode> taken);

  // Wins.
  bool CanWin(int seat, TileCode tile, bool tsumo, WinValue* value);
  bool IsFuriten(int seat);
  std::optional<RoundResult> Rons(int discarder, TileCode tile);
  RoundResult Win(int winner, int from, TileCode tile, const WinValue& value);

  // A round's end.
  RoundResult Abort(const std::string& type, std::vector<int> shownSeats);
  RoundResult ExhaustiveDraw();
  bool Finish(RoundResult& result);
  std::vector<int> ScoreList(const RoundResult& result) const;
  void CountWin(const LogWriter::Agari& agari);
  std::string Owari();
  void AppendOwari(std::string& text, long long value, bool tenths);

  [[nodiscard]] int LiveLeft() const { return liveEnd_ - front_; }
  [[nodiscard]] bool Closed(int seat) const;
  [[nodiscard]] int Relative(int caller, int discarder) const {
    return (discarder - caller + 4) % 4;
  }
  void Count(int event) { ++out_.events[event]; }
  void Record(GenMove move) { out_.moves.push_back(std::move(move)); }

  Rng rng_;
  GenOptions options_;
  int n_;
  LogWriter writer_;
  GeneratedGame out_;

  // game
  std::array<int, 4> scores_{};
  std::array<int, 4> chips_{};
  int wind_ = 0, kyoku_ = 0, honba_ = 0, sticks_ = 0, rounds_ = 0;
  std::array<std::string, 4> names_;

  // round
  Scenario scenario_ = Scenario::kNone;
  int scenarioSeat_ = -1;
  int scenarioKind_ = -1;
  std::array<Seat, 4> seats_;
  std::vector<TileCode> wall_;
  std::vector<TileCode> dead_;
  int front_ = 0, liveEnd_ = 0, doraCount_ = 1, kansTotal_ = 0, riichiCount_ = 0;
  int discards_ = 0;
  bool anyCall_ = false, kan4Pending_ = false, rinshan_ = false;
  TileCode lastDrawn_ = kNoTile;
  std::vector<TileKind> firstDiscardKinds_;
  std::array<int, 4> tenAtInit_{};
  int byeSeat_ = -1;
};

}  // namespace zuvelo::gen
