// Control hosting through ATL.DLL, taken by ordinal (no ATL headers here): AtlAxWinInit
// registers the "AtlAxWin" window class, AtlAxGetControl gives the control a host window holds.
#pragma once

#include <windows.h>

#include "base/com_ptr_win.h"

namespace zuvelo {

inline constexpr const char* kAtlHostClass = "AtlAxWin";

// Loads ATL.DLL once (it stays loaded for the process) and calls AtlAxWinInit. False when the
// library, the export or the call fails.
[[nodiscard]] bool InitControlHosting();

// The control held by an "AtlAxWin" window, or empty. Only for windows of that class: ATL reads
// the window's user data as its own.
[[nodiscard]] com_ptr<IUnknown> HostedControl(HWND host);

// The control's interface I, or empty.
template <class I>
[[nodiscard]] com_ptr<I> HostedControlAs(HWND host) {
  com_ptr<I> wanted;
  if (const com_ptr<IUnknown> control = HostedControl(host)) {
    if (FAILED(control.query(wanted))) wanted.reset();
  }
  return wanted;
}

}  // namespace zuvelo
