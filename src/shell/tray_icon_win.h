// The main window's icon in the notification area and its balloons.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string_view>

#include "base/seam.h"

namespace zuvelo {

inline constexpr UINT WM__TRAYICON = 0x8301;
inline constexpr const wchar_t* kTrayTitle = L"ZUVELO";

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Identifier 0, `owner` gets WM__TRAYICON, tip "ZUVELO" (first version of the structure).
  void Add(HWND owner, HICON icon);
  // An information balloon, text cut to 255 UTF-16 units between characters, 10 seconds
  // (second version of the structure). No error is reported.
  void ShowBalloon(std::wstring_view text) const;
  void Remove();

 private:
  HWND owner_ = nullptr;
};

// Test seam: while a hook is installed, Shell_NotifyIconW is not called; the hook gets each
// request instead and answers for it.
using TrayHook = std::function<BOOL(DWORD message, const NOTIFYICONDATAW& data)>;
using TraySeam = Seam<TrayHook, struct TraySeamTag>;
using ScopedTrayHook = TraySeam::Scope;

}  // namespace zuvelo
