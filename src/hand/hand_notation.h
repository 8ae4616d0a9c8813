// Readable hands: tile notation ("123m456p789s1122z", "+N" for N called sets) and lines of 34
// kind counts, parsed into kind counts; kinds and hands formatted back ("5m", "7z").
#pragma once

#include <string>
#include <string_view>

#include "hand/tile.h"

namespace zuvelo {

enum class NotationError {
  kNone,
  kEmpty,          // nothing but blanks
  kBadCharacter,   // not a digit, suit letter, blank or "+N"
  kMissingSuit,    // digits not closed by m, p, s or z
  kBadRank,        // 0, or an honour above 7z
  kFifthCopy,      // a kind more than four times
  kBadCalledSets,  // "+" not followed by one digit 0..4 at the end
  kBadCount,       // a count field that is not 0..4, or not 34 fields
  kBadTileTotal,   // tiles do not total 14 - 3N or 13 - 3N
};

struct [[nodiscard]] ParsedHand {
  NotationError error = NotationError::kNone;
  std::string message;  // what is wrong and where (columns from 1); empty when ok()
  KindCounts counts{};
  int calledSets = 0;

  [[nodiscard]] bool ok() const { return error == NotationError::kNone; }
};

// Groups of digits each closed by a suit letter (m characters, p circles, s bamboos, z honours
// 1..7 = East South West North White Green Red), blanks allowed between groups, then an
// optional "+N" (N = 0..4 called sets). The tiles must total 14 - 3N or 13 - 3N.
ParsedHand ParseTileNotation(std::string_view text);

// 34 counts 0..4 separated by blanks, kinds in order; the called sets follow from the total,
// which must be 14 - 3N or 13 - 3N for some N = 0..4.
ParsedHand ParseCountLine(std::string_view text);

// A line of either form: a count line holds only digits and blanks, and at least one blank.
ParsedHand ParseHandLine(std::string_view text);

// "5m", "9p", "1s", "7z" (Red). Kinds outside 0..33 give "?".
[[nodiscard]] std::string FormatKind(TileKind kind);

// Tile notation of the counts, suits in the order m p s z: "123m456p789s1122z".
[[nodiscard]] std::string FormatTiles(const KindCounts& counts);

}  // namespace zuvelo
