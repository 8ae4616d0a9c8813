// Element scanner: elements are classified by their first two characters and attributes by
// where their "=" stands and their first bytes as one word, without building any tree.
#include "replay/log_scanner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "replay/log_values.h"

namespace zuvelo {

using logtext::IsDigit;
using logtext::ReadDigit;
using logtext::ReadInt;
using logtext::ReadIntList;
using logtext::ReadRealList;
using logtext::Word2;
using logtext::Word4;

namespace {

constexpr std::string_view kRootPlain = "<mjloggm ver=\"2.3\">";
constexpr std::string_view kRootTimed = "<mjloggm ver=\"2.3\" time=\"";
constexpr std::size_t kMinElement = 4;
constexpr std::size_t kMaxElement = 4096;
// An over-long element may run to the end of a 16 MiB text: its message shows only its start.
constexpr std::size_t kQuotedElement = 200;

constexpr std::uint16_t W2(const char (&s)[3]) { return Word2(s); }
constexpr std::uint32_t W4(const char (&s)[5]) { return Word4(s); }

// Names recognised and ignored inside the element sequence, by their first four letters.
constexpr std::uint32_t kIgnoredLongNames[] = {
    W4("yama"), W4("lobb"), W4("shib"), W4("gold"), W4("rate"),
    W4("shuf"), W4("mach"), W4("rati"), W4("chip"), W4("owar"),
};

bool IsIgnoredLongName(std::uint32_t word) {
  for (std::uint32_t w : kIgnoredLongNames)
    if (w == word) return true;
  return false;
}

RyuukyokuType ReadRyuukyokuType(const char* v) {
  if (IsDigit(*v)) {
    (void)ReadInt(v);  // a number selects no type
    return RyuukyokuType::kNone;
  }
  for (int i = 0; i < 4; ++i)
    if (v[i] == '\0') return RyuukyokuType::kNone;
  switch (Word4(v)) {
    case W4("yao9"):
      return RyuukyokuType::kYao9;
    case W4("ron3"):
      return RyuukyokuType::kRon3;
    case W4("kan4"):
      return RyuukyokuType::kKan4;
    case W4("reac"):
      return RyuukyokuType::kReach4;
    case W4("kaze"):
      return RyuukyokuType::kKaze4;
    case W4("nm\" "):
      return RyuukyokuType::kNm;  // only when another attribute follows
    default:
      return RyuukyokuType::kNone;
  }
}

ElementKind KindOfName(std::uint16_t name) {
  switch (name) {
    case W2("IN"):
      return ElementKind::kInit;
    case W2("N "):
      return ElementKind::kNaki;
    case W2("RE"):
      return ElementKind::kReach;
    case W2("DO"):
      return ElementKind::kDora;
    case W2("AG"):
      return ElementKind::kAgari;
    case W2("RY"):
      return ElementKind::kRyuukyoku;
    case W2("SH"):
    case W2("GO"):
    case W2("UN"):
    case W2("TA"):
    case W2("BY"):
      return ElementKind::kIgnored;
    default:
      return ElementKind::kFault;
  }
}

// Draw letters T..W give seats 0..3, discard letters D..G give 4..7, anything else -1.
constexpr std::array<std::int8_t, 256> kMoveLetters = [] {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (int seat = 0; seat < 4; ++seat) {
    table[static_cast<unsigned char>("TUVW"[seat])] = static_cast<std::int8_t>(seat);
    table[static_cast<unsigned char>("DEFG"[seat])] = static_cast<std::int8_t>(4 + seat);
  }
  return table;
}();

// The first c in [p, end), or nullptr. A machine word at a time (eight bytes, or four on 32-bit
// targets, where a 64-bit word is two registers): a byte equal to c becomes a zero byte of
// word ^ pattern, and the classic zero-byte test finds the first one. The test's false hits lie
// only above a true one, so the lowest hit is exact.
const char* FindByte(const char* p, const char* end, char c) {
  static_assert(std::endian::native == std::endian::little, "byte order of the word scan");
  using Word = std::uintptr_t;
  constexpr Word kOnes = ~Word{0} / 0xFF;
  const Word pattern = kOnes * static_cast<unsigned char>(c);
  for (; end - p >= static_cast<std::ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    const Word x = word ^ pattern;
    const Word hits = (x - kOnes) & ~x & (kOnes << 7);
    if (hits) return p + (std::countr_zero(hits) >> 3);
  }
  for (; p < end; ++p)
    if (*p == c) return p;
  return nullptr;
}

}  // namespace

std::string_view RyuukyokuTypeText(RyuukyokuType type) {
  switch (type) {
    case RyuukyokuType::kYao9:
      return "yao9";
    case RyuukyokuType::kRon3:
      return "ron3";
    case RyuukyokuType::kKan4:
      return "kan4";
    case RyuukyokuType::kReach4:
      return "reach4";
    case RyuukyokuType::kKaze4:
      return "kaze4";
    case RyuukyokuType::kNm:
      return "nm";
    case RyuukyokuType::kNone:
      break;
  }
  return "";
}

LogAttributes::LogAttributes() {
  // Enough for every list of a well-formed log, so a replay allocates nothing per element.
  for (auto* list : {&seed, &ten, &hai, &yaku, &yakuman, &doraHaiUra}) list->reserve(32);
  for (auto& list : haiN) list.reserve(16);
  sc.reserve(16);
}

void LogAttributes::Reset() {
  who = -1;
  m = 0;
  fromWho = -1;
  paoWho = -1;
  step = 0;
  ryuukyokuType = RyuukyokuType::kNone;
  for (auto* list : {&seed, &ten, &hai, &yaku, &yakuman, &doraHaiUra}) list->clear();
  for (auto& list : haiN) list.clear();
  sc.clear();
}

std::size_t FindElementStart(std::string_view text) {
  if (text.substr(0, kRootPlain.size()) == kRootPlain) return kRootPlain.size();
  if (text.substr(0, kRootTimed.size()) != kRootTimed) return std::string_view::npos;
  std::size_t next = text.find('<', kRootTimed.size());
  return next == std::string_view::npos ? text.size() : next;
}

// Built by appending: GCC 12 misreports "literal" + std::string as an overlapping copy.
ElementKind LogScanner::Fail(MessageIcon icon, std::string_view head, std::string_view tail) {
  message_.text.assign(head).append(tail);
  message_.icon = icon;
  element_.kind = ElementKind::kFault;
  return ElementKind::kFault;
}

ElementKind LogScanner::Found(ElementKind kind, std::size_t next) {
  element_.kind = kind;
  pos_ = next;
  return kind;
}

const char* LogScanner::ValueAt(std::size_t r, std::size_t offset, std::size_t q) const {
  return text_.data() + std::min(r + offset, q);
}

ElementKind LogScanner::Next(LogAttributes& attrs) {
  const char* t = text_.data();
  const std::size_t p = pos_;
  if (p >= text_.size() || t[p] != '<' || t[p + 1] == '/') return Found(ElementKind::kEnd, p);
  const char* gt = FindByte(t + p + 1, t + text_.size(), '>');
  if (!gt) return Fail(MessageIcon::kError, "MISSING >\r\n");
  const std::size_t q = static_cast<std::size_t>(gt - t) + 1;
  const std::string_view element = text_.substr(p, q - p);
  if (q - p < kMinElement || q - p > kMaxElement) {
    char head[32];
    std::snprintf(head, sizeof head, "q-p=%d\r\n", static_cast<int>(q - p));
    return Fail(MessageIcon::kError, head,
                std::string(element.substr(0, kQuotedElement)).append("\r\n"));
  }
  if (IsDigit(t[p + 2])) {
    const char letter = t[p + 1];
    const int move = kMoveLetters[static_cast<unsigned char>(letter)];
    if (move < 0) {
      const char tail[] = {letter, '\r', '\n'};
      return Fail(MessageIcon::kError, "INVALID NODENAME ", {tail, sizeof tail});
    }
    element_.seat = move & 3;
    element_.code = ReadInt(t + p + 2);
    return Found(move < 4 ? ElementKind::kDraw : ElementKind::kDiscard, q);
  }
  if (!ReadAttributes(p, q, attrs)) return ElementKind::kFault;
  const ElementKind kind = KindOfName(Word2(t + p + 1));
  if (kind == ElementKind::kFault) return Fail(MessageIcon::kError, "INVALID NODENAME ", element);
  return Found(kind, q);
}

bool LogScanner::ReadAttributes(std::size_t p, std::size_t q, LogAttributes& attrs) {
  for (std::size_t r = p;; ++r) {
    const char* space = FindByte(text_.data() + r, text_.data() + q, ' ');
    if (!space) return true;
    r = static_cast<std::size_t>(space - text_.data());
    if (q - r < 5) return true;
    if (!ReadAttribute(p, r, q, attrs)) return false;
  }
}

bool LogScanner::ReadAttribute(std::size_t p, std::size_t r, std::size_t q, LogAttributes& attrs) {
  const char* t = text_.data();
  if (t[r + 2] == '=') {
    if (t[r + 1] != 'm') {
      Fail(MessageIcon::kError, "INVALID = *** ", text_.substr(p, q - p));
      return false;
    }
    attrs.m = ReadInt(ValueAt(r, 4, q));
    return true;
  }
  if (t[r + 3] == '=') {
    switch (Word2(t + r + 1)) {
      case W2("sc"):
        ReadRealList(ValueAt(r, 5, q), attrs.sc);
        return true;
      case W2("n0"):
      case W2("n1"):
      case W2("n2"):
      case W2("n3"):
      case W2("ba"):
      case W2("rc"):
      case W2("sx"):
        return true;
      default:
        Fail(MessageIcon::kNone, "INVALID ATTR t+2 ", text_.substr(p, q - p));
        return false;
    }
  }
  if (t[r + 4] == '=') {
    switch (Word4(t + r + 1)) {
      case W4("who="):
        attrs.who = ReadDigit(ValueAt(r, 6, q));
        return true;
      case W4("hai="):
        ReadIntList(ValueAt(r, 6, q), attrs.hai);
        return true;
      case W4("ten="):
        ReadIntList(ValueAt(r, 6, q), attrs.ten);
        return true;
      case W4("oya="):
      case W4("ref="):
      case W4("dan="):
        return true;
      default:
        Fail(MessageIcon::kNone, "INVALID ATTR t+3 ", text_.substr(r + 1, q - r - 1));
        return false;
    }
  }
  return ReadLongAttribute(r, q, attrs);
}

bool LogScanner::ReadLongAttribute(std::size_t r, std::size_t q, LogAttributes& attrs) {
  const char* t = text_.data();
  const std::uint32_t name = Word4(t + r + 1);
  switch (name) {
    case W4("seed"):
      ReadIntList(ValueAt(r, 7, q), attrs.seed);
      return true;
    case W4("step"):
      attrs.step = ReadDigit(ValueAt(r, 7, q));
      return true;
    case W4("type"):
      attrs.ryuukyokuType = ReadRyuukyokuType(ValueAt(r, 7, q));
      return true;
    case W4("hai0"):
      ReadIntList(ValueAt(r, 7, q), attrs.haiN[0]);
      return true;
    case W4("hai1"):
      ReadIntList(ValueAt(r, 7, q), attrs.haiN[1]);
      return true;
    case W4("hai2"):
      ReadIntList(ValueAt(r, 7, q), attrs.haiN[2]);
      return true;
    case W4("hai3"):
      ReadIntList(ValueAt(r, 7, q), attrs.haiN[3]);
      return true;
    case W4("yaku"):
      if (t[r + 5] == '=')
        ReadIntList(ValueAt(r, 7, q), attrs.yaku);
      else
        ReadIntList(ValueAt(r, 10, q), attrs.yakuman);
      return true;
    case W4("dora"):
      if (r + 11 < q && t[r + 11] == '=') ReadIntList(ValueAt(r, 13, q), attrs.doraHaiUra);
      return true;
    case W4("from"):
      attrs.fromWho = ReadDigit(ValueAt(r, 10, q));
      return true;
    case W4("paoW"):
      attrs.paoWho = ReadDigit(ValueAt(r, 9, q));
      return true;
    default:
      if (IsIgnoredLongName(name)) return true;
      Fail(MessageIcon::kNone, "INVALID ATTR t", text_.substr(r + 1, q - r - 1));
      return false;
  }
}

}  // namespace zuvelo
