// The game-mode flag: set at load; start-up clears it when the program runs as log analyzer
// only, before the main window exists, and it never changes afterwards.
#pragma once

namespace zuvelo {

[[nodiscard]] bool GameMode();
void SetGameMode(bool game_mode);

}  // namespace zuvelo
