// Fixture for tests of the real main window, in-process and hidden: the program's sockets layer,
// COM, ATL control hosting and the program's window classes for the whole test program; per test
// a temporary working folder (its "./config.ini"), the control's test double in the browser
// host, and message boxes, tray requests and trace lines recorded instead of shown or lost.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <string>
#include <vector>

#include "browser_double.h"
#include "shell/main_window_win.h"
#include "shell/temp_working_folder.h"
#include "shell/tray_icon_win.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

using Lines = std::vector<std::string>;

// One tray request as the main window made it.
struct TrayRequest {
  DWORD message = 0;
  NOTIFYICONDATAA data{};
};

// A UTF-16 text in Shift-JIS, the code page of the program's Japanese texts.
std::string ShiftJis(const std::wstring& text);

std::string WindowText(HWND window);

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The main window, hidden, in the given mode. Unless `log_folder` is false, "PATH" names an
  // existing folder first, so the log-folder check of game mode finds nothing to ask.
  HWND Open(bool game_mode, bool log_folder = true);
  void Close();
  [[nodiscard]] HWND main() const { return main_; }
  [[nodiscard]] HWND Child(int id) const { return ::GetDlgItem(main_, id); }
  static BrowserDouble& control() { return *BrowserDouble::Latest(); }

  LRESULT Command(const char* name, WPARAM argument = 0);
  LRESULT Command(const char* name, const wchar_t* argument);
  void SendCommand(WORD id);
  // The balloons shown since the last take, as texts.
  std::vector<std::string> TakeBalloons();
  std::vector<TrayRequest> TakeTray();
  static Lines Trace();
  // Runs the messages that are waiting now.
  static void Pump();

  TempWorkingFolder folder_;
  const std::filesystem::path logs_ = folder_ / "logs";
  MessageBoxRecorder boxes_;

 private:
  HWND main_ = nullptr;
  std::vector<TrayRequest> tray_;
  ScopedTrayHook tray_hook_{[this](DWORD message, const NOTIFYICONDATAA& data) {
    tray_.push_back({message, data});
    return TRUE;
  }};
};

}  // namespace zuvelo::testing
