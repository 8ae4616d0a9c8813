// Stand-ins for the program's main window and browser host window, for tests of the objects
// that page script creates: the host answers "GETSCRIPT" and is a child of the main window,
// which records the named commands it is sent and keeps attached objects as the real one does.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bridge/com_ptr.h"
#include "shell/mainthread_calls_win.h"

namespace zuvelo::testing {

// One named command as the main window received it. Its argument is read while it is handled:
// STARTGAME and TRAYPOPUP carry a wide text or null, STATUS a narrow text.
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
  ~TestMainWindow();  // releases what is still attached
  TestMainWindow(const TestMainWindow&) = delete;
  TestMainWindow& operator=(const TestMainWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  [[nodiscard]] AttachedObjects& attached() { return attached_; }
  // The commands received since the last take.
  std::vector<ReceivedCommand> TakeCommands();

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Record(WPARAM wparam, const char* name);

  HWND window_ = nullptr;
  AttachedObjects attached_;
  std::vector<ReceivedCommand> commands_;
};

class TestHostWindow {
 public:
  // A child of `main`. `script` answers "GETSCRIPT" (with a reference for the receiver); with
  // none the answer is 0.
  TestHostWindow(HWND main, IDispatch* script);
  ~TestHostWindow();
  TestHostWindow(const TestHostWindow&) = delete;
  TestHostWindow& operator=(const TestHostWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  void set_script(IDispatch* script) { script_ = com_ptr<IDispatch>::copy_of(script); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  com_ptr<IDispatch> script_;
};

// Runs this thread's messages until `done` holds; false when `limit` passed first.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
// Runs the messages that are waiting now.
void PumpWaiting();

}  // namespace zuvelo::testing
