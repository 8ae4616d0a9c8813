// What the main window does on request: its commands, the named commands of the browser host,
// the external object and the analyzer, the game-start placeholder and the log-folder check.
#include <optional>

#include "base/code_page_win.h"
#include "base/handle_win.h"
#include "base/trace.h"
#include "bridge/external_object_win.h"
#include "net/service_address.h"
#include "shell/main_window_object_win.h"
#include "shell/main_window_win.h"
#include "shell/services/message_box_win.h"
#include "shell/services/settings_win.h"
#include "shell/toolbar_win.h"

namespace zuvelo {
namespace {

// The texts in Shift-JIS, shown through the wide functions: "未作成", "牌譜保存フォルダ",
// "牌譜保存フォルダが存在しません。\r\n次の標準 フォルダを作成してもよろしいですか？\r\n\r\n",
// "牌譜保存フォルダを作成できませんでした\r\n\r\n牌譜の 保存は行なわれません",
// "このURLからは利用できません", "対局開始", "牌譜情報を記録しました\r\n".
constexpr const char* kNotMade = "\x96\xA2\x8D\xEC\x90\xAC";
constexpr const char* kLogFolderCaption = "\x94v\x95\x88\x95\xDB\x91\xB6\x83t\x83H\x83\x8B\x83_";
constexpr const char* kMakeLogFolderQuestion =
    "\x94v\x95\x88\x95\xDB\x91\xB6\x83t\x83H\x83\x8B\x83_\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC"
    "\x82\xB9\x82\xF1\x81"
    "B\x0D\x0A\x8E\x9F\x82\xCC\x95W\x8F\x80\x83t\x83H\x83\x8B\x83_\x82\xF0\x8D\xEC\x90\xAC\x82\xB5"
    "\x82\xC4\x82\xE0\x82\xE6\x82\xEB\x82\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81H\x0D\x0A\x0D\x0A";
constexpr const char* kLogFolderUnusable =
    "\x94v\x95\x88\x95\xDB\x91\xB6\x83t\x83H\x83\x8B\x83_\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB"
    "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x0D\x0A\x0D\x0A\x94v\x95\x88\x82\xCC\x95\xDB"
    "\x91\xB6\x82\xCD\x8Ds\x82\xC8\x82\xED\x82\xEA\x82\xDC\x82\xB9\x82\xF1";
constexpr const char* kNotFromThisPage =
    "\x82\xB1\x82\xCCURL\x82\xA9\x82\xE7\x82\xCD\x97\x98\x97p\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82"
    "\xF1";
constexpr const char* kGameStarted = "\x91\xCE\x8B\xC7\x8AJ\x8En";
constexpr const char* kGameRecorded =
    "\x94v\x95\x88\x8F\xEE\x95\xF1\x82\xF0\x8BL\x98^\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x0D\x0A";

constexpr int kRequestAddressLimit = 255;

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const char* TextOrEmpty(WPARAM text) {
  return text != 0 ? reinterpret_cast<const char*>(text) : "";
}

// The empty file that the analyzer later fills from the server. An existing file is kept.
void MakePlaceholder(const std::string& log_name) {
  const std::string folder = ResolveLogFolder();
  if (!IsUsableFolder(folder)) return;
  ::CreateDirectoryA(LogRootFolder(folder).c_str(), nullptr);
  ::CreateDirectoryA(LogMonthFolder(folder, log_name).c_str(), nullptr);
  unique_file_handle file(::CreateFileA(LogFilePath(folder, log_name).c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::span<const NamedCommandEntry<MainWindow>> MainWindow::Commands() {
  static constexpr NamedCommandEntry<MainWindow> commands[] = {
      {"GETEXTERNAL", &MainWindow::GetExternalCommand},
      {"STATUS", &MainWindow::StatusCommand},
      {"DISPID_STATUSTEXTCHANGE", &MainWindow::StatusTextCommand},
      {"DISPID_NAVIGATECOMPLETE", &MainWindow::NavigateCompleteCommand},
      {"DISPID_TITLECHANGE", &MainWindow::TitleCommand},
      {"STARTGAME", &MainWindow::StartGameCommand},
      {"TRAYPOPUP", &MainWindow::TrayPopupCommand},
  };
  return commands;
}

// True when the command is one of the window's own.
bool MainWindow::OnCommand(WORD command) {
  switch (command) {
    case IDOK:
      NavigateTo(AddressText(MAX_PATH - 1).c_str());
      return true;
    case IDCANCEL:
    case kSystemCloseCommand:
      ::PostMessageA(window_, WM_CLOSE, 0, 0);
      return true;
    case kBackCommand:
      NavigateTo("about:gobackward");
      return true;
    case kNextCommand:
      NavigateTo("about:goforward");
      return true;
    case kRefreshCommand:
      NavigateTo("about:refresh");
      return true;
    case kHomeCommand:
      NavigateTo(ScriptHomeSetting().c_str());
      return true;
    case kGameCommand:
      NavigateTo(GameHomeSetting().c_str());
      return true;
    case kConfigCommand:
      ShowMessageBox(window_, ShiftJisToWide(kNotMade).c_str(), nullptr, MB_OK);
      return true;
    case kLogFolderCheckCommand:
      CheckLogFolder();
      return true;
    default:
      return false;
  }
}

void MainWindow::NavigateTo(const char* address) const { ::SetWindowTextA(browser_, address); }

std::string MainWindow::AddressText(int limit) const {
  std::string text(static_cast<std::size_t>(limit) + 1, '\0');
  const int length = ::GetWindowTextA(address_, text.data(), limit + 1);
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

void MainWindow::SetFirstStatus(const char* text) const {
  ::SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// The new object carries one reference, which the receiver owns.
LRESULT MainWindow::GetExternalCommand(WPARAM result) {
  auto* out = reinterpret_cast<IDispatch**>(result);
  if (out == nullptr) return 0;
  *out = IDispatchBrowserExternalImpl::Create(browser_).release();
  return 0;
}

LRESULT MainWindow::StatusCommand(WPARAM text) {
  SetFirstStatus(TextOrEmpty(text));
  return 0;
}

LRESULT MainWindow::StatusTextCommand(WPARAM text) {
  browser_status_ = TextOrEmpty(text);
  RECT part{};
  ::SendMessageA(status_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  ::InvalidateRect(status_, &part, TRUE);
  return 0;
}

// Every new document needs the handler again, or its pages find no window.external.
LRESULT MainWindow::NavigateCompleteCommand(WPARAM address) {
  SendNamedCommand(browser_, "UPDATEDOCUIHANDLER", 0);
  trace("DISPID_NAVIGATECOMPLETE %s\r\n", TextOrEmpty(address));
  ::SetWindowTextA(address_, TextOrEmpty(address));
  SetFirstStatus("");
  return 0;
}

LRESULT MainWindow::TitleCommand(WPARAM title) {
  ::SetWindowTextA(window_, CutAnsi(TextOrEmpty(title), kCaptionLimit).c_str());
  return 0;
}

LRESULT MainWindow::StartGameCommand(WPARAM log_name) {
  if (!RequestFromGamePage("STARTGAME", log_name)) return 0;
  if (log_name == 0) {
    tray_.ShowBalloon(ShiftJisToWide(kGameStarted));
    return 0;
  }
  // A page's log name becomes a file name only when it cannot leave the month folder; the
  // balloon shows it whatever it is.
  const auto* wide = reinterpret_cast<const wchar_t*>(log_name);
  if (const std::optional<std::string> file = PlaceholderFileName(wide)) MakePlaceholder(*file);
  tray_.ShowBalloon(ShiftJisToWide(kGameRecorded) + wide);
  return 0;
}

// Without a text there is nothing to show.
LRESULT MainWindow::TrayPopupCommand(WPARAM text) {
  if (!RequestFromGamePage("TRAYPOPUP", text) || text == 0) return 0;
  tray_.ShowBalloon(reinterpret_cast<const wchar_t*>(text));
  return 0;
}

// Only the game page may start games or show balloons; the check is on the address box, which
// follows every completed navigation.
bool MainWindow::RequestFromGamePage(const char* command, WPARAM argument) {
  const std::string address = AddressText(kRequestAddressLimit);
  trace("%s URL=%s\r\n", command, address.c_str());
  if (!address.starts_with(GameHomeAddress())) {
    tray_.ShowBalloon(ShiftJisToWide(kNotFromThisPage));
    return false;
  }
  trace("%s url=%s wParam=%X\r\n", command, address.c_str(), static_cast<unsigned>(argument));
  return true;
}

// Posted at creation in game mode: the log folder must exist before games are recorded.
void MainWindow::CheckLogFolder() {
  std::string folder = LogPathSetting();
  if (folder.empty() || !Exists(folder)) {
    folder = ResolveLogFolder();
    if (!Exists(folder)) {
      // The folder is a system path, in the system code page.
      const std::wstring question = ShiftJisToWide(kMakeLogFolderQuestion) + AnsiToWide(folder);
      if (ShowMessageBox(window_, question.c_str(), ShiftJisToWide(kLogFolderCaption).c_str(),
                         MB_YESNO | MB_ICONQUESTION) == IDYES) {
        ::CreateDirectoryA(folder.c_str(), nullptr);
      }
    }
    WriteLogPathSetting(folder.c_str());
  }
  if (!IsUsableFolder(folder)) {
    ShowMessageBox(window_, ShiftJisToWide(kLogFolderUnusable).c_str(), nullptr, MB_ICONERROR);
  }
}

}  // namespace zuvelo
