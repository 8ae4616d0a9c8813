// Meld codes as the game server writes them, for the generator's call elements.
#pragma once

#include <cstdint>

#include "hand/tile.h"

namespace zuvelo::gen {

// from: the called tile's seat relative to the caller (1..3).
// Chi of the sequence whose lowest tile is `low` (codes low, mid, high of one suit run); the
// called tile is `called`, one of the three.
[[nodiscard]] std::uint16_t ChiCode(TileCode low, TileCode mid, TileCode high, TileCode called,
                                    int from);
// Pon of three copies of one kind; `unused` is the fourth copy's code.
[[nodiscard]] std::uint16_t PonCode(TileCode unused, TileCode called, int from);
// The added kan on the pon with code `pon`: the fourth copy joins it.
[[nodiscard]] std::uint16_t KakanCode(std::uint16_t pon);
[[nodiscard]] std::uint16_t MinkanCode(TileCode called, int from);
[[nodiscard]] std::uint16_t AnkanCode(TileCode any);
[[nodiscard]] std::uint16_t NukiCode(TileCode north);

}  // namespace zuvelo::gen
