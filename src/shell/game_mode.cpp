// The process-wide game-mode flag.
#include "shell/game_mode.h"

#include <atomic>

namespace zuvelo {
namespace {

std::atomic<bool> game_mode{true};

}  // namespace

bool GameMode() { return game_mode.load(); }

void SetGameMode(bool value) { game_mode.store(value); }

}  // namespace zuvelo
