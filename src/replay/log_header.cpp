// Players' line and final scores of a log.
#include "replay/log_header.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "replay/log_values.h"

namespace zuvelo {
namespace {

using logtext::Word4;

constexpr std::uint32_t W4(const char (&s)[5]) { return Word4(s); }

int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 87;
  return c - 55;  // 'A'..'F' give 10..15; other characters give what they give
}

std::string PercentDecode(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%' && i + 2 < in.size()) {
      const int hi = HexDigitValue(static_cast<unsigned char>(in[i + 1]));
      const int lo = HexDigitValue(static_cast<unsigned char>(in[i + 2]));
      out.push_back(static_cast<char>((hi << 4 | lo) & 0xFF));
      i += 2;
    } else {
      out.push_back(in[i]);
    }
  }
  return out;
}

// The name's value: raw bytes from v up to the closing quote, never past the element's ">".
std::string_view QuotedText(const char* v, const char* gt) {
  const char* end = std::find(v, gt, '"');
  return {v, static_cast<std::size_t>(end - v)};
}

struct PlayerLineValues {
  std::array<std::string_view, 4> names;
  std::vector<std::int32_t> dan, gold, rc;
  std::vector<double> rate;
  std::string_view sx;
};

void ApplyPlayerLine(const PlayerLineValues& line, Players& players) {
  const bool sxUsable = line.sx.size() == 7;
  for (std::size_t i = 0; i < 4; ++i) {
    Player& player = players[i];
    player.un = DecodePlayerName(line.names[i]);
    if (line.dan.size() == 4) player.dan = line.dan[i];
    if (line.rate.size() == 4) player.rate = logtext::TruncateToInt(line.rate[i]);
    if (line.gold.size() == 4) player.gold = line.gold[i];
    if (line.rc.size() == 4) player.rc = line.rc[i];
    player.sx = sxUsable ? static_cast<unsigned char>(line.sx[2 * i]) : 'C';
  }
}

}  // namespace

std::u16string DecodePlayerName(std::string_view encoded) {
  std::string bytes = PercentDecode(encoded);
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  std::u16string out;
  out.reserve(bytes.size());
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned b1 = byteAt(i);
    const std::size_t left = bytes.size() - i - 1;
    if ((b1 & 0xE0) == 0xC0 || (b1 & 0xE0) == 0xE0) {
      const std::size_t need = (b1 & 0xE0) == 0xC0 ? 1 : 2;
      if (left < need) continue;  // runs into the end: the lead byte is dropped
      if (need == 1) {
        out.push_back(static_cast<char16_t>((b1 & 0x1F) << 6 | (byteAt(i + 1) & 0x3F)));
      } else {
        out.push_back(static_cast<char16_t>((b1 & 0x0F) << 12 | (byteAt(i + 1) & 0x3F) << 6 |
                                            (byteAt(i + 2) & 0x3F)));
      }
      i += need;
    } else {
      out.push_back(static_cast<char16_t>(static_cast<std::int16_t>(static_cast<std::int8_t>(b1))));
    }
  }
  return out;
}

bool ReadPlayerLine(std::string_view text, std::size_t start, Players& players,
                    ReplayMessage& fault) {
  PlayerLineValues line;
  const std::size_t un = text.find("<UN ", std::min(start, text.size()));
  const std::size_t gtAt = un == std::string_view::npos ? un : text.find('>', un);
  if (gtAt != std::string_view::npos) {
    const char* t = text.data();
    const char* gt = t + gtAt;
    for (const char* s = t + un + 3; gt - s > 4;) {
      if (*s != ' ') {
        fault = {"INVALID ATTR", MessageIcon::kError};
        return false;
      }
      const auto value = [&](int offset) { return std::min(s + offset, gt); };
      switch (Word4(s + 1)) {
        case W4("n0=\""):
          line.names[0] = QuotedText(value(5), gt);
          break;
        case W4("n1=\""):
          line.names[1] = QuotedText(value(5), gt);
          break;
        case W4("n2=\""):
          line.names[2] = QuotedText(value(5), gt);
          break;
        case W4("n3=\""):
          line.names[3] = QuotedText(value(5), gt);
          break;
        case W4("rc=\""):
          logtext::ReadIntList(value(5), line.rc);
          break;
        case W4("sx=\""):
          line.sx = QuotedText(value(5), gt);
          break;
        case W4("dan="):
          logtext::ReadIntList(value(6), line.dan);
          break;
        case W4("gold"):
          logtext::ReadIntList(value(7), line.gold);
          break;
        case W4("rate"):
          logtext::ReadRealList(value(7), line.rate);
          break;
        default:
          fault = {std::string("INVALID ATTR UN ").append(s + 1, gt + 1), MessageIcon::kNone};
          return false;
      }
      s = std::find(s + 1, gt, ' ');
    }
  }
  ApplyPlayerLine(line, players);
  return true;
}

void ReadFinalScores(std::string_view text, std::size_t start, std::vector<double>& out) {
  constexpr std::string_view kOwari = " owari=\"";
  const std::size_t at = text.find(kOwari, std::min(start, text.size()));
  if (at == std::string_view::npos) {
    out.clear();
    return;
  }
  logtext::ReadRealList(text.data() + at + kOwari.size(), out);
}

}  // namespace zuvelo
