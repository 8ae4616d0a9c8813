// Window classes and procedures of the headless page's windows, and its message pumps.
#include "headless_page_win.h"

#include <cstring>

#include "base/window_object_win.h"

namespace zuvelo::headless {
namespace {

template <class Self>
Self* SelfOf(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Self*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

HWND Create(const char* name, WNDPROC proc, DWORD style, HWND parent, void* self, DWORD* error) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = proc;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = name;
  ::RegisterClassA(&window_class);  // a second registration fails harmlessly
  const HWND window = ::CreateWindowExA(0, name, name, style, 0, 0, 10, 10, parent, nullptr,
                                        ::GetModuleHandleA(nullptr), self);
  if (window == nullptr) *error = ::GetLastError();
  return window;
}

void PumpWaitingThrough(const std::function<void(const MSG&)>& before) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return ::PostQuitMessage(static_cast<int>(message.wParam));
    if (before) before(message);
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace

// Never shown: a top-level window only because the host must have a parent to send to.
MainWindow::MainWindow(CommandHandler on_command, const char* where)
    : on_command_(std::move(on_command)), where_(where) {
  window_ = Create("ZuveloRunMain", &Proc, WS_OVERLAPPED, nullptr, this, &error_);
}

MainWindow::~MainWindow() {
  if (window_) ::DestroyWindow(window_);  // takes the host windows with it
}

LRESULT CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = SelfOf<MainWindow>(window, message, lparam);
  if (self == nullptr) return ::DefWindowProcA(window, message, wparam, lparam);
  return GuardedWindowMessage(self->where_, message, [&]() -> LRESULT {
    if (auto handled = self->attached_.HandleMessage(window, message, wparam, lparam)) {
      return *handled;
    }
    if (message == WM__NAMED_COMMAND && lparam != 0) {
      return self->on_command_(reinterpret_cast<const char*>(lparam), wparam);
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  });
}

HostWindow::HostWindow(HWND main, IDispatch* script)
    : script_(com_ptr<IDispatch>::copy_of(script)) {
  window_ = Create("ZuveloRunHost", &Proc, WS_CHILD, main, this, &error_);
}

HostWindow::~HostWindow() {
  if (::IsWindow(window_)) ::DestroyWindow(window_);
}

LRESULT CALLBACK HostWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = SelfOf<HostWindow>(window, message, lparam);
  if (self != nullptr && message == WM__NAMED_COMMAND && lparam != 0 &&
      std::strcmp(reinterpret_cast<const char*>(lparam), "GETSCRIPT") == 0) {
    return reinterpret_cast<LRESULT>(com_ptr<IDispatch>::copy_of(self->script_.get()).release());
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

// One blocking GetMessage per message: every log costs the analyzer at least one step
// message, and a wait-then-peek loop paid three calls into the system for each. The timer
// wakes the loop to ask `stop` when no message comes.
void PumpWhileAttached(MainWindow& main, const std::function<bool()>& stop) {
  constexpr UINT kStopCheckMs = 50;
  const UINT_PTR timer = ::SetTimer(main.hwnd(), 1, kStopCheckMs, nullptr);
  MSG message;
  while (main.attached().size() > 0 && !stop() && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (timer != 0) ::KillTimer(main.hwnd(), timer);
}

void PumpWaiting() { PumpWaitingThrough(nullptr); }

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return PumpUntil(done, nullptr, limit);
}

bool PumpUntil(const std::function<bool()>& done, const std::function<void(const MSG&)>& before,
               std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpWaitingThrough(before);
  }
  return true;
}

}  // namespace zuvelo::headless
