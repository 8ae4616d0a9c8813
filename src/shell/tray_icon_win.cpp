// Tray icon requests through Shell_NotifyIconA, or through a test's hook.
#include "shell/tray_icon_win.h"

#include <algorithm>

#include "base/code_page_win.h"

namespace zuvelo {
namespace {

constexpr UINT kTrayId = 0;
constexpr UINT kBalloonTimeoutMs = 10000;

BOOL Notify(DWORD message, NOTIFYICONDATAA& data) {
  if (const TrayHook hook = TraySeam::Get()) return hook(message, data);
  return ::Shell_NotifyIconA(message, &data);
}

template <std::size_t N>
void CopyText(char (&field)[N], std::string_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.data(), length, field);
  field[length] = '\0';
}

NOTIFYICONDATAA Data(HWND owner, DWORD size) {
  NOTIFYICONDATAA data{};
  data.cbSize = size;
  data.hWnd = owner;
  data.uID = kTrayId;
  return data;
}

}  // namespace

void TrayIcon::Add(HWND owner, HICON icon) {
  owner_ = owner;
  NOTIFYICONDATAA data = Data(owner, NOTIFYICONDATAA_V1_SIZE);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM__TRAYICON;
  data.hIcon = icon;
  CopyText(data.szTip, kTrayTitle);
  Notify(NIM_ADD, data);
}

void TrayIcon::ShowBalloon(std::string_view text) const {
  NOTIFYICONDATAA data = Data(owner_, NOTIFYICONDATAA_V2_SIZE);
  data.uFlags = NIF_INFO;
  CopyText(data.szInfo, CutAnsi(text, sizeof data.szInfo - 1));
  CopyText(data.szInfoTitle, kTrayTitle);
  data.uTimeout = kBalloonTimeoutMs;
  data.dwInfoFlags = NIIF_INFO;
  Notify(NIM_MODIFY, data);
}

void TrayIcon::Remove() {
  if (owner_ == nullptr) return;
  NOTIFYICONDATAA data = Data(owner_, NOTIFYICONDATAA_V1_SIZE);
  Notify(NIM_DELETE, data);
  owner_ = nullptr;
}

}  // namespace zuvelo
