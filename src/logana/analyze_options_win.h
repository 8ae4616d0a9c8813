// The filters and order that a page sets in the options object of analyze.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>

namespace zuvelo {

struct AnalyzeOptions {
  std::int32_t iSortAs = 1;       // 0 ascending, 1 descending
  std::wstring enumPlayer;        // empty: every player
  std::int32_t enumLobbyID = -1;  // -1: every lobby
  std::int32_t enumMatchMask = 0;
  std::int32_t enumMatch = 0;
  std::int32_t enumSkipMask = 0;
  std::int32_t enumSkip = 0;

  // The game-type tests: a mask of 0 switches its test off.
  [[nodiscard]] bool KeepsGameType(std::int32_t gameType) const {
    if (enumMatchMask != 0 && (gameType & enumMatchMask) != enumMatch) return false;
    return enumSkipMask == 0 || (gameType & enumSkipMask) != enumSkip;
  }
  [[nodiscard]] bool KeepsLobby(std::int32_t lobby) const {
    return enumLobbyID == -1 || enumLobbyID == lobby;
  }

  // Each option by name; a missing one, or one of another type than expected (a real number
  // for an integer, say), keeps its default. Traces what was read.
  [[nodiscard]] static AnalyzeOptions Read(IDispatch* options);
};

}  // namespace zuvelo
