// The inputs every hand and replay benchmark times, the same on every target: a million random
// hands of 14 and of 13 tiles, a million ready 13-tile hands, and 200 generated four-player
// logs, with a sink that counts every per-move event.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "hand/syanten.h"
#include "mjlog_gen/mjlog_gen.h"
#include "replay/log_scanner.h"
#include "replay/replay_log.h"

namespace zuvelo::bench {

inline constexpr int kHands = 1'000'000;
inline constexpr int kLogs = 200;
using Slots = std::array<TileCode, 14>;

// std::mt19937 is fully specified, the standard distributions are not: bounded draws are taken
// by remainder so that every target times the same hands.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : engine_(seed) {}
  int Below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(bound)); }

 private:
  std::mt19937 engine_;
};

// `size` distinct codes drawn from a shuffled set, in draw order.
inline Slots RandomSlots(Rng& rng, int size) {
  std::array<TileCode, kTileCodeCount> wall;
  for (int i = 0; i < kTileCodeCount; ++i) wall[i] = static_cast<TileCode>(i);
  Slots slots;
  slots.fill(kNoTile);
  for (int i = 0; i < size; ++i) {
    std::swap(wall[i], wall[i + rng.Below(kTileCodeCount - i)]);
    slots[i] = wall[i];
  }
  return slots;
}

// A complete hand: seven pairs now and then, otherwise four sets and a pair.
inline KindCounts RandomCompleteCounts(Rng& rng) {
  KindCounts counts{};
  if (rng.Below(20) == 0) {
    for (int pairs = 0; pairs < 7;) {
      const int kind = rng.Below(kKindCount);
      if (counts[kind] == 0) counts[kind] = 2, ++pairs;
    }
    return counts;
  }
  for (;;) {
    counts.fill(0);
    bool ok = true;
    for (int set = 0; set < 4 && ok; ++set) {
      if (rng.Below(2) == 0) {
        const int kind = rng.Below(kKindCount);
        ok = counts[kind] <= 1;
        if (ok) counts[kind] += 3;
      } else {
        const int kind = 9 * rng.Below(3) + rng.Below(7);
        ok = counts[kind] < 4 && counts[kind + 1] < 4 && counts[kind + 2] < 4;
        if (ok) ++counts[kind], ++counts[kind + 1], ++counts[kind + 2];
      }
    }
    const int head = rng.Below(kKindCount);
    if (ok && counts[head] <= 2) {
      counts[head] += 2;
      return counts;
    }
  }
}

// A ready 13-tile hand: a complete hand less one tile, as shuffled codes.
inline Slots RandomReadySlots(Rng& rng) {
  for (;;) {
    KindCounts counts = RandomCompleteCounts(rng);
    std::vector<TileCode> codes;
    for (int kind = 0; kind < kKindCount; ++kind) {
      std::array<int, 4> copies = {0, 1, 2, 3};
      for (int i = 0; i < 4; ++i) std::swap(copies[i], copies[i + rng.Below(4 - i)]);
      for (int c = 0; c < counts[kind]; ++c)
        codes.push_back(static_cast<TileCode>(4 * kind + copies[c]));
    }
    codes.erase(codes.begin() + rng.Below(static_cast<int>(codes.size())));
    for (int i = static_cast<int>(codes.size()) - 1; i > 0; --i)
      std::swap(codes[i], codes[rng.Below(i + 1)]);
    Slots slots;
    slots.fill(kNoTile);
    std::copy(codes.begin(), codes.end(), slots.begin());
    if (CalcSyanten14(slots.data()) == 0) return slots;
  }
}

inline const std::vector<KindCounts>& CountHands(int size) {
  static std::vector<KindCounts> hands[15];
  std::vector<KindCounts>& set = hands[size];
  if (set.empty()) {
    Rng rng(static_cast<std::uint32_t>(20240 + size));
    set.reserve(kHands);
    for (int i = 0; i < kHands; ++i) {
      const Slots slots = RandomSlots(rng, size);
      set.push_back(CountKinds(slots.data(), slots.size()));
    }
  }
  return set;
}

inline const std::vector<Slots>& ReadyHands() {
  static std::vector<Slots> set;
  if (set.empty()) {
    Rng rng(424242);
    set.reserve(kHands);
    for (int i = 0; i < kHands; ++i) set.push_back(RandomReadySlots(rng));
  }
  return set;
}

inline const std::vector<std::string>& Logs() {
  static const std::vector<std::string> logs = [] {
    std::vector<std::string> out;
    for (std::uint64_t seed = 1; out.size() < kLogs; ++seed) {
      gen::GenOptions options = gen::OptionsForSeed(seed);
      options.players = 4;
      out.push_back(gen::GenerateGame(seed, options).text);
    }
    return out;
  }();
  return logs;
}

class CountingSink : public ReplayEvents {
 public:
  long long events = 0;
  EventSet Supplied() const override { return EventSet::All(); }
  int OnLogBegin(const LogInfo&, const Players&) override { return Count(); }
  int OnSceneBegin(std::span<const std::int32_t, 5>, std::span<const std::int32_t>) override {
    return Count();
  }
  int OnTsumo(int, int) override { return Count(); }
  int OnDahai(int, int) override { return Count(); }
  int OnNaki(const NakiEvent&) override { return Count(); }
  int OnDora(int) override { return Count(); }
  int OnReach(int) override { return Count(); }
  int OnAgari(const AgariEvent&) override { return Count(); }
  int OnRyuukyoku(const RyuukyokuEvent&) override { return Count(); }
  int OnSceneEnd() override { return Count(); }
  int OnLogEnd(std::span<const double>) override { return Count(); }

 private:
  int Count() {
    ++events;
    return 0;
  }
};

class NoMessages : public ReplayReporter {
 public:
  void Report(const ReplayMessage&) override { std::abort(); }
};

// The scanner alone over every log: the number of elements it read.
inline long long ScanElements(const std::vector<std::string>& logs) {
  LogAttributes attrs;
  long long elements = 0;
  for (const std::string& log : logs) {
    attrs.Reset();
    LogScanner scanner(log, FindElementStart(log));
    for (ElementKind kind = scanner.Next(attrs);
         kind != ElementKind::kEnd && kind != ElementKind::kFault; kind = scanner.Next(attrs))
      ++elements;
  }
  return elements;
}

}  // namespace zuvelo::bench
