// What the replay reads before the element sequence: the players' line (the first UN
// element, with its percent-encoded UTF-8 names) and the final-score list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "replay/replay_types.h"

namespace zuvelo {

// Percent-decodes a name and decodes the bytes as UTF-8 into UTF-16, leniently: a lead byte
// takes its continuation bytes without checking them, four-byte leads are read as three-byte
// forms, and any other byte becomes one character sign-extended from 8 bits. A decoded zero
// byte ends the name.
[[nodiscard]] std::u16string DecodePlayerName(std::string_view encoded);

// Reads the first "<UN " after start into the players: names (missing ones empty), and "dan",
// "rate", "gold", "rc" only where they hold exactly four values; "sx" letters or 'C'. Without
// a UN element closed by ">" only the names and letters are reset. False on a malformed
// attribute, with the message in fault. text must be followed by a zero byte.
bool ReadPlayerLine(std::string_view text, std::size_t start, Players& players,
                    ReplayMessage& fault);

// The " owari=" list after start (empty when there is none). A log is complete only when it
// holds exactly 8 or 16 values.
void ReadFinalScores(std::string_view text, std::size_t start, std::vector<double>& out);

[[nodiscard]] inline bool IsCompleteFinalScores(const std::vector<double>& owari) {
  return owari.size() == 8 || owari.size() == 16;
}

}  // namespace zuvelo
