// Meld codes of call elements: the kind of call, the seat the tile came from and the tiles,
// and TehaiNaki, which applies a call to the caller's hand.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hand/tehai.h"

namespace zuvelo {

// The type numbers handed to OnNaki; 3 is not used.
enum class NakiType : std::int8_t {
  kUnknown = -1,
  kChi = 0,
  kPon = 1,
  kNuki = 2,
  kAnkan = 4,   // concealed kan
  kMinkan = 5,  // open kan called from a discard
  kKakan = 6,   // added kan on an earlier pon
};

struct MeldCall {
  NakiType type = NakiType::kUnknown;
  int from = 0;  // relative seat the called tile came from; 0 = the caller
  std::array<TileCode, 4> tiles{kNoTile, kNoTile, kNoTile, kNoTile};  // t1..t4
};

// Decodes the low 16 bits of a meld code.
[[nodiscard]] MeldCall DecodeMeld(std::uint16_t m);

// The caller's own tiles of a call, in the order they leave the hand.
struct HandTiles {
  std::array<TileCode, 4> codes;
  int count;
};
[[nodiscard]] HandTiles TilesFromHand(const MeldCall& call);

struct [[nodiscard]] NakiResult {
  MeldCall call;
  HandResult hand;      // a fault of RemoveHai or of the shanten update
  std::string message;  // "UNKNOWN NAKI TYPE m=%d" or "TehaiNaki INVALID Chakan"

  [[nodiscard]] bool ok() const { return hand.ok() && message.empty(); }
};

// Applies the call with meld code m (the attribute's integer) to the caller's hand: removes its
// own tiles, recomputes shanten (waits too after a kan or nuki; without handValues only the
// tile count is checked) and records the code in nakiList (an added kan replaces its pon's
// entry).
NakiResult TehaiNaki(Tehai& tehai, std::int32_t m, bool handValues = true);

}  // namespace zuvelo
