// The toolbar: the "WC_TOOLBAR" wrapper window around the platform toolbar, and the buttons of
// the main window in each mode.
#pragma once

#include <windows.h>

namespace zuvelo {

inline constexpr const char* kToolbarClass = "WC_TOOLBAR";
inline constexpr int kToolbarControlId = 1;  // the platform toolbar inside the wrapper
inline constexpr int kToolbarBitmap = 173;   // 8 images of 16 by 16
inline constexpr int kToolbarHeight = 22;

enum ToolbarCommand : WORD {
  kBackCommand = 4006,
  kNextCommand = 4007,
  kHomeCommand = 4008,
  kGameCommand = 4009,
  kRefreshCommand = 4010,
  kConfigCommand = 4011,
};

// Registers "WC_TOOLBAR" for `instance`: no class style, arrow cursor, null brush. The wrapper
// makes the platform toolbar (child id 1) with its own style, sizes it to its client area,
// passes the toolbar's messages (0x0401 to 0x045A) to it, and hands its notifications and
// commands to its own parent as if they came from the wrapper.
ATOM RegisterToolbarClass(HINSTANCE instance);

// Images from bitmap 173 of `instance`, the label list, and the buttons: BACK, NEXT, REFRESH,
// separator, then in game mode GAME and a separator, then HOME and a separator.
void SetUpToolbar(HWND wrapper, HINSTANCE instance, bool game_mode);

// The right edge of the last button, found through a command id lent to it for a moment.
[[nodiscard]] int ToolbarButtonsWidth(HWND wrapper);

// The English name a button's tooltip shows, or null for an unknown command.
[[nodiscard]] const char* ToolbarTooltip(int command);

}  // namespace zuvelo
