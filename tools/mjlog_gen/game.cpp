// A generated game from its players and header to the last element, round after round.
#include "mjlog_gen/game.h"

#include <algorithm>
#include <cstdio>

#include "base/text_conversion.h"
#include "mjlog_gen/game_detail.h"

namespace zuvelo::gen {
using namespace detail;

Game::Game(std::uint64_t seed, const GenOptions& options)
    : rng_(seed), options_(options), n_(options.players == 3 ? 3 : 4) {
  out_.players = n_;
}

GeneratedGame Game::Play() {
  WriteHeader();
  Count(kLogBegin);
  while (!PlayRound()) {
  }
  writer_.End();
  Count(kLogEnd);
  for (int seat = 0; seat < 4; ++seat) {
    out_.finalHands[seat] = Sorted(seats_[seat].hand);
    out_.finalTen[seat] = tenAtInit_[seat];
  }
  out_.text = writer_.Take();
  for (int seat = 0; seat < 4; ++seat) out_.names[seat] = Utf8ToUtf16(names_[seat]);
  return std::move(out_);
}

void Game::WriteHeader() {
  static const char* const kNames[] = {
      "Kotaro",
      "Mizuki",
      "NoName",
      "tile_cat",
      "\xE9\x9B\x80\xE5\xA3\xAB",
      "\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86",
      "\xE3\x81\xBE\xE3\x83\xBC\xE3\x81\x98\xE3\x82\x83\xE3\x82\x93",
      "\xE3\x83\xAD\xE3\x83\xB3\xE5\xA4\xAA\xE9\x83\x8E",
      "Caf\xC3\xA9 au lait",
      "\xE5\x8C\x97\xE5\xAE\xB6",
      "\xE4\xB8\x80\xE7\x99\xBA\xE5\xB1\x8B",
      "a+b=c&d",
  };
  std::vector<std::string> names;
  std::vector<int> dan;
  std::vector<double> rate;
  std::string sx;
  for (int seat = 0; seat < 4; ++seat) {
    const bool present = seat < n_;
    names_[seat] = present ? kNames[rng_.Below(std::size(kNames))] : "";
    names.push_back(names_[seat]);
    dan.push_back(present ? rng_.Below(21) : 0);
    rate.push_back(present ? 1200.0 + rng_.Below(110000) / 100.0 : 1500.0);
    sx += std::string(seat ? "," : "") + "MFC"[present ? rng_.Below(3) : 2];
    scores_[seat] = present ? (n_ == 4 ? 25000 : 35000) : 0;
  }
  const int gameType = 0xA1 | (n_ == 3 ? kGameTypeThreePlayers : 0) |
                       (options_.southRound ? kGameTypeEastSouth : 0) |
                       (options_.redFives ? 0 : kGameTypeNoRedFives) |
                       (options_.fast ? kGameTypeFast : 0);
  out_.gameType = gameType;
  char name[64];
  std::snprintf(name, sizeof name, "%04d%02d%02d%02dgm-%04x-0000-%08x&tw=%d", 2009 + rng_.Below(4),
                1 + rng_.Below(12), 1 + rng_.Below(28), rng_.Below(24), gameType,
                static_cast<unsigned>(rng_.Next() & 0xFFFFFFFF), rng_.Below(n_));
  out_.name = name;
  writer_.Root(options_.timedRoot, 1230000000 + rng_.Below(100000000));
  std::string shuffle = "mt19937ar-sha512-n288-base64,";
  for (int i = 0; i < 40; ++i)
    shuffle += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[rng_.Below(64)];
  writer_.Shuffle(shuffle);
  writer_.Go(gameType, 0);
  writer_.Players(names, dan, rate, sx);
  writer_.Taikyoku(0);
}

bool Game::Closed(int seat) const {
  const auto& melds = seats_[seat].melds;
  return std::all_of(melds.begin(), melds.end(), [](const Meld& m) { return m.type == kAnkan; });
}

std::vector<int> Game::TenList() const {
  std::vector<int> ten;
  for (int seat = 0; seat < 4; ++seat) ten.push_back(scores_[seat] / 100);
  return ten;
}

}  // namespace zuvelo::gen
