// Start-up in its fixed order, and the mode decision.
#include "shell/startup_win.h"

#include <mmsystem.h>
#include <shlobj.h>

#include "base/com_apartment_win.h"
#include "base/trace.h"
#include "bridge/atl_host_win.h"
#include "shell/game_mode.h"
#include "shell/main_window_win.h"
#include "shell/message_loop_win.h"
#include "shell/services/message_box_win.h"
#include "shell/services/settings_win.h"

namespace zuvelo {
namespace {

constexpr const char* kWorkingLevels[] = {"Q-ORB", "zuvelo", "130"};
constexpr int kEarlyEnd = 1;

// The system timer at 1 ms while the program runs.
class TimerResolution {
 public:
  TimerResolution() { ::timeBeginPeriod(1); }
  ~TimerResolution() { ::timeEndPeriod(1); }
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;
};

int EndEarly(const char* text) {
  ShowMessageBox(nullptr, text, kProgramCaption, MB_OK);
  return kEarlyEnd;
}

std::string CurrentFolder() {
  char buffer[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, buffer);
  return length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string ProgramPath() {
  char buffer[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, length < MAX_PATH ? length : 0);
}

// Moves into the working folder, or notes the analyzer-only mode when already there.
void EnterWorkingFolder(const std::string& working) {
  const std::string current = CurrentFolder();
  trace("%s\r\n%s\r\n", current.c_str(), working.c_str());
  if (current != working) {
    ::SetCurrentDirectoryA(working.c_str());
  } else if (IsAnalyzerOnlyStart(current, working, ProgramPath())) {
    SetGameMode(false);
  }
}

int RunServicesAndWindow(HINSTANCE instance, int show) {
  const TimerResolution timer;
  const ComApartment apartment;
  const HWND main = CreateMainWindow(instance);
  if (main == nullptr) return EndEarly("CreateWindowEx failed");
  ::ShowWindow(main, show);
  return RunMessageLoop(main);
}

}  // namespace

std::string MakeWorkingFolder() {
  char local[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE) ||
      ::GetFileAttributesA(local) == INVALID_FILE_ATTRIBUTES) {
    return {};
  }
  std::string folder = local;
  for (const char* level : kWorkingLevels) {
    folder = JoinPath(folder, level);
    ::CreateDirectoryA(folder.c_str(), nullptr);
  }
  return folder;
}

std::string_view ProgramName(std::string_view program_path) {
  const std::size_t folder_end = program_path.find_last_of("\\/:");
  std::string_view name =
      folder_end == std::string_view::npos ? program_path : program_path.substr(folder_end + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

bool IsAnalyzerOnlyStart(std::string_view current_folder, std::string_view working_folder,
                         std::string_view program_path) {
  return current_folder == working_folder && ProgramName(program_path) == kAnalyzerProgramName;
}

int RunZuvelo(HINSTANCE instance, int show) {
  const std::string working = MakeWorkingFolder();
  if (working.empty()) return EndEarly("CSIDL_LOCAL_APPDATA failed");
  EnterWorkingFolder(working);
  trace("--- ZUVELO\r\n");
  if (!InitControlHosting()) return EndEarly("AtlAxWinInit failed");
  return RunServicesAndWindow(instance, show);
}

}  // namespace zuvelo
