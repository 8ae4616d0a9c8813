// Event lines and summary lines of mjlog-dump.
#include "mjlog_dump/json_dump.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace zuvelo::dump {
namespace {

void AppendInt(std::string& out, long long value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

// Shortest text that reads back as the same double; JSON has no NaN or infinity.
void AppendReal(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

template <typename T, typename Append>
void AppendArray(std::string& out, const T& values, Append append) {
  out += '[';
  bool first = true;
  for (const auto& value : values) {
    if (!first) out += ',';
    first = false;
    append(out, value);
  }
  out += ']';
}

void AppendInts(std::string& out, std::span<const std::int32_t> values) {
  AppendArray(out, values, [](std::string& o, std::int32_t v) { AppendInt(o, v); });
}

void AppendEscape(std::string& out, unsigned code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04X", code);
  out += buffer;
}

// Length of the valid UTF-8 sequence at s, or 0.
std::size_t Utf8Length(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned b = byte(0);
  const std::size_t n = b < 0x80             ? 1
                        : (b & 0xE0) == 0xC0 ? 2
                        : (b & 0xF0) == 0xE0 ? 3
                        : (b & 0xF8) == 0xF0 ? 4
                                             : 0;
  if (n == 0 || n > s.size() || (n == 2 && b < 0xC2)) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  return n;
}

void AppendSeat(std::string& out, const Player& player) {
  const Tehai& t = player.tehai;
  out += "{\"ten\":";
  AppendInt(out, player.ten);
  out += ",\"hai\":";
  AppendArray(out, std::span(t.hai.data(), static_cast<std::size_t>(std::clamp(t.nHai, 0, 14))),
              [](std::string& o, TileCode c) { AppendInt(o, c); });
  out += ",\"nHai\":";
  AppendInt(out, t.nHai);
  out += ",\"syanten\":";
  AppendInt(out, t.Syanten());
  out += ",\"machi\":";
  AppendArray(out, t.machi, [](std::string& o, TileKind k) { AppendInt(o, k); });
  out += ",\"furiten\":";
  out += t.furiten ? "true" : "false";
  out += ",\"naki\":";
  AppendArray(out, t.nakiList, [](std::string& o, std::uint16_t m) { AppendInt(o, m); });
  out += '}';
}

// Writes each event as it arrives, with the seats as they are at that moment.
class EventLines : public ReplayEvents {
 public:
  EventLines(const Players& players, std::string& out) : players_(players), out_(out) {}

  EventSet Supplied() const override { return EventSet::All(); }

  int OnLogBegin(const LogInfo& info, const Players& players) override {
    Begin(ReplayEvent::kLogBegin);
    AppendJsonString(out_, info.name);
    out_ += ',';
    AppendArray(out_, players, [](std::string& o, const Player& p) { AppendJsonString(o, p.un); });
    return End();
  }
  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> dora) override {
    Begin(ReplayEvent::kSceneBegin);
    for (std::int32_t value : seed) {
      AppendInt(out_, value);
      out_ += ',';
    }
    AppendInts(out_, dora);
    return End();
  }
  int OnTsumo(int who, int hai) override { return Pair(ReplayEvent::kTsumo, who, hai); }
  int OnDahai(int who, int hai) override { return Pair(ReplayEvent::kDahai, who, hai); }
  int OnNaki(const NakiEvent& e) override {
    Begin(ReplayEvent::kNaki);
    for (int value : {e.who, static_cast<int>(e.m), static_cast<int>(e.call.type), e.call.from}) {
      AppendInt(out_, value);
      out_ += ',';
    }
    for (std::size_t i = 0; i < e.call.tiles.size(); ++i) {
      if (i) out_ += ',';
      AppendInt(out_, e.call.tiles[i]);
    }
    return End();
  }
  int OnDora(int hai) override {
    Begin(ReplayEvent::kDora);
    AppendInt(out_, hai);
    return End();
  }
  int OnReach(int who) override {
    Begin(ReplayEvent::kReach);
    AppendInt(out_, who);
    return End();
  }
  int OnAgari(const AgariEvent& e) override {
    Begin(ReplayEvent::kAgari);
    AppendInt(out_, e.who);
    for (std::int32_t value : e.ten) {
      out_ += ',';
      AppendInt(out_, value);
    }
    for (auto list : {e.yaku, e.yakuman, e.doraHaiUra}) {
      out_ += ',';
      AppendInts(out_, list);
    }
    out_ += ',';
    AppendArray(out_, e.sc, [](std::string& o, double v) { AppendReal(o, v); });
    out_ += ',';
    AppendInt(out_, e.paoWho);
    out_ += ',';
    AppendInt(out_, e.fromWho);
    return End();
  }
  int OnRyuukyoku(const RyuukyokuEvent& e) override {
    Begin(ReplayEvent::kRyuukyoku);
    AppendJsonString(out_, e.type);
    out_ += ',';
    AppendInts(out_, e.sc);
    out_ += ',';
    AppendArray(out_, e.shown, [](std::string& o, bool b) { o += b ? "true" : "false"; });
    return End();
  }
  int OnSceneEnd() override {
    Begin(ReplayEvent::kSceneEnd);
    return End();
  }
  int OnLogEnd(std::span<const double> owari) override {
    Begin(ReplayEvent::kLogEnd);
    AppendArray(out_, owari, [](std::string& o, double v) { AppendReal(o, v); });
    return End();
  }

 private:
  void Begin(ReplayEvent event) {
    out_ += "{\"event\":\"";
    out_ += ReplayEventName(event);
    out_ += "\",\"args\":[";
  }
  int End() {
    out_ += "],\"seats\":";
    AppendArray(out_, players_, AppendSeat);
    out_ += "}\n";
    return 0;
  }
  int Pair(ReplayEvent event, int a, int b) {
    Begin(event);
    AppendInt(out_, a);
    out_ += ',';
    AppendInt(out_, b);
    return End();
  }

  const Players& players_;
  std::string& out_;
};

// Counts rounds, wins, drawn rounds and calls by kind.
class SummaryCounts : public ReplayEvents {
 public:
  int rounds = 0, agari = 0, ryuukyoku = 0, chi = 0, pon = 0, kan = 0, nuki = 0;

  EventSet Supplied() const override {
    return EventSet()
        .Add(ReplayEvent::kSceneBegin)
        .Add(ReplayEvent::kNaki)
        .Add(ReplayEvent::kAgari)
        .Add(ReplayEvent::kRyuukyoku);
  }
  int OnSceneBegin(std::span<const std::int32_t, 5>, std::span<const std::int32_t>) override {
    ++rounds;
    return 0;
  }
  int OnNaki(const NakiEvent& e) override {
    switch (e.call.type) {
      case NakiType::kChi:
        ++chi;
        break;
      case NakiType::kPon:
        ++pon;
        break;
      case NakiType::kNuki:
        ++nuki;
        break;
      default:
        ++kan;
        break;
    }
    return 0;
  }
  int OnAgari(const AgariEvent&) override {
    ++agari;
    return 0;
  }
  int OnRyuukyoku(const RyuukyokuEvent&) override {
    ++ryuukyoku;
    return 0;
  }
};

class KeepFirstMessage : public ReplayReporter {
 public:
  std::optional<ReplayMessage> message;
  void Report(const ReplayMessage& m) override {
    if (!message) message = m;
  }
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = Utf8Length(s.substr(i));
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || n == 0) {
      AppendEscape(out, c);  // a byte that is no UTF-8 is shown as the Latin-1 character
    } else {
      out.append(s.substr(i, n));
      i += n;
      continue;
    }
    ++i;
  }
  out += '"';
}

void AppendJsonString(std::string& out, const std::u16string& s) {
  out += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    const bool pair =
        c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000;
    if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00u);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || (c >= 0xD800 && c < 0xE000)) {
      AppendEscape(out, c);  // control characters, and lone surrogates that UTF-8 cannot hold
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  out += '"';
}

int DumpEvents(LogReplayer& replayer, const char* text, const LogInfo& info, std::string& out) {
  Players players;
  EventLines lines(players, out);
  KeepFirstMessage reporter;
  const int result = replayer.Replay(text, info, players, lines, reporter);
  out += "{\"result\":";
  AppendInt(out, result);
  out += ",\"message\":";
  if (reporter.message)
    AppendJsonString(out, reporter.message->text);
  else
    out += "null";
  out += "}\n";
  return result;
}

int DumpSummary(LogReplayer& replayer, const char* text, const LogInfo& info,
                const std::string& file, std::string& out) {
  Players players;
  SummaryCounts counts;
  KeepFirstMessage reporter;
  const int result = replayer.Replay(text, info, players, counts, reporter);
  out += "{\"log\":";
  AppendJsonString(out, file);
  out += ",\"result\":";
  AppendInt(out, result);
  const std::pair<const char*, int> fields[] = {
      {"rounds", counts.rounds}, {"agari", counts.agari}, {"ryuukyoku", counts.ryuukyoku}};
  for (const auto& [name, value] : fields) {
    out += ",\"";
    out += name;
    out += "\":";
    AppendInt(out, value);
  }
  out += ",\"naki\":{\"chi\":";
  AppendInt(out, counts.chi);
  out += ",\"pon\":";
  AppendInt(out, counts.pon);
  out += ",\"kan\":";
  AppendInt(out, counts.kan);
  out += ",\"nuki\":";
  AppendInt(out, counts.nuki);
  out += "}}\n";
  return result;
}

}  // namespace zuvelo::dump
