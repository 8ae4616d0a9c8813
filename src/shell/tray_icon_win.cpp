// Tray icon requests through Shell_NotifyIconW, or through a test's hook. Wide, so that the
// Japanese balloons read right on every system code page.
#include "shell/tray_icon_win.h"

#include <algorithm>
#include <iterator>

namespace zuvelo {
namespace {

constexpr UINT kTrayId = 0;
constexpr UINT kBalloonTimeoutMs = 10000;

BOOL Notify(DWORD message, NOTIFYICONDATAW& data) {
  if (const TrayHook hook = TraySeam::Get()) return hook(message, data);
  return ::Shell_NotifyIconW(message, &data);
}

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Cut so that no character loses half of its surrogate pair.
template <std::size_t N>
void CopyCutText(wchar_t (&field)[N], std::wstring_view text) {
  std::size_t length = text.size();
  if (length >= N) length = IsHighSurrogate(text[N - 2]) ? N - 2 : N - 1;
  std::copy_n(text.data(), length, field);
  field[length] = L'\0';
}

NOTIFYICONDATAW Data(HWND owner, DWORD size) {
  NOTIFYICONDATAW data{};
  data.cbSize = size;
  data.hWnd = owner;
  data.uID = kTrayId;
  return data;
}

}  // namespace

void TrayIcon::Add(HWND owner, HICON icon) {
  owner_ = owner;
  NOTIFYICONDATAW data = Data(owner, NOTIFYICONDATAW_V1_SIZE);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM__TRAYICON;
  data.hIcon = icon;
  ::lstrcpynW(data.szTip, kTrayTitle, std::size(data.szTip));
  Notify(NIM_ADD, data);
}

void TrayIcon::ShowBalloon(std::wstring_view text) const {
  NOTIFYICONDATAW data = Data(owner_, NOTIFYICONDATAW_V2_SIZE);
  data.uFlags = NIF_INFO;
  CopyCutText(data.szInfo, text);
  ::lstrcpynW(data.szInfoTitle, kTrayTitle, std::size(data.szInfoTitle));
  data.uTimeout = kBalloonTimeoutMs;
  data.dwInfoFlags = NIIF_INFO;
  Notify(NIM_MODIFY, data);
}

void TrayIcon::Remove() {
  if (owner_ == nullptr) return;
  NOTIFYICONDATAW data = Data(owner_, NOTIFYICONDATAW_V1_SIZE);
  Notify(NIM_DELETE, data);
  owner_ = nullptr;
}

}  // namespace zuvelo
