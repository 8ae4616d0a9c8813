// Meld code encoding: the bit layout the replay decodes, built from the tiles of a call.
#include "mjlog_gen/meld_codes.h"

namespace zuvelo::gen {

std::uint16_t ChiCode(TileCode low, TileCode mid, TileCode high, TileCode called, int from) {
  const int kind = KindOf(low);
  const int sequence = kind / 9 * 7 + kind % 9;
  const int k = called == low ? 0 : called == mid ? 1 : 2;
  return static_cast<std::uint16_t>((sequence * 3 + k) << 10 | (high % 4) << 7 | (mid % 4) << 5 |
                                    (low % 4) << 3 | 0x4 | from);
}

std::uint16_t PonCode(TileCode unused, TileCode called, int from) {
  const int kind = KindOf(unused);
  // k: the called copy's place among the three used copies, ascending.
  int k = 0;
  for (int copy = 0; copy < called % 4; ++copy)
    if (copy != unused % 4) ++k;
  return static_cast<std::uint16_t>((kind * 3 + k) << 9 | (unused % 4) << 5 | 0x8 | from);
}

std::uint16_t KakanCode(std::uint16_t pon) { return static_cast<std::uint16_t>(pon ^ 0x18); }

std::uint16_t MinkanCode(TileCode called, int from) {
  return static_cast<std::uint16_t>(called << 8 | from);
}

std::uint16_t AnkanCode(TileCode any) { return static_cast<std::uint16_t>(any << 8); }

std::uint16_t NukiCode(TileCode north) { return static_cast<std::uint16_t>(north << 8 | 0x20); }

}  // namespace zuvelo::gen
