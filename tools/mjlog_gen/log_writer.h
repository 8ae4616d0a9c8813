// Writes the elements of a game log in the exact shape the game server produces.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hand/tile.h"

namespace zuvelo::gen {

// Percent-encodes every byte outside the unreserved set, as the server writes player names.
[[nodiscard]] std::string PercentEncode(std::string_view utf8);

class LogWriter {
 public:
  void Root(bool withTime, std::uint64_t time);
  void Shuffle(std::string_view seed);
  void Go(int gameType, int lobby);
  // names: UTF-8; rates are written with two decimals; three players leave n3 empty.
  void Players(std::span<const std::string> names, std::span<const int> dan,
               std::span<const double> rate, std::string_view sx);
  void Taikyoku(int oya);
  void Init(std::span<const int> seed, std::span<const int> ten, int oya,
            std::span<const std::vector<TileCode>> hands);
  void Draw(int seat, TileCode code);
  void Discard(int seat, TileCode code);
  void Naki(int who, std::uint16_t m);
  void Dora(TileCode code);
  void Reach(int who, int step, std::span<const int> ten);
  void Bye(int who);
  void Reconnect(int who, std::string_view name);
  struct Agari {
    int honba, sticks;
    std::vector<TileCode> hai;  // concealed hand with the winning tile
    std::vector<std::uint16_t> melds;
    TileCode machi;
    int fu, points, limit;
    std::vector<int> yaku, yakuman;
    std::vector<TileCode> doraHai, doraHaiUra;
    int who, fromWho, paoWho;  // paoWho -1: not written
    std::vector<int> sc;
  };
  void AgariElement(const Agari& agari, std::string_view owari);
  void Ryuukyoku(std::string_view type, int honba, int sticks, std::span<const int> sc,
                 std::span<const std::vector<TileCode>> shown, std::string_view owari);
  void End();

  [[nodiscard]] const std::string& text() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  void Attr(std::string_view name, std::string_view value);
  template <typename T>
  void ListAttr(std::string_view name, std::span<const T> values);
  void Number(long long value);

  std::string out_;
};

}  // namespace zuvelo::gen
