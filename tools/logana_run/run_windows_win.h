// The two hidden windows a page's objects talk to: a main window that keeps attached analyzers
// and takes their status texts, and its child, the host window that answers "GETSCRIPT".
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/com_ptr_win.h"
#include "base/handle_win.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo::run {

class RunWindows {
 public:
  // `on_status` gets each "STATUS" text on the UI thread.
  explicit RunWindows(std::function<void(const char*)> on_status);
  RunWindows(const RunWindows&) = delete;
  RunWindows& operator=(const RunWindows&) = delete;

  [[nodiscard]] bool ok() const { return main_ && host_ != nullptr; }
  // The system's error code when the windows could not be made (under Wine: no display).
  [[nodiscard]] DWORD error() const { return error_; }
  [[nodiscard]] HWND host() const { return host_; }
  // What "GETSCRIPT" answers with: the engine's global object, which has "Array".
  void set_script(com_ptr<IDispatch> script) { script_ = std::move(script); }
  [[nodiscard]] std::size_t attached_count() const { return attached_.size(); }

  // Runs messages until no analyzer is attached or `stop` holds.
  void PumpWhileAttached(const std::function<bool()>& stop);

 private:
  static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::function<void(const char*)> on_status_;
  AttachedObjects attached_;
  com_ptr<IDispatch> script_;
  unique_window main_;  // its destruction takes the host with it
  HWND host_ = nullptr;
  DWORD error_ = 0;
};

}  // namespace zuvelo::run
