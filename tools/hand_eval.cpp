// hand-eval: reads hands from standard input, one per line (tile notation or 34 counts), and
// prints for each its shanten number and, when a 3n+1 hand is ready, its waits.
//
// Output, one line per hand, in input order:
//   <shanten>                                      every hand that is not a ready 3n+1 hand
//   0 <wait> <wait>... (<K> kinds, <T> tiles)      a ready 3n+1 hand; T counts the copies of
//                                                  the waits not in the hand itself
//   error: line <n>: <what is wrong>               a line that is not a hand
// Blank lines and lines starting with '#' are skipped. The exit status is 1 when any line was
// bad, 0 otherwise.
#include <array>
#include <iostream>
#include <string>

#include "hand/hand_notation.h"
#include "hand/syanten.h"

namespace {

using zuvelo::KindCounts;
using zuvelo::TileKind;

std::string Plural(int count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Evaluate(const KindCounts& counts) {
  const int syanten = zuvelo::CalcSyanten34(counts);
  int total = 0;
  for (int held : counts) total += held;
  std::string line = std::to_string(syanten);
  if (syanten != 0 || total % 3 != 1) return line;

  std::array<TileKind, zuvelo::kKindCount> waits{};
  const int kinds = zuvelo::ComputeMachi(counts, waits.data());
  int tiles = 0;
  for (int i = 0; i < kinds; ++i) {
    line += ' ';
    line += zuvelo::FormatKind(waits[i]);
    tiles += 4 - counts[waits[i]];
  }
  return line + " (" + Plural(kinds, "kind") + ", " + Plural(tiles, "tile") + ")";
}

bool Skipped(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

}  // namespace

int main() {
  std::string line;
  int number = 0;
  bool anyBad = false;
  while (std::getline(std::cin, line)) {
    ++number;
    if (Skipped(line)) continue;
    const zuvelo::ParsedHand hand = zuvelo::ParseHandLine(line);
    if (hand.ok()) {
      std::cout << Evaluate(hand.counts) << '\n';
    } else {
      std::cout << "error: line " << number << ": " << hand.message << '\n';
      anyBad = true;
    }
  }
  std::cout.flush();
  return anyBad ? 1 : 0;
}
