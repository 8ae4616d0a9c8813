// The browser host: the "WC_WWW" child window around the web-browser control. It turns texts
// set on it into navigations (four "about:" texts step through history), adds the program's
// request header, keeps pop-ups out, reports the browser's events to its parent as named
// commands, installs its document host handler so that pages find window.external, and hands
// the page's script object to the analyzer.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "base/seam.h"

namespace zuvelo {

inline constexpr const char* kBrowserHostClass = "WC_WWW";
inline constexpr int kBrowserControlId = 100;
inline constexpr const char* kBrowserControl = "Shell.Explorer";
inline constexpr const wchar_t* kNavigationHeaders = L"Zuvelo-Client-Type: default\r\n";
inline constexpr const char* kPopupBlocked = "POPUP BLOCKED";

// How long a request that needs the current document waits for the control to have one, asking
// every millisecond; after that there is no document and the request does nothing.
inline constexpr DWORD kDocumentWaitMs = 3000;

// Registers "WC_WWW" for `instance`: CS_HREDRAW | CS_VREDRAW, arrow cursor, null brush.
ATOM RegisterBrowserHostClass(HINSTANCE instance);

// Test seam: while it lives, new browser hosts embed the control named `control` (a program
// identifier or a class identifier in braces) instead of the web-browser control.
using BrowserControlSeam = Seam<std::optional<std::string>, struct BrowserControlSeamTag>;
using ScopedBrowserControl = BrowserControlSeam::Scope;

// Pop-ups of the service's own site open in the user's web browser (ShellExecute). Test seam:
// while a hook lives, the address goes to it instead.
using OpenAddressHook = std::function<void(const std::string& address)>;

using OpenAddressSeam = Seam<OpenAddressHook, struct OpenAddressSeamTag>;
using ScopedOpenAddressHook = OpenAddressSeam::Scope;

}  // namespace zuvelo
