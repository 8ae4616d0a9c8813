// Parsing and formatting of readable hands: tile notation and lines of 34 kind counts.
#include "hand/hand_notation.h"

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <vector>

namespace zuvelo {
namespace {

constexpr std::string_view kSuitLetters = "mpsz";
constexpr int kRanksPerSuit = 9;
constexpr int kHonourKinds = kKindCount - kSuitKindCount;
constexpr int kMaxCopies = 4;
constexpr int kMaxCalledSets = 4;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSuitLetter(char c) { return kSuitLetters.find(c) != std::string_view::npos; }

// Joins the parts of a message; appending also keeps clear of a false -Wrestrict that GCC 12
// reports for "literal" + std::string at -O3.
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string Column(std::size_t index) { return Join({"column ", std::to_string(index + 1)}); }

ParsedHand Fault(NotationError error, std::string message) {
  ParsedHand hand;
  hand.error = error;
  hand.message = std::move(message);
  return hand;
}

bool IsBlankText(std::string_view text) { return std::all_of(text.begin(), text.end(), IsBlank); }

// The tile totals a hand with `called` called sets may hold: 13 - 3N (waiting) or 14 - 3N.
bool FitsCalledSets(int total, int called) {
  return total == 13 - 3 * called || total == 14 - 3 * called;
}

ParsedHand CheckTotal(ParsedHand hand) {
  const int total = std::accumulate(hand.counts.begin(), hand.counts.end(), 0);
  if (FitsCalledSets(total, hand.calledSets)) return hand;
  const int called = hand.calledSets;
  return Fault(NotationError::kBadTileTotal,
               Join({std::to_string(total), " tiles do not fit ", std::to_string(called),
                     called == 1 ? " called set" : " called sets", " (expected ",
                     std::to_string(13 - 3 * called), " or ", std::to_string(14 - 3 * called),
                     called == 0 ? "; write \"+N\" for N called sets)" : ")"}));
}

// Adds the digits text[first, last) of one suit group to the hand.
ParsedHand AddGroup(ParsedHand hand, std::string_view text, std::size_t first, std::size_t last) {
  const int suit = static_cast<int>(kSuitLetters.find(text[last]));
  const int ranks = suit < 3 ? kRanksPerSuit : kHonourKinds;
  for (std::size_t i = first; i < last; ++i) {
    const int rank = text[i] - '0';
    if (rank < 1 || rank > ranks)
      return Fault(NotationError::kBadRank,
                   Join({"no tile ", text.substr(i, 1), text.substr(last, 1), " at ", Column(i),
                         " (ranks are 1..", std::to_string(ranks), ")"}));
    const int kind = suit * kRanksPerSuit + rank - 1;
    if (++hand.counts[kind] > kMaxCopies)
      return Fault(
          NotationError::kFifthCopy,
          Join({"more than four ", FormatKind(static_cast<TileKind>(kind)), " at ", Column(i)}));
  }
  return hand;
}

// "+N" at text[plus]: one digit 0..4, then only blanks.
ParsedHand ReadCalledSets(ParsedHand hand, std::string_view text, std::size_t plus) {
  const std::size_t digit = plus + 1;
  if (digit >= text.size() || text[digit] < '0' || text[digit] - '0' > kMaxCalledSets ||
      !IsBlankText(text.substr(digit + 1)))
    return Fault(
        NotationError::kBadCalledSets,
        Join({"\"+\" at ", Column(plus), " must be followed by one digit 0..4 at the end"}));
  hand.calledSets = text[digit] - '0';
  return hand;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    fields.push_back(text.substr(start, i - start));
  }
  return fields;
}

}  // namespace

ParsedHand ParseTileNotation(std::string_view text) {
  if (IsBlankText(text)) return Fault(NotationError::kEmpty, "empty hand");
  ParsedHand hand;
  constexpr std::size_t kNoRun = std::string_view::npos;
  std::size_t run = kNoRun;  // start of the digits waiting for their suit letter
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (run == kNoRun) run = i;
    } else if (IsSuitLetter(c) && run != kNoRun) {
      hand = AddGroup(std::move(hand), text, run, i);
      if (!hand.ok()) return hand;
      run = kNoRun;
    } else if (run != kNoRun && (IsBlank(c) || c == '+')) {
      return Fault(NotationError::kMissingSuit,
                   Join({"digits at ", Column(run), " have no suit letter"}));
    } else if (c == '+') {
      hand = ReadCalledSets(std::move(hand), text, i);
      if (!hand.ok()) return hand;
      return CheckTotal(std::move(hand));
    } else if (!IsBlank(c)) {
      return Fault(NotationError::kBadCharacter,
                   Join({"unexpected '", text.substr(i, 1), "' at ", Column(i)}));
    }
  }
  if (run != kNoRun)
    return Fault(NotationError::kMissingSuit,
                 Join({"digits at ", Column(run), " have no suit letter"}));
  return CheckTotal(std::move(hand));
}

ParsedHand ParseCountLine(std::string_view text) {
  const std::vector<std::string_view> fields = SplitFields(text);
  if (fields.empty()) return Fault(NotationError::kEmpty, "empty hand");
  if (fields.size() != kKindCount)
    return Fault(NotationError::kBadCount,
                 Join({"expected 34 counts, found ", std::to_string(fields.size())}));
  ParsedHand hand;
  for (int kind = 0; kind < kKindCount; ++kind) {
    const std::string_view field = fields[kind];
    if (field.size() != 1 || field[0] < '0' || field[0] - '0' > kMaxCopies)
      return Fault(NotationError::kBadCount,
                   Join({"count ", std::to_string(kind + 1), " (\"", field, "\") is not 0..4"}));
    hand.counts[kind] = static_cast<std::uint8_t>(field[0] - '0');
  }
  const int total = std::accumulate(hand.counts.begin(), hand.counts.end(), 0);
  if (total < 1 || total > 14 || total % 3 == 0)
    return Fault(NotationError::kBadTileTotal, Join({"counts total ", std::to_string(total),
                                                     " tiles; a hand holds 14 - 3N or 13 - 3N"}));
  hand.calledSets = (14 - total) / 3;
  return hand;
}

ParsedHand ParseHandLine(std::string_view text) {
  const bool countsOnly =
      std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || IsBlank(c); });
  if (countsOnly && SplitFields(text).size() > 1) return ParseCountLine(text);
  return ParseTileNotation(text);
}

std::string FormatKind(TileKind kind) {
  if (kind >= kKindCount) return "?";
  const int suit = kind / kRanksPerSuit;
  const int rank = kind % kRanksPerSuit + 1;
  return std::string{static_cast<char>('0' + rank), kSuitLetters[suit]};
}

std::string FormatTiles(const KindCounts& counts) {
  std::string text;
  for (int suit = 0; suit < 4; ++suit) {
    const int ranks = suit < 3 ? kRanksPerSuit : kHonourKinds;
    bool any = false;
    for (int rank = 0; rank < ranks; ++rank) {
      const int held = counts[suit * kRanksPerSuit + rank];
      text.append(static_cast<std::size_t>(held), static_cast<char>('1' + rank));
      any = any || held > 0;
    }
    if (any) text += kSuitLetters[suit];
  }
  return text;
}

}  // namespace zuvelo
