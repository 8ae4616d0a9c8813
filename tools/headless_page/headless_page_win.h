// What a page's objects talk to, without a screen: a hidden main window that keeps attached
// objects and takes named commands, its child the host window that answers "GETSCRIPT", a real
// JScript engine between them, and the message pumps that drive them.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <utility>

#include "base/com_ptr_win.h"
#include "bridge/automation/jscript_host_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo::headless {

// A named command the attach set did not take: its name (never null) and argument.
using CommandHandler = std::function<LRESULT(const char* name, WPARAM argument)>;

class MainWindow {
 public:
  // `where` names the window in the trace line of anything its procedure caught.
  explicit MainWindow(CommandHandler on_command, const char* where = "HeadlessMainWindow");
  ~MainWindow();  // then releases what is still attached
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  // The system's error code when the window could not be made (under Wine: no display).
  [[nodiscard]] DWORD error() const { return error_; }
  [[nodiscard]] AttachedObjects& attached() { return attached_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  CommandHandler on_command_;
  const char* where_;
  AttachedObjects attached_;
  HWND window_ = nullptr;
  DWORD error_ = 0;
};

class HostWindow {
 public:
  // A child of `main`; "GETSCRIPT" answers `script` (or 0), with a reference for the receiver.
  HostWindow(HWND main, IDispatch* script);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  [[nodiscard]] DWORD error() const { return error_; }
  void set_script(IDispatch* script) { script_ = com_ptr<IDispatch>::copy_of(script); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  com_ptr<IDispatch> script_;
  HWND window_ = nullptr;
  DWORD error_ = 0;
};

// The three together: the host hands out the engine's global object, which has "Array".
// Members go in reverse order: the engine lets go of the page's objects before the main window
// releases what is still attached.
class HeadlessPage {
 public:
  explicit HeadlessPage(CommandHandler on_command, const char* where = "HeadlessMainWindow")
      : main(std::move(on_command), where), host(main.hwnd(), script.Global().get()) {}

  [[nodiscard]] bool ok() const { return main.hwnd() != nullptr && host.hwnd() != nullptr; }
  [[nodiscard]] DWORD error() const { return main.hwnd() ? host.error() : main.error(); }

  MainWindow main;
  JScriptHost script;
  HostWindow host;
};

// Runs messages until nothing is attached to `main` or `stop` holds.
void PumpWhileAttached(MainWindow& main, const std::function<bool()>& stop);
// Runs this thread's messages until `done` holds; false when `limit` passed first.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
// The same, showing each message to `before` just before it is handled.
bool PumpUntil(const std::function<bool()>& done, const std::function<void(const MSG&)>& before,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
// Runs the messages waiting now; a quit message stays in the queue for the caller's loop.
void PumpWaiting();

}  // namespace zuvelo::headless
