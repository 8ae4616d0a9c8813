// Window classes and procedures of the runner's hidden windows, and its message pump.
#include "run_windows_win.h"

#include <cstring>

#include "base/window_object_win.h"

namespace zuvelo::run {
namespace {

constexpr const char* kMainClass = "ZuveloRunMain";
constexpr const char* kHostClass = "ZuveloRunHost";

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = proc;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = name;
  ::RegisterClassA(&window_class);
}

RunWindows* SelfOf(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<RunWindows*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool IsCommand(LPARAM lparam, const char* name) {
  return lparam != 0 && std::strcmp(reinterpret_cast<const char*>(lparam), name) == 0;
}

}  // namespace

RunWindows::RunWindows(std::function<void(const char*)> on_status)
    : on_status_(std::move(on_status)) {
  Register(kMainClass, &MainProc);
  Register(kHostClass, &HostProc);
  // Never shown: a top-level window only because the host must have a parent to send to.
  main_.reset(::CreateWindowExA(0, kMainClass, "logana-run", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), this));
  if (main_) {
    host_ = ::CreateWindowExA(0, kHostClass, "host", WS_CHILD, 0, 0, 10, 10, main_.get(), nullptr,
                              ::GetModuleHandleA(nullptr), this);
  }
  if (!ok()) error_ = ::GetLastError();
}

// One blocking GetMessage per message: every log costs the analyzer at least one step
// message, and a wait-then-peek loop paid three calls into the system for each. The timer
// wakes the loop to ask `stop` when no message comes.
void RunWindows::PumpWhileAttached(const std::function<bool()>& stop) {
  constexpr UINT kStopCheckMs = 50;
  const UINT_PTR timer = ::SetTimer(main_.get(), 1, kStopCheckMs, nullptr);
  MSG message;
  while (attached_.size() > 0 && !stop() && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (timer != 0) ::KillTimer(main_.get(), timer);
}

LRESULT CALLBACK RunWindows::MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return GuardedWindowMessage("RunWindows MainProc", message, [&]() -> LRESULT {
    RunWindows* self = SelfOf(window, message, lparam);
    if (self != nullptr) {
      if (auto handled = self->attached_.HandleMessage(window, message, wparam, lparam)) {
        return *handled;
      }
      if (message == WM__NAMED_COMMAND && IsCommand(lparam, "STATUS")) {
        if (wparam != 0) self->on_status_(reinterpret_cast<const char*>(wparam));
        return 0;
      }
      if (message == WM__NAMED_COMMAND) return 0;  // game starts and pop-ups mean nothing here
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  });
}

LRESULT CALLBACK RunWindows::HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  RunWindows* self = SelfOf(window, message, lparam);
  if (self != nullptr && message == WM__NAMED_COMMAND && IsCommand(lparam, "GETSCRIPT")) {
    IDispatch* script = self->script_.get();
    if (script) script->AddRef();
    return reinterpret_cast<LRESULT>(script);
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace zuvelo::run
