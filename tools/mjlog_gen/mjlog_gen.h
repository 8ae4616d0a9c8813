// Deterministic synthetic game logs: from a seed, whole games played by the rules closely
// enough to be valid logs, with what a replay of them must see. Real logs are players'
// personal data; tests, benchmarks and demos use these instead.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hand/tile.h"

namespace zuvelo::gen {

// Game type bits of the rule set; the others give the table's level.
constexpr int kGameTypeNoRedFives = 0x02, kGameTypeEastSouth = 0x08, kGameTypeThreePlayers = 0x10,
              kGameTypeFast = 0x40;
// Yaku numbers of a win element run from 0 to 54: the last three are dora, under-dora and red
// fives, written with their count as the han.
constexpr int kYakuNumbers = 55, kYakuDoraFirst = 52;

struct GenOptions {
  int players = 4;          // 4, or 3 (no chi, North set aside as nuki)
  bool southRound = true;   // east and south rounds; false: east only
  bool redFives = true;     // one red five per suit, each worth a dora; false: bit 0x02
  bool fast = false;        // the fast table: only the game type tells
  bool chips = false;       // 16-value score lists
  bool timedRoot = false;   // root tag with a time attribute
  int scenarioPercent = 6;  // rounds dealt to provoke an abortive draw or nagashi
  bool doubleRon = false;   // two players waiting on a discard both win
};

// The options the command-line tool and the tests use for a seed: mostly four players,
// every fourth game three players, some east-only, no-red-five, fast, chip and timed games.
[[nodiscard]] GenOptions OptionsForSeed(std::uint64_t seed);

// One call as the generator encoded it, to be compared with the replay's decoding.
struct GenCall {
  int who;
  std::uint16_t m;
  int type;  // the replay's type numbers: chi 0, pon 1, nuki 2, ankan 4, minkan 5, kakan 6
  int from;
  std::array<TileCode, 4> tiles;  // t1..t4 in the order the replay reports them
};

// Counts of what a replay raising every event must raise, in event order (OnLogBegin ..
// OnLogEnd).
using EventCounts = std::array<int, 11>;

// One element the generator wrote that moves the game, in the order written, so a replay or
// an export of it can be followed move by move.
struct GenMove {
  enum Kind : std::uint8_t {
    kInit,
    kDraw,
    kDiscard,
    kCall,  // the next entry of GeneratedGame::calls
    kDora,
    kReach,
    kReachAccepted,
    kAgari,
    kRyuukyoku,
  };
  Kind kind;
  int who = -1;             // the acting seat; kAgari: the winner; kInit: the dealer
  int from = -1;            // kAgari: the seat that paid, the winner itself for a self-draw
  TileCode tile = kNoTile;  // kDraw, kDiscard, kDora
  bool drawnTile = false;   // kDiscard: the tile drawn this turn, with no call since
  std::vector<int> seed{};  // kInit
  std::vector<TileCode>
      tiles{};                  // kInit: the dealt hands one after another; kAgari: ura indicators
  std::array<int, 4> points{};  // kInit: the scores; kAgari, kRyuukyoku: the score changes
};

struct GeneratedGame {
  std::string name;  // log name, e.g. "2011020312gm-00a9-0000-1a2b3c4d&tw=2"
  std::string text;
  int players = 4;
  int gameType = 0;  // as the name writes it: kGameType* bits over the table's level bits
  EventCounts events{};
  std::vector<GenCall> calls;
  std::array<std::vector<TileCode>, 4> finalHands;  // concealed tiles at the end, sorted
  std::array<int, 4> finalTen{};  // scores as the replay leaves them (last deal, riichi)
  std::vector<double> owari;
  std::array<std::u16string, 4> names;
  std::vector<std::string> ryuukyokuTypes;  // "" for exhaustive draws
  int wins = 0;
  // Per seat, for checking analyses that count by player: riichi declarations, wins by
  // self-draw and by discard, and wins paid by the seat's discard.
  std::array<int, 4> reaches{};
  std::array<int, 4> tsumoWins{};
  std::array<int, 4> ronWins{};
  std::array<int, 4> dealIns{};
  // Per seat, for the hand figures of a report: rounds with a chi, pon or open kan; the sum
  // of the dealt hands' shanten; rounds in which a discard left the hand ready, and ready on
  // a kind the seat had discarded that round; exhaustive draws (nagashi included) ended ready.
  std::array<int, 4> calledRounds{};
  std::array<int, 4> dealSyantenSum{};
  std::array<int, 4> readyRounds{};
  std::array<int, 4> readyFuritenRounds{};
  std::array<int, 4> drawsReady{};
  std::vector<GenMove> moves;
  // Per seat, for a report's results and win figures: the final placing (1 first, ties to the
  // earlier seat) and score in points; the points of the seat's wins and of the wins its
  // discards paid (the points the win element gives); wins after its riichi; and per yaku
  // number the wins that had it, dora (numbers 52 to 54) counted once per dora.
  std::array<int, 4> placements{};
  std::array<int, 4> finalScores{};
  std::array<int, 4> winPoints{};
  std::array<int, 4> dealInPoints{};
  std::array<int, 4> riichiWins{};
  std::array<std::array<int, kYakuNumbers>, 4> yakuCounts{};
};

[[nodiscard]] GeneratedGame GenerateGame(std::uint64_t seed, const GenOptions& options);
[[nodiscard]] inline GeneratedGame GenerateGame(std::uint64_t seed) {
  return GenerateGame(seed, OptionsForSeed(seed));
}

// The log's bytes gzip-compressed (level 9), as the service and a user's log folder hold them.
[[nodiscard]] std::string Gzip(const std::string& text);

// "log/201102/<name>.mjlog" (with ".gz" never added: the extension stays ".mjlog").
[[nodiscard]] std::string LogRelativePath(const std::string& name);

}  // namespace zuvelo::gen
