// The replay of one log: element rules, scene open/close, REACH steps, AGARI and RYUUKYOKU
// validation, and the stop on the first fault or failing event.
#include "replay/replay_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text_conversion.h"
#include "replay/log_header.h"
#include "replay/log_values.h"

namespace zuvelo {
namespace {

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
}

// A riichi's 1000 points; a score the log set near the lowest value stays at it.
void LowerForReach(std::int32_t& ten) {
  constexpr std::int32_t kReachCost = 10;
  ten = ten < INT32_MIN + kReachCost ? INT32_MIN : ten - kReachCost;
}

// The state of one replay that lives for a single log.
class LogRun {
 public:
  LogRun(std::string_view text, const LogInfo& info, Players& players, ReplayEvents& events,
         ReplayReporter& reporter, LogAttributes& attrs, std::vector<std::int32_t>& scTruncated)
      : text_(text),
        info_(info),
        players_(players),
        events_(events),
        reporter_(reporter),
        supplied_(events.Supplied()),
        handValues_(events.ReadsHandValues()),
        attrs_(attrs),
        scTruncated_(scTruncated) {}

  int Elements(std::size_t start);
  [[nodiscard]] bool sceneOpen() const { return sceneOpen_; }

 private:
  int Apply(const Element& element);
  int Draw(int seat, std::int32_t code);
  int Discard(int seat, std::int32_t code);
  int Init();
  int CheckInitList(const std::vector<std::int32_t>& list, std::size_t want, const char* what);
  int Naki();
  int Reach();
  int Dora();
  int Agari();
  int Ryuukyoku();

  int Fail(std::string text, MessageIcon icon = MessageIcon::kNone);
  int FailWithName(std::string head) {
    return Fail(head.append("\r\n\r\nfiletw=").append(Utf16ToUtf8(info_.name)));
  }
  int HandFault(const HandResult& result);
  int CheckWho();
  [[nodiscard]] bool Wants(ReplayEvent event) const { return supplied_.Has(event); }
  HandResult Recount1(Tehai& t) const {
    return handValues_ ? t.UpdateSyanten1() : t.CheckTileCount1();
  }
  HandResult Recount2(Tehai& t) const {
    return handValues_ ? t.UpdateSyanten2() : t.CheckTileCount2();
  }

  std::string_view text_;
  const LogInfo& info_;
  Players& players_;
  ReplayEvents& events_;
  ReplayReporter& reporter_;
  EventSet supplied_;
  bool handValues_;
  LogAttributes& attrs_;
  std::vector<std::int32_t>& scTruncated_;
  bool sceneOpen_ = false;
};

int LogRun::Fail(std::string text, MessageIcon icon) {
  reporter_.Report({std::move(text), icon});
  return kReplayFault;
}

// The hand's own faults: the full-hand and missing-tile ones are shown; for the tile-count
// ones the hand has already written the trace line, and the replay just stops.
int LogRun::HandFault(const HandResult& result) {
  if (result.ShowsMessage()) return Fail(result.Message(), MessageIcon::kError);
  return kReplayFault;
}

// No fifth seat exists: a "who" the format never writes stops the replay instead.
int LogRun::CheckWho() {
  if (attrs_.who >= 0 && attrs_.who < 4) return 0;
  return FailWithName(Format("INVALID WHO who=%d", attrs_.who));
}

int LogRun::Elements(std::size_t start) {
  LogScanner scanner(text_, start);
  for (;;) {
    const ElementKind kind = scanner.Next(attrs_);
    if (kind == ElementKind::kEnd) return 0;
    if (kind == ElementKind::kFault) {
      reporter_.Report(scanner.message());
      return kReplayFault;
    }
    if (const int rc = Apply(scanner.element())) return rc;
  }
}

int LogRun::Apply(const Element& element) {
  switch (element.kind) {
    case ElementKind::kDraw:
      return Draw(element.seat, element.code);
    case ElementKind::kDiscard:
      return Discard(element.seat, element.code);
    case ElementKind::kInit:
      return Init();
    case ElementKind::kNaki:
      return Naki();
    case ElementKind::kReach:
      return Reach();
    case ElementKind::kDora:
      return Dora();
    case ElementKind::kAgari:
      return Agari();
    case ElementKind::kRyuukyoku:
      return Ryuukyoku();
    default:
      return 0;
  }
}

int LogRun::Draw(int seat, std::int32_t code) {
  attrs_.who = seat;
  Tehai& tehai = players_[seat].tehai;
  if (HandResult r = tehai.AddHai(code); !r.ok()) return HandFault(r);
  if (HandResult r = Recount2(tehai); !r.ok()) return HandFault(r);
  return Wants(ReplayEvent::kTsumo) ? events_.OnTsumo(seat, code & 0xFF) : 0;
}

int LogRun::Discard(int seat, std::int32_t code) {
  attrs_.who = seat;
  Tehai& tehai = players_[seat].tehai;
  tehai.MarkDiscard(code);
  if (HandResult r = tehai.RemoveHai(code); !r.ok()) return HandFault(r);
  if (HandResult r = Recount1(tehai); !r.ok()) return HandFault(r);
  return Wants(ReplayEvent::kDahai) ? events_.OnDahai(seat, code & 0xFF) : 0;
}

int LogRun::CheckInitList(const std::vector<std::int32_t>& list, std::size_t want,
                          const char* what) {
  if (list.size() == want) return 0;
  return FailWithName(Format("INVALID INIT %s=%d", what, static_cast<int>(list.size())));
}

int LogRun::Init() {
  if (sceneOpen_) {
    sceneOpen_ = false;
    if (Wants(ReplayEvent::kSceneEnd))
      if (const int rc = events_.OnSceneEnd()) return rc;
  }
  if (attrs_.seed.size() < 5)
    return FailWithName(Format("INVALID INIT seed=%d", static_cast<int>(attrs_.seed.size())));
  if (int rc = CheckInitList(attrs_.ten, 4, "ten "); rc) return rc;
  for (int seat = 0; seat < 3; ++seat) {
    const char* names[] = {"hai0", "hai1", "hai2"};
    if (int rc = CheckInitList(attrs_.haiN[seat], 13, names[seat]); rc) return rc;
  }
  sceneOpen_ = true;
  for (int seat = 0; seat < 4; ++seat) {
    players_[seat].ten = attrs_.ten[seat];
    players_[seat].tehai.ResetTehai();
  }
  for (int seat = 0; seat < 4; ++seat) {
    if (attrs_.haiN[seat].size() != 13) continue;  // seat 3 of a three-player game
    Tehai& tehai = players_[seat].tehai;
    tehai.SetHaipai(attrs_.haiN[seat].data());
    if (HandResult r = Recount1(tehai); !r.ok()) return HandFault(r);
  }
  int rc = 0;
  if (Wants(ReplayEvent::kSceneBegin)) {
    const std::span<const std::int32_t> seed(attrs_.seed);
    rc = events_.OnSceneBegin(seed.first<5>(), seed.subspan(5));
  }
  for (auto& list : attrs_.haiN) list.clear();
  return rc;
}

int LogRun::Naki() {
  if (int rc = CheckWho(); rc) return rc;
  const NakiResult result = TehaiNaki(players_[attrs_.who].tehai, attrs_.m, handValues_);
  if (!result.hand.ok()) return HandFault(result.hand);
  if (!result.message.empty()) return Fail(result.message);
  if (!Wants(ReplayEvent::kNaki)) return 0;
  return events_.OnNaki({attrs_.who, static_cast<std::uint16_t>(attrs_.m), result.call});
}

int LogRun::Reach() {
  if (int rc = CheckWho(); rc) return rc;
  const int who = attrs_.who;
  switch (attrs_.step) {
    case 1:
      return Wants(ReplayEvent::kReach) ? events_.OnReach(who) : 0;
    case 2:
      LowerForReach(players_[who].ten);
      return 0;
    case 0: {
      const int rc = Wants(ReplayEvent::kReach) ? events_.OnReach(who) : 0;
      LowerForReach(players_[who].ten);  // lowered whatever the event did
      return rc;
    }
    default:
      return FailWithName(Format("INVALID REACH step=%d", attrs_.step));
  }
}

int LogRun::Dora() {
  if (attrs_.hai.size() != 1)
    return Fail(Format("INVALID DORA hai=%d\r\n", static_cast<int>(attrs_.hai.size())));
  return Wants(ReplayEvent::kDora) ? events_.OnDora(attrs_.hai[0] & 0xFF) : 0;
}

int LogRun::Agari() {
  if (int rc = CheckWho(); rc) return rc;
  if (!IsCompleteFinalScores(attrs_.sc))
    return Fail(Format("INVALID AGARI sc=%d\r\n", static_cast<int>(attrs_.sc.size())));
  if (attrs_.doraHaiUra.size() > 7)
    return Fail(
        Format("INVALID AGARI doraHaiUra=%d\r\n", static_cast<int>(attrs_.doraHaiUra.size())));
  int rc = 0;
  if (Wants(ReplayEvent::kAgari)) {
    AgariEvent agari{attrs_.who,        {},        attrs_.yaku,   attrs_.yakuman,
                     attrs_.doraHaiUra, attrs_.sc, attrs_.paoWho, attrs_.fromWho};
    for (std::size_t i = 0; i < agari.ten.size() && i < attrs_.ten.size(); ++i)
      agari.ten[i] = attrs_.ten[i];
    rc = events_.OnAgari(agari);
  }
  attrs_.paoWho = -1;
  attrs_.yaku.clear();
  attrs_.yakuman.clear();
  attrs_.doraHaiUra.clear();
  return rc;
}

int LogRun::Ryuukyoku() {
  if (!IsCompleteFinalScores(attrs_.sc))
    return Fail(Format("INVALID RYUUKYOKU sc=%d\r\n", static_cast<int>(attrs_.sc.size())));
  int rc = 0;
  if (Wants(ReplayEvent::kRyuukyoku)) {
    scTruncated_.clear();
    for (double value : attrs_.sc) scTruncated_.push_back(logtext::TruncateToInt(value));
    RyuukyokuEvent ryuukyoku{RyuukyokuTypeText(attrs_.ryuukyokuType), scTruncated_, {}};
    for (int seat = 0; seat < 4; ++seat) ryuukyoku.shown[seat] = !attrs_.haiN[seat].empty();
    rc = events_.OnRyuukyoku(ryuukyoku);
  }
  attrs_.ryuukyokuType = RyuukyokuType::kNone;
  return rc;
}

}  // namespace

LogReplayer::LogReplayer() {
  owari_.reserve(16);
  scTruncated_.reserve(16);
}

int LogReplayer::Replay(const char* text, const LogInfo& info, Players& players,
                        ReplayEvents& events, ReplayReporter& reporter) {
  const std::string_view log(text, std::strlen(text));
  const std::size_t start = FindElementStart(log);
  if (start == std::string_view::npos) return kReplayNotALog;
  ReplayMessage fault;
  if (!ReadPlayerLine(log, start, players, fault)) {
    reporter.Report(fault);
    return kReplayFault;
  }
  ReadFinalScores(log, start, owari_);
  if (!IsCompleteFinalScores(owari_)) return kReplayOk;
  const EventSet supplied = events.Supplied();
  if (supplied.Has(ReplayEvent::kLogBegin))
    if (const int rc = events.OnLogBegin(info, players)) return rc;
  if (supplied.Intersects(EventSet::PerMove())) {
    attrs_.Reset();
    LogRun replay(log, info, players, events, reporter, attrs_, scTruncated_);
    if (const int rc = replay.Elements(start)) return rc;
    if (replay.sceneOpen() && supplied.Has(ReplayEvent::kSceneEnd))
      if (const int rc = events.OnSceneEnd()) return rc;
  }
  return supplied.Has(ReplayEvent::kLogEnd) ? events.OnLogEnd(owari_) : 0;
}

int ReplayLog(const char* text, const LogInfo& info, Players& players, ReplayEvents& events,
              ReplayReporter& reporter) {
  LogReplayer replayer;
  return replayer.Replay(text, info, players, events, reporter);
}

}  // namespace zuvelo
