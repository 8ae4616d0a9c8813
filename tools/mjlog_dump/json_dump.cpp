// Event lines and summary lines of mjlog-dump.
#include "mjlog_dump/json_dump.h"

#include <algorithm>
#include <optional>

#include "mjlog_dump/json_text.h"

namespace zuvelo::dump {
namespace {

void AppendInts(std::string& out, std::span<const std::int32_t> values) {
  AppendArray(out, values, [](std::string& o, std::int32_t v) { AppendInt(o, v); });
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
