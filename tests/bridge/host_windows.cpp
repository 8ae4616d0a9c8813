// The stand-in main and host windows: window classes, named commands and the pump.
#include "host_windows.h"

#include <cstring>
#include <utility>

namespace zuvelo::testing {
namespace {

constexpr const char* kMainClass = "ZuveloTestMainWindow";
constexpr const char* kHostClass = "ZuveloTestHostWindow";

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = proc;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = name;
  ::RegisterClassA(&window_class);  // a second registration fails harmlessly
}

template <class Self>
Self* SelfOf(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Self*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

TestMainWindow::TestMainWindow() {
  Register(kMainClass, &Proc);
  window_ = ::CreateWindowExA(0, kMainClass, "main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, ::GetModuleHandleA(nullptr), this);
}

TestMainWindow::~TestMainWindow() {
  if (window_) ::DestroyWindow(window_);
}

std::vector<ReceivedCommand> TestMainWindow::TakeCommands() { return std::exchange(commands_, {}); }

void TestMainWindow::Record(WPARAM wparam, const char* name) {
  ReceivedCommand command;
  command.name = name;
  command.has_argument = wparam != 0;
  command.thread = ::GetCurrentThreadId();
  if (wparam != 0) {
    if (std::strcmp(name, "STATUS") == 0) {
      command.narrow = reinterpret_cast<const char*>(wparam);
    } else {
      command.wide = reinterpret_cast<const wchar_t*>(wparam);
    }
  }
  commands_.push_back(std::move(command));
}

LRESULT CALLBACK TestMainWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = SelfOf<TestMainWindow>(window, message, lparam);
  if (self != nullptr) {
    if (auto handled = self->attached_.HandleMessage(window, message, wparam, lparam)) {
      return *handled;
    }
    if (message == WM__NAMED_COMMAND && lparam != 0) {
      self->Record(wparam, reinterpret_cast<const char*>(lparam));
      return 0;
    }
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

TestHostWindow::TestHostWindow(HWND main, IDispatch* script)
    : script_(com_ptr<IDispatch>::copy_of(script)) {
  Register(kHostClass, &Proc);
  window_ = ::CreateWindowExA(0, kHostClass, "host", WS_CHILD, 0, 0, 10, 10, main, nullptr,
                              ::GetModuleHandleA(nullptr), this);
}

TestHostWindow::~TestHostWindow() {
  if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK TestHostWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = SelfOf<TestHostWindow>(window, message, lparam);
  if (self != nullptr && message == WM__NAMED_COMMAND && lparam != 0 &&
      std::strcmp(reinterpret_cast<const char*>(lparam), "GETSCRIPT") == 0) {
    IDispatch* script = self->script_.get();
    if (script) script->AddRef();
    return reinterpret_cast<LRESULT>(script);
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

void PumpWaiting() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpWaiting();
  }
  return true;
}

}  // namespace zuvelo::testing
