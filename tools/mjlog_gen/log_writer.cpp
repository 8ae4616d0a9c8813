// Element text of generated logs.
#include "mjlog_gen/log_writer.h"

#include <charconv>
#include <cstdio>

namespace zuvelo::gen {

std::string PercentEncode(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

namespace {

// "n0", "hai3": appended, since GCC 12 misreports "literal" + std::string as an overlap.
std::string Numbered(std::string_view name, int index) {
  return std::string(name).append(std::to_string(index));
}

}  // namespace

void LogWriter::Number(long long value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out_.append(buffer, end);
}

void LogWriter::Attr(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  out_ += value;
  out_ += '"';
}

template <typename T>
void LogWriter::ListAttr(std::string_view name, std::span<const T> values) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out_ += ',';
    Number(static_cast<long long>(values[i]));
  }
  out_ += '"';
}

void LogWriter::Root(bool withTime, std::uint64_t time) {
  out_ = "<mjloggm ver=\"2.3\"";
  if (withTime) {
    out_ += " time=\"";
    Number(static_cast<long long>(time));
    out_ += '"';
  }
  out_ += '>';
}

void LogWriter::Shuffle(std::string_view seed) {
  out_ += "<SHUFFLE";
  Attr("seed", seed);
  Attr("ref", "");
  out_ += "/>";
}

void LogWriter::Go(int gameType, int lobby) {
  out_ += "<GO";
  Attr("type", std::to_string(gameType));
  Attr("lobby", std::to_string(lobby));
  out_ += "/>";
}

void LogWriter::Players(std::span<const std::string> names, std::span<const int> dan,
                        std::span<const double> rate, std::string_view sx) {
  out_ += "<UN";
  for (std::size_t i = 0; i < names.size(); ++i)
    Attr(Numbered("n", static_cast<int>(i)), PercentEncode(names[i]));
  ListAttr("dan", dan);
  out_ += " rate=\"";
  for (std::size_t i = 0; i < rate.size(); ++i) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%.2f", i ? "," : "", rate[i]);
    out_ += buffer;
  }
  out_ += '"';
  Attr("sx", sx);
  out_ += "/>";
}

void LogWriter::Taikyoku(int oya) {
  out_ += "<TAIKYOKU";
  Attr("oya", std::to_string(oya));
  out_ += "/>";
}

void LogWriter::Init(std::span<const int> seed, std::span<const int> ten, int oya,
                     std::span<const std::vector<TileCode>> hands) {
  out_ += "<INIT";
  ListAttr("seed", seed);
  ListAttr("ten", ten);
  Attr("oya", std::to_string(oya));
  for (std::size_t seat = 0; seat < hands.size(); ++seat)
    ListAttr(Numbered("hai", static_cast<int>(seat)), std::span<const TileCode>(hands[seat]));
  out_ += "/>";
}

void LogWriter::Draw(int seat, TileCode code) {
  out_ += '<';
  out_ += "TUVW"[seat];
  Number(code);
  out_ += "/>";
}

void LogWriter::Discard(int seat, TileCode code) {
  out_ += '<';
  out_ += "DEFG"[seat];
  Number(code);
  out_ += "/>";
}

void LogWriter::Naki(int who, std::uint16_t m) {
  out_ += "<N";
  Attr("who", std::to_string(who));
  Attr("m", std::to_string(m));
  out_ += " />";
}

void LogWriter::Dora(TileCode code) {
  out_ += "<DORA";
  Attr("hai", std::to_string(code));
  out_ += " />";
}

void LogWriter::Reach(int who, int step, std::span<const int> ten) {
  out_ += "<REACH";
  Attr("who", std::to_string(who));
  if (step == 2) ListAttr("ten", ten);
  Attr("step", std::to_string(step));
  out_ += "/>";
}

void LogWriter::Bye(int who) {
  out_ += "<BYE";
  Attr("who", std::to_string(who));
  out_ += " />";
}

void LogWriter::Reconnect(int who, std::string_view name) {
  out_ += "<UN";
  Attr(Numbered("n", who), PercentEncode(name));
  out_ += " />";
}

void LogWriter::AgariElement(const Agari& a, std::string_view owari) {
  out_ += "<AGARI";
  ListAttr("ba", std::span<const int>(std::vector<int>{a.honba, a.sticks}));
  ListAttr("hai", std::span<const TileCode>(a.hai));
  if (!a.melds.empty()) ListAttr("m", std::span<const std::uint16_t>(a.melds));
  Attr("machi", std::to_string(a.machi));
  ListAttr("ten", std::span<const int>(std::vector<int>{a.fu, a.points, a.limit}));
  if (!a.yaku.empty()) ListAttr("yaku", std::span<const int>(a.yaku));
  if (!a.yakuman.empty()) ListAttr("yakuman", std::span<const int>(a.yakuman));
  ListAttr("doraHai", std::span<const TileCode>(a.doraHai));
  if (!a.doraHaiUra.empty()) ListAttr("doraHaiUra", std::span<const TileCode>(a.doraHaiUra));
  Attr("who", std::to_string(a.who));
  Attr("fromWho", std::to_string(a.fromWho));
  if (a.paoWho >= 0) Attr("paoWho", std::to_string(a.paoWho));
  ListAttr("sc", std::span<const int>(a.sc));
  if (!owari.empty()) Attr("owari", owari);
  out_ += " />";
}

void LogWriter::Ryuukyoku(std::string_view type, int honba, int sticks, std::span<const int> sc,
                          std::span<const std::vector<TileCode>> shown, std::string_view owari) {
  out_ += "<RYUUKYOKU";
  if (!type.empty()) Attr("type", type);
  ListAttr("ba", std::span<const int>(std::vector<int>{honba, sticks}));
  ListAttr("sc", sc);
  for (std::size_t seat = 0; seat < shown.size(); ++seat)
    if (!shown[seat].empty())
      ListAttr(Numbered("hai", static_cast<int>(seat)), std::span<const TileCode>(shown[seat]));
  if (!owari.empty()) Attr("owari", owari);
  out_ += " />";
}

void LogWriter::End() { out_ += "</mjloggm>"; }

}  // namespace zuvelo::gen
