// Test sinks: an event recorder that writes each event as one readable line and can fail a
// chosen event, and a reporter that keeps the messages it is handed.
#pragma once

#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "replay/replay_events.h"
#include "replay/replay_types.h"

namespace zuvelo::testing {

template <typename T>
std::string Join(std::span<const T> values) {
  std::ostringstream out;
  for (std::size_t i = 0; i < values.size(); ++i) out << (i ? "," : "") << values[i];
  return out.str();
}

class RecordingEvents : public ReplayEvents {
 public:
  explicit RecordingEvents(EventSet supplied = EventSet::All()) : supplied_(supplied) {}

  // The n-th raised event (from 1) returns result instead of 0.
  void FailAt(int n, int result) {
    failAt_ = n;
    failResult_ = result;
  }

  std::vector<std::string> lines;
  std::vector<int> tenAtEvent[4];  // each seat's score as each event saw it
  const Players* players = nullptr;

  EventSet Supplied() const override { return supplied_; }
  int OnLogBegin(const LogInfo& info, const Players& p) override {
    players = &p;
    return Record("OnLogBegin " + std::string(info.name.begin(), info.name.end()));
  }
  int OnSceneBegin(std::span<const std::int32_t, 5> seed,
                   std::span<const std::int32_t> dora) override {
    return Record("OnSceneBegin " + Join<std::int32_t>(seed) + " [" + Join(dora) + "]");
  }
  int OnTsumo(int who, int hai) override {
    return Record("OnTsumo " + std::to_string(who) + " " + std::to_string(hai));
  }
  int OnDahai(int who, int hai) override {
    return Record("OnDahai " + std::to_string(who) + " " + std::to_string(hai));
  }
  int OnNaki(const NakiEvent& e) override {
    const auto& t = e.call.tiles;
    return Record("OnNaki " + std::to_string(e.who) + " " + std::to_string(e.m) + " " +
                  std::to_string(static_cast<int>(e.call.type)) + " " +
                  std::to_string(e.call.from) + " " +
                  Join<int>(std::vector<int>(t.begin(), t.end())));
  }
  int OnDora(int hai) override { return Record("OnDora " + std::to_string(hai)); }
  int OnReach(int who) override { return Record("OnReach " + std::to_string(who)); }
  int OnAgari(const AgariEvent& e) override {
    return Record("OnAgari " + std::to_string(e.who) + " " + Join<std::int32_t>(e.ten) + " [" +
                  Join(e.yaku) + "] [" + Join(e.yakuman) + "] [" + Join(e.doraHaiUra) + "] [" +
                  Join(e.sc) + "] " + std::to_string(e.paoWho) + " " + std::to_string(e.fromWho));
  }
  int OnRyuukyoku(const RyuukyokuEvent& e) override {
    std::string shown;
    for (bool s : e.shown) shown += s ? '1' : '0';
    return Record("OnRyuukyoku '" + std::string(e.type) + "' [" + Join(e.sc) + "] " + shown);
  }
  int OnSceneEnd() override { return Record("OnSceneEnd"); }
  int OnLogEnd(std::span<const double> owari) override {
    return Record("OnLogEnd [" + Join(owari) + "]");
  }

 private:
  int Record(std::string line) {
    lines.push_back(std::move(line));
    if (players)
      for (int seat = 0; seat < 4; ++seat) tenAtEvent[seat].push_back((*players)[seat].ten);
    return static_cast<int>(lines.size()) == failAt_ ? failResult_ : 0;
  }

  EventSet supplied_;
  int failAt_ = 0;
  int failResult_ = 0;
};

class RecordingReporter : public ReplayReporter {
 public:
  std::vector<ReplayMessage> messages;
  void Report(const ReplayMessage& message) override { messages.push_back(message); }
};

}  // namespace zuvelo::testing
