// The program's one message loop. Beyond translate and dispatch, it gives the browser control
// the first chance at key strokes in its windows, turns Enter in the address box into the main
// window's IDOK, and replaces a right-click on the Flash game by a left-click at the game's
// top-left corner (Ctrl passes the right-click through).
#pragma once

#include <windows.h>

namespace zuvelo {

// Runs until the quit message; returns its code.
int RunMessageLoop(HWND main_window);

// What the loop does with one message taken from the queue.
void ProcessMessage(const MSG& message, HWND main_window);

}  // namespace zuvelo
