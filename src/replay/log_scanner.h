// The element scanner of the game log format: walks the element sequence in place, reads
// every attribute into the replay's variables and classifies each element by its name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "replay/replay_types.h"

namespace zuvelo {

// The type texts a RYUUKYOKU "type" attribute can select.
enum class RyuukyokuType : std::uint8_t { kNone, kYao9, kRon3, kKan4, kReach4, kKaze4, kNm };

// The type text handed to the event: "yao9", "ron3", "kan4", "reach4", "kaze4", "nm" or "".
[[nodiscard]] std::string_view RyuukyokuTypeText(RyuukyokuType type);

// The replay's attribute variables. Any attribute of any element sets its variable or replaces
// its list; values persist from element to element until the replay resets them.
struct LogAttributes {
  int who = -1;
  std::int32_t m = 0;
  int fromWho = -1;
  int paoWho = -1;
  int step = 0;
  RyuukyokuType ryuukyokuType = RyuukyokuType::kNone;
  std::vector<std::int32_t> seed, ten, hai, yaku, yakuman, doraHaiUra;
  std::array<std::vector<std::int32_t>, 4> haiN;  // hai0..hai3
  std::vector<double> sc;

  LogAttributes();
  // Back to the values at the start of a log; the lists keep their storage.
  void Reset();
};

enum class ElementKind : std::uint8_t {
  kEnd,  // the sequence ended (not "<", or "</")
  kFault,
  kDraw,
  kDiscard,
  kInit,
  kNaki,
  kReach,
  kDora,
  kAgari,
  kRyuukyoku,
  kIgnored,  // SH.., GO.., UN.., TA.., BY..
};

struct Element {
  ElementKind kind = ElementKind::kEnd;
  int seat = 0;           // draw and discard: 0..3 from the letter
  std::int32_t code = 0;  // draw and discard: the tile code as written
};

// Where the elements of a log start: after the root's start tag, or npos when the text does
// not begin with one of the two root forms. text must be followed by a zero byte.
[[nodiscard]] std::size_t FindElementStart(std::string_view text);

class LogScanner {
 public:
  // text is the whole log and must be followed by a zero byte; start from FindElementStart.
  LogScanner(std::string_view text, std::size_t start) : text_(text), pos_(start) {}

  // The next element's kind, with its attributes read into attrs; element() has its seat and
  // tile. After kEnd or kFault the scanner stays where it is; message() holds the fault.
  // Only the kind is returned: a small struct returned by value is written in pieces and read
  // back whole, which stalls store forwarding on every element.
  ElementKind Next(LogAttributes& attrs);

  [[nodiscard]] const Element& element() const { return element_; }
  [[nodiscard]] const ReplayMessage& message() const { return message_; }

 private:
  ElementKind Fail(MessageIcon icon, std::string_view head, std::string_view tail = {});
  ElementKind Found(ElementKind kind, std::size_t next);
  bool ReadAttributes(std::size_t p, std::size_t q, LogAttributes& attrs);
  bool ReadAttribute(std::size_t p, std::size_t r, std::size_t q, LogAttributes& attrs);
  bool ReadLongAttribute(std::size_t r, std::size_t q, LogAttributes& attrs);
  // Where a value that starts `offset` bytes after the space at r begins, kept inside the text.
  [[nodiscard]] const char* ValueAt(std::size_t r, std::size_t offset, std::size_t q) const;

  std::string_view text_;
  std::size_t pos_;
  Element element_;
  ReplayMessage message_;
};

}  // namespace zuvelo
