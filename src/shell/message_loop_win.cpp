// Key routing and the Flash right-click replacement of the message loop.
#include "shell/message_loop_win.h"

#include <oleidl.h>

#include <array>
#include <string>
#include <string_view>

#include "base/com_ptr_win.h"
#include "base/handle_win.h"
#include "base/trace.h"
#include "bridge/atl_host_win.h"

namespace zuvelo {
namespace {

constexpr std::array<std::string_view, 2> kFlashClasses = {"MacromediaFlashPlayerActiveX",
                                                           "ShockwaveFlashFullScreen"};

HINSTANCE ProgramInstance() { return ::GetModuleHandleA(nullptr); }

bool BelongsToProgram(HWND window) {
  return reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(window, GWLP_HINSTANCE)) ==
         ProgramInstance();
}

// The class name read into a buffer of `size` bytes, cut as the platform cuts it.
template <std::size_t size>
std::string_view ClassName(HWND window, std::array<char, size>& buffer) {
  const int length = ::GetClassNameA(window, buffer.data(), static_cast<int>(size));
  return std::string_view(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The control's windows belong to its own modules; the nearest window of ours above them is
// the "AtlAxWin" host (a class whose name starts with it reads the same in 9 bytes).
HWND ProgramWindowAbove(HWND window) {
  while (window != nullptr && !BelongsToProgram(window)) window = ::GetParent(window);
  return window;
}

bool ControlTranslates(const MSG& message) {
  if (message.hwnd == nullptr || BelongsToProgram(message.hwnd)) return false;
  const HWND host = ProgramWindowAbove(message.hwnd);
  std::array<char, 9> buffer{};
  if (host == nullptr || ClassName(host, buffer) != kAtlHostClass) return false;
  const com_ptr<IUnknown> control = HostedControl(host);
  if (!control) return false;
  com_ptr<IOleInPlaceActiveObject> active;
  const HRESULT hr = control.query(active);
  if (FAILED(hr)) {
    // Any answer but "no such interface" means a broken control: noted, and the key goes on.
    if (hr != E_NOINTERFACE) trace("IOleInPlaceActiveObject failed hr=%08X\r\n", unsigned(hr));
    return false;
  }
  MSG copy = message;
  return active->TranslateAccelerator(&copy) == S_OK;
}

bool IsSingleLineEdit(HWND window) {
  std::array<char, 80> buffer{};
  return ::lstrcmpiA(std::string(ClassName(window, buffer)).c_str(), "EDIT") == 0 &&
         (::GetWindowLongPtrA(window, GWL_STYLE) & ES_MULTILINE) == 0;
}

bool EnterInAddressBox(const MSG& message, HWND main_window) {
  return message.wParam == VK_RETURN && BelongsToProgram(message.hwnd) &&
         ::GetFocus() == message.hwnd && IsSingleLineEdit(message.hwnd) &&
         ::IsDialogMessageA(main_window, const_cast<MSG*>(&message));
}

constexpr DWORD kPauseBeforeMoveBackMs = 100;

DWORD WINAPI ClickAtTopLeft(void* target) {
  POINT saved{};
  ::GetCursorPos(&saved);
  RECT rect{};
  ::GetWindowRect(static_cast<HWND>(target), &rect);
  ::SetCursorPos(rect.left, rect.top);
  ::ShowCursor(FALSE);
  ::mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  ::mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  // A pause before moving back: under X11 the pointer motion to the corner reaches the game's
  // thread late and, arriving after the move back, would leave the pointer at the corner.
  ::Sleep(kPauseBeforeMoveBackMs);
  ::ShowCursor(TRUE);
  ::SetCursorPos(saved.x, saved.y);
  return 0;
}

// The game's own menu would pause it: a right-click becomes a left-click at the game's
// top-left corner, made by a short thread so that the loop goes on.
bool ReplacedRightClick(const MSG& message) {
  std::array<char, 80> buffer{};
  const std::string name(ClassName(message.hwnd, buffer));
  trace("msg=%X name=%s\r\n", message.message, name.c_str());
  for (std::string_view flash : kFlashClasses) {
    if (name != flash) continue;
    if (message.message == WM_RBUTTONDOWN) {
      // The thread runs on without its handle.
      const unique_kernel_handle thread(
          ::CreateThread(nullptr, 0, &ClickAtTopLeft, message.hwnd, 0, nullptr));
    }
    return true;
  }
  return false;
}

void Dispatch(const MSG& message) {
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

}  // namespace

void ProcessMessage(const MSG& message, HWND main_window) {
  switch (message.message) {
    case WM_KEYDOWN:
      if (ControlTranslates(message) || EnterInAddressBox(message, main_window)) return;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (::GetKeyState(VK_CONTROL) >= 0 && ReplacedRightClick(message)) return;
      break;
    default:
      break;
  }
  Dispatch(message);
}

int RunMessageLoop(HWND main_window) {
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ProcessMessage(message, main_window);
  return static_cast<int>(message.wParam);
}

}  // namespace zuvelo
