// The stand-in main and host windows: window classes, named commands and the pump.
#include "host_windows.h"

#include <cstring>
#include <utility>

namespace zuvelo::testing {
namespace {

template <class Self>
LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (auto* self = reinterpret_cast<Self*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
    if (auto answer = self->Handle(message, wparam, lparam)) return *answer;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

template <class Self>
HWND Create(Self* self, const char* name, DWORD style, HWND parent) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &Proc<Self>;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = name;
  ::RegisterClassA(&window_class);  // a second registration fails harmlessly
  return ::CreateWindowExA(0, name, name, style, 0, 0, 100, 100, parent, nullptr,
                           ::GetModuleHandleA(nullptr), self);
}

bool Is(LPARAM name, const char* wanted) {
  return std::strcmp(reinterpret_cast<const char*>(name), wanted) == 0;
}

void PumpWaitingThrough(const std::function<void(const MSG&)>& before) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (before) before(message);
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace

TestMainWindow::TestMainWindow() {
  window_ = Create(this, "ZuveloTestMainWindow", WS_OVERLAPPEDWINDOW, nullptr);
}

std::optional<LRESULT> TestMainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto handled = attached_.HandleMessage(window_, message, wparam, lparam)) return handled;
  if (message != WM__NAMED_COMMAND || lparam == 0) return std::nullopt;
  ReceivedCommand command{
      reinterpret_cast<const char*>(lparam), wparam != 0, {}, {}, ::GetCurrentThreadId()};
  if (Is(lparam, "GETEXTERNAL")) {
    command.has_argument = false;
    *reinterpret_cast<IDispatch**>(wparam) = com_ptr<IDispatch>::copy_of(external.get()).release();
  } else if (wparam != 0 && (Is(lparam, "STATUS") || command.name.starts_with("DISPID_"))) {
    command.narrow = reinterpret_cast<const char*>(wparam);
  } else if (wparam != 0) {
    command.wide = reinterpret_cast<const wchar_t*>(wparam);
  }
  commands_.push_back(std::move(command));
  return Is(lparam, "GETEXTERNAL") ? 0 : answer;
}

TestHostWindow::TestHostWindow(HWND main, IDispatch* script)
    : script_(com_ptr<IDispatch>::copy_of(script)) {
  window_ = Create(this, "ZuveloTestHostWindow", WS_CHILD, main);
}

std::optional<LRESULT> TestHostWindow::Handle(UINT message, WPARAM, LPARAM lparam) {
  if (message != WM__NAMED_COMMAND || lparam == 0 || !Is(lparam, "GETSCRIPT")) return std::nullopt;
  return reinterpret_cast<LRESULT>(com_ptr<IDispatch>::copy_of(script_.get()).release());
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

}  // namespace zuvelo::testing
