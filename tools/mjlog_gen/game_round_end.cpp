// A round's end: drawn rounds, the closing element and its records, and the final scores.
#include "mjlog_gen/game.h"

#include <algorithm>

#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

std::vector<int> Game::ScoreList(const RoundResult& result) const {
  std::vector<int> sc;
  for (int seat = 0; seat < 4; ++seat) {
    sc.push_back(scores_[seat] / 100);
    sc.push_back(result.deltas[seat] / 100);
    if (options_.chips) {
      sc.push_back(chips_[seat]);
      sc.push_back(result.chipDeltas[seat]);
    }
  }
  return sc;
}

RoundResult Game::Abort(const std::string& type, std::vector<int> shownSeats) {
  RoundResult r;
  r.type = type;
  r.dealerKeeps = true;
  for (int seat : shownSeats) r.shown[seat] = Sorted(seats_[seat].hand);
  return r;
}

RoundResult Game::ExhaustiveDraw() {
  RoundResult r;
  std::vector<int> tenpai, noten, nagashi;
  for (int seat = 0; seat < n_; ++seat) {
    const Seat& s = seats_[seat];
    (SyantenOf(s.hand) == 0 ? tenpai : noten).push_back(seat);
    out_.drawsReady[seat] += SyantenOf(s.hand) == 0;
    if (!s.river.empty() && !s.riverCalled &&
        std::all_of(s.river.begin(), s.river.end(),
                    [](TileCode t) { return IsTerminalOrHonour(KindOf(t)); }))
      nagashi.push_back(seat);
  }
  for (int seat : tenpai) r.shown[seat] = Sorted(seats_[seat].hand);
  r.dealerKeeps = std::find(tenpai.begin(), tenpai.end(), kyoku_) != tenpai.end();
  if (!nagashi.empty()) {
    r.type = "nm";
    for (int q : nagashi)
      for (int seat = 0; seat < n_; ++seat) {
        if (seat == q) continue;
        const int pay = q == kyoku_ || seat == kyoku_ ? 4000 : 2000;
        r.deltas[seat] -= pay;
        r.deltas[q] += pay;
      }
    return r;
  }
  if (tenpai.empty() || noten.empty()) return r;
  const int total = n_ == 4 ? 3000 : 2000;
  for (int seat : tenpai) r.deltas[seat] += total / static_cast<int>(tenpai.size());
  for (int seat : noten) r.deltas[seat] -= total / static_cast<int>(noten.size());
  return r;
}

// Applies the round's result, moves the deal on and writes the closing element, with the final
// scores when the game is over. True then.
bool Game::Finish(RoundResult& r) {
  for (int seat = 0; seat < n_; ++seat) {
    out_.calledRounds[seat] += seats_[seat].called;
    out_.readyRounds[seat] += seats_[seat].ready;
    out_.readyFuritenRounds[seat] += seats_[seat].readyFuriten;
  }
  const std::vector<int> sc = ScoreList(r);
  const int honba = honba_, sticks = sticks_;
  for (int seat = 0; seat < 4; ++seat) {
    scores_[seat] += r.deltas[seat];
    chips_[seat] += r.chipDeltas[seat];
  }
  for (RoundResult& also : r.alsoWon) {  // its list shows the scores after the first win
    also.agari.sc = ScoreList(also);
    for (int seat = 0; seat < 4; ++seat) {
      scores_[seat] += also.deltas[seat];
      chips_[seat] += also.chipDeltas[seat];
    }
  }
  if (r.win) {
    sticks_ = 0;
    honba_ = r.dealerKeeps ? honba_ + 1 : 0;
  } else {
    ++honba_;
  }
  const bool last = wind_ == (options_.southRound ? 1 : 0) && kyoku_ == n_ - 1;
  const int top =
      static_cast<int>(std::max_element(scores_.begin(), scores_.begin() + n_) - scores_.begin());
  bool over = std::any_of(scores_.begin(), scores_.begin() + n_, [](int s) { return s < 0; }) ||
              rounds_ >= 24 || (last && (!r.dealerKeeps || top == kyoku_));
  if (!r.dealerKeeps && ++kyoku_ == n_) {
    kyoku_ = 0;
    ++wind_;
  }
  const std::string owari = over ? Owari() : "";
  if (r.win) {
    r.agari.sc = sc;
    std::vector<const RoundResult*> wins{&r};
    for (const RoundResult& also : r.alsoWon) wins.push_back(&also);
    for (const RoundResult* w : wins) {
      writer_.AgariElement(w->agari, w == wins.back() ? owari : "");
      Record({GenMove::kAgari,
              w->agari.who,
              w->agari.fromWho,
              kNoTile,
              false,
              {},
              w->agari.doraHaiUra,
              w->deltas});
      Count(kAgari);
      ++out_.wins;
      CountWin(w->agari);
    }
  } else {
    std::vector<std::vector<TileCode>> shown(r.shown.begin(), r.shown.begin() + n_);
    writer_.Ryuukyoku(r.type, honba, sticks, sc, shown, owari);
    Record({GenMove::kRyuukyoku, -1, -1, kNoTile, false, {}, {}, r.deltas});
    Count(kRyuukyoku);
    out_.ryuukyokuTypes.push_back(r.type);
  }
  return over;
}

void Game::CountWin(const LogWriter::Agari& agari) {
  const int who = agari.who, from = agari.fromWho;
  if (who == from) {
    ++out_.tsumoWins[who];
  } else {
    ++out_.ronWins[who];
    ++out_.dealIns[from];
    out_.dealInPoints[from] += agari.points;
  }
  out_.winPoints[who] += agari.points;
  out_.riichiWins[who] += seats_[who].riichi;
  auto& counts = out_.yakuCounts[who];
  for (std::size_t i = 0; i + 1 < agari.yaku.size(); i += 2) {
    const int number = agari.yaku[i], han = agari.yaku[i + 1];
    counts[number] += number >= kYakuDoraFirst ? han : 1;
  }
  for (int number : agari.yakuman) ++counts[number];
}

// Final scores with points in tenths: (score - return) / 1000 plus the placing bonus, the top
// also taking the deposits left and the difference between start and return.
std::string Game::Owari() {
  std::vector<int> order(n_);
  for (int i = 0; i < n_; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return scores_[a] > scores_[b]; });
  scores_[order[0]] += sticks_ * 1000;
  sticks_ = 0;
  const int back = n_ == 4 ? 30000 : 40000;
  static const int kUma4[] = {200, 100, -100, -200};
  static const int kUma3[] = {150, 0, -150};
  std::array<int, 4> tenths{};
  for (int place = 0; place < n_; ++place) {
    const int seat = order[place];
    tenths[seat] = (scores_[seat] - back) / 100 + (n_ == 4 ? kUma4 : kUma3)[place];
    out_.placements[seat] = place + 1;
    out_.finalScores[seat] = scores_[seat];
  }
  tenths[order[0]] += n_ == 4 ? 200 : 150;
  std::string text;
  for (int seat = 0; seat < 4; ++seat) {
    AppendOwari(text, scores_[seat] / 100, false);
    AppendOwari(text, tenths[seat], true);
    if (options_.chips) {
      AppendOwari(text, chips_[seat], false);
      AppendOwari(text, chips_[seat] * 20, true);
    }
  }
  return text;
}

void Game::AppendOwari(std::string& text, long long value, bool tenths) {
  if (!text.empty()) text += ',';
  out_.owari.push_back(tenths ? static_cast<double>(value) / 10 : static_cast<double>(value));
  if (!tenths) {
    text += std::to_string(value);
    return;
  }
  if (value < 0) text += '-';
  const long long magnitude = value < 0 ? -value : value;
  text += std::to_string(magnitude / 10);
  text += '.';
  text += std::to_string(magnitude % 10);
}

}  // namespace zuvelo::gen
