// Stand-ins for the program's main window, which records the named commands it is sent and keeps
// attached objects as the real one does, and its child the browser host, answering "GETSCRIPT".
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/com_ptr_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo::testing {

// One named command as the main window received it, its argument read while it was handled:
// STATUS and the browser's DISPID_ events carry a narrow text, the others a wide text or null.
struct ReceivedCommand {
  std::string name;
  bool has_argument = false;
  std::wstring wide;
  std::string narrow;
  DWORD thread = 0;  // the thread that sent it

  bool operator==(const ReceivedCommand&) const = default;
};

class TestMainWindow {
 public:
  TestMainWindow();
  ~TestMainWindow() { ::DestroyWindow(window_); }  // then releases what is still attached
  TestMainWindow(const TestMainWindow&) = delete;
  TestMainWindow& operator=(const TestMainWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  [[nodiscard]] AttachedObjects& attached() { return attached_; }
  // The commands received since the last take.
  std::vector<ReceivedCommand> TakeCommands() { return std::exchange(commands_, {}); }
  std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam);

  LRESULT answer = 0;           // to every named command but GETEXTERNAL
  com_ptr<IDispatch> external;  // what GETEXTERNAL hands out

 private:
  HWND window_ = nullptr;
  AttachedObjects attached_;
  std::vector<ReceivedCommand> commands_;
};

class TestHostWindow {
 public:
  // A child of `main`; `script` (or 0) answers "GETSCRIPT", with a reference for the receiver.
  TestHostWindow(HWND main, IDispatch* script);
  ~TestHostWindow() { ::DestroyWindow(window_); }
  TestHostWindow(const TestHostWindow&) = delete;
  TestHostWindow& operator=(const TestHostWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  void set_script(IDispatch* script) { script_ = com_ptr<IDispatch>::copy_of(script); }
  std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  HWND window_ = nullptr;
  com_ptr<IDispatch> script_;
};

// Runs this thread's messages until `done` holds; false when `limit` passed first.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
// The same, showing each message to `before` just before it is handled.
bool PumpUntil(const std::function<bool()>& done, const std::function<void(const MSG&)>& before,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
// Runs the messages that are waiting now.
void PumpWaiting();

}  // namespace zuvelo::testing
