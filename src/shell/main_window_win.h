// The main window: the frame around the browser host, with the toolbar, the address box, the
// status bar and the tray icon, and the program's switchboard for named commands and the
// analyzer's main-thread calls.
#pragma once

#include <windows.h>

namespace zuvelo {

inline constexpr const char* kMainWindowClass = "WC_ZUVELO_WIN_APP LOGANA";
inline constexpr const char* kProgramCaption = "ZUVELO";
inline constexpr const char* kProgramIcon = "ICON.ICO";

enum MainWindowChild : int {
  kToolbarId = 4001,
  kStatusBarId = 4002,
  kSeparatorId = 4003,
  kBrowserHostId = 4004,
  kAddressBoxId = 4005,
};

enum MainWindowCommand : WORD {
  kLogFolderCheckCommand = 4012,
  kSystemCloseCommand = 0xE141,
};

inline constexpr int kStatusFirstPartWidth = 300;
inline constexpr int kMinimumTrackSize = 400;
inline constexpr int kCaptionLimit = 63;  // bytes of a page title shown as the caption

// Registers "WC_ZUVELO_WIN_APP LOGANA" (CS_DBLCLKS, icon "ICON.ICO" of `instance`, arrow
// cursor, null brush), then "WC_TOOLBAR" and "WC_WWW". False when one of them fails.
bool RegisterWindowClasses(HINSTANCE instance);

// The outer size for a client area of 728 by 620 with room for the bars: adjusted for
// WS_OVERLAPPEDWINDOW, then once more for style 0, plus 47 pixels of height.
[[nodiscard]] SIZE MainWindowSize();

// Created hidden, at the default position, with caption "ZUVELO". Null on failure.
[[nodiscard]] HWND CreateMainWindow(HINSTANCE instance);

}  // namespace zuvelo
