// The main window's frame: classes, creation of the children, layout, drawing, the toolbar's
// notifications and the tray icon's mouse messages.
#include "shell/main_window_win.h"

#include "base/code_page_win.h"
#include "base/handle_win.h"
#include "bridge/browser_host_win.h"
#include "net/service_address.h"
#include "shell/game_mode.h"
#include "shell/main_window_object_win.h"
#include "shell/services/program_end.h"
#include "shell/services/settings_win.h"
#include "shell/toolbar_win.h"

namespace zuvelo {
namespace {

constexpr SIZE kClientSize{728, 620};
constexpr int kBarsHeight = 47;
constexpr int kAddressBoxHeight = 20;
constexpr int kSeparatorHeight = 2;
constexpr int kBrowserGap = 5;  // toolbar bottom to browser top: separator and margins
constexpr int kStatusTextInset = 3;
constexpr UINT kPopupSystemMenu = 0x0313;  // opens the system menu at a screen position
constexpr WPARAM kSystemMenuAtCursor = 2;

// "現在のページをHOMEに使用する", "標準のページを開く" in Shift-JIS, shown as wide items.
constexpr const char* kUseAsHome =
    "\x8C\xBB\x8D\xDD\x82\xCC\x83y\x81[\x83W\x82\xF0HOME\x82\xC9\x8Eg\x97p\x82\xB7\x82\xE9";
constexpr const char* kOpenDefault = "\x95W\x8F\x80\x82\xCC\x83y\x81[\x83W\x82\xF0\x8AJ\x82\xAD";
constexpr UINT kUseAsHomeItem = 100;
constexpr UINT kOpenDefaultItem = 101;

HWND CreateChild(HWND parent, HINSTANCE instance, const char* window_class, DWORD ex_style,
                 DWORD style, int id) {
  return ::CreateWindowExA(ex_style, window_class, nullptr, style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

int WindowHeight(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

int WindowWidth(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect.right - rect.left;
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  WNDCLASSA window_class{};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = &BoundWindowProc<MainWindow>;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconA(instance, kProgramIcon);
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  window_class.lpszClassName = kMainWindowClass;
  const bool main = ::RegisterClassA(&window_class) != 0;
  const bool toolbar = RegisterToolbarClass(instance) != 0;
  const bool browser = RegisterBrowserHostClass(instance) != 0;
  return main && toolbar && browser;
}

SIZE MainWindowSize() {
  RECT rect{0, 0, kClientSize.cx, kClientSize.cy};
  ::AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
  ::AdjustWindowRectEx(&rect, 0, FALSE, 0);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top + kBarsHeight};
}

HWND CreateMainWindow(HINSTANCE instance) {
  const SIZE size = MainWindowSize();
  return ::CreateWindowExA(0, kMainWindowClass, kProgramCaption,
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                           size.cx, size.cy, nullptr, nullptr, instance, nullptr);
}

MainWindow::MainWindow(HWND window) noexcept
    : icon_(::LoadIconA(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                        kProgramIcon)),
      window_(window) {}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto handled = attached_.HandleMessage(window, message, wparam, lparam)) return *handled;
  switch (message) {
    case WM_CREATE:
      return OnCreate(*reinterpret_cast<const CREATESTRUCTA*>(lparam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_PARENTNOTIFY:
      if (LOWORD(wparam) == WM_CREATE) {
        ::SendMessageA(reinterpret_cast<HWND>(lparam), WM_SETFONT,
                       reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
      }
      break;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) OnSize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam))) return 0;
      break;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_DRAWITEM:
      if (wparam != kStatusBarId) break;
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_ERASEBKGND:
      OnEraseBackground(reinterpret_cast<HDC>(wparam));
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {kMinimumTrackSize,
                                                               kMinimumTrackSize};
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(browser_);
      return 0;
    case WM_ENDSESSION:
      // The session's end ends the process without a quit message or a static destructor.
      if (wparam) RunProgramEndActions();
      return 0;
    case WM__TRAYICON:
      if (OnTrayIcon(lparam)) return 0;
      break;
    case WM__NAMED_COMMAND:
      if (auto done = DispatchNamedCommand(*this, Commands(), wparam, lparam)) return *done;
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

LRESULT MainWindow::OnCreate(const CREATESTRUCTA& create) {
  CreateChildren(create.hInstance);
  SetUpToolbar(toolbar_, create.hInstance, GameMode());
  ::SetWindowPos(toolbar_, nullptr, 0, 0, ToolbarButtonsWidth(toolbar_), kToolbarHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  browser_ = CreateChild(window_, create.hInstance, kBrowserHostClass, 0,
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP,
                         kBrowserHostId);
  ::SendMessageA(window_, WM_COMMAND, GameMode() ? kGameCommand : kHomeCommand, 0);
  if (GameMode()) ::PostMessageA(window_, WM_COMMAND, kLogFolderCheckCommand, 0);
  tray_.Add(window_, icon_);
  return 0;
}

void MainWindow::CreateChildren(HINSTANCE instance) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  address_ = CreateChild(window_, instance, "EDIT", WS_EX_CLIENTEDGE,
                         kChild | WS_TABSTOP | ES_AUTOHSCROLL, kAddressBoxId);
  status_ = CreateChild(window_, instance, STATUSCLASSNAMEA, 0, kChild, kStatusBarId);
  separator_ = CreateChild(window_, instance, "STATIC", WS_EX_STATICEDGE, kChild, kSeparatorId);
  toolbar_ = CreateChild(
      window_, instance, kToolbarClass, 0,
      kChild | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN,
      kToolbarId);
}

void MainWindow::OnDestroy() {
  ::PostQuitMessage(0);
  tray_.Remove();
}

void MainWindow::OnSize(int width, int height) {
  ::SendMessageA(status_, WM_SIZE, 0, 0);
  const int status_height = WindowHeight(status_);
  const int toolbar_width = WindowWidth(toolbar_);
  const int toolbar_height = WindowHeight(toolbar_);
  const int browser_top = toolbar_height + kBrowserGap;
  if (HDWP batch = ::BeginDeferWindowPos(4)) {
    constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
    batch = ::DeferWindowPos(batch, toolbar_, nullptr, 0, 0, toolbar_width, toolbar_height, kKeep);
    if (batch) {
      batch = ::DeferWindowPos(batch, address_, nullptr, toolbar_width, 1, width - toolbar_width,
                               kAddressBoxHeight, kKeep);
    }
    if (batch) {
      batch = ::DeferWindowPos(batch, separator_, nullptr, 0, toolbar_height + 1, width,
                               kSeparatorHeight, kKeep);
    }
    if (batch) {
      batch = ::DeferWindowPos(batch, browser_, nullptr, 0, browser_top, width,
                               height - status_height - browser_top, kKeep | SWP_NOREDRAW);
    }
    if (batch) ::EndDeferWindowPos(batch);
  }
  int edges[2] = {kStatusFirstPartWidth, width};
  ::SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  ::SendMessageA(status_, SB_SETTEXTA, 0 | SBT_OWNERDRAW, 0);
  ::SendMessageA(status_, SB_SETTEXTA, 1 | SBT_OWNERDRAW, 0);
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.code == TBN_DROPDOWN) {
    OnDropDown(reinterpret_cast<const NMTOOLBARA&>(header));
    return TBDDRET_DEFAULT;
  }
  if (header.code == TBN_GETINFOTIPA) {
    const auto& tip = reinterpret_cast<const NMTBGETINFOTIPA&>(header);
    const char* text = ToolbarTooltip(tip.iItem);
    if (text != nullptr && tip.pszText != nullptr && tip.cchTextMax > 0) {
      ::lstrcpynA(tip.pszText, text, tip.cchTextMax);
    }
  }
  return 0;
}

// HOME and GAME each keep a start page: the menu stores the current page as that start page,
// or opens the built-in one.
void MainWindow::OnDropDown(const NMTOOLBARA& button) {
  const bool home = button.iItem == kHomeCommand;
  if (!home && button.iItem != kGameCommand) return;
  const unique_menu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuW(menu.get(), MF_STRING, kUseAsHomeItem, ShiftJisToWide(kUseAsHome).c_str());
  ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu.get(), MF_STRING, kOpenDefaultItem, ShiftJisToWide(kOpenDefault).c_str());
  RECT rect{};
  ::SendMessageA(toolbar_, TB_GETRECT, static_cast<WPARAM>(button.iItem),
                 reinterpret_cast<LPARAM>(&rect));
  POINT corner{rect.left, rect.bottom};
  ::ClientToScreen(toolbar_, &corner);
  const auto choice = static_cast<UINT>(::TrackPopupMenu(
      menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, corner.x, corner.y, 0, window_, nullptr));
  if (choice == kUseAsHomeItem) {
    const std::string address = AddressText(MAX_PATH - 1);
    if (home) {
      WriteScriptHomeSetting(address.c_str());
    } else {
      WriteGameHomeSetting(address.c_str());
    }
  } else if (choice == kOpenDefaultItem) {
    NavigateTo(home ? ScriptHomeAddress().c_str() : GameHomeAddress().c_str());
  }
}

void MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) const {
  const HGDIOBJ font = ::SelectObject(item.hDC, ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  if (item.itemID == 1) {
    RECT text = item.rcItem;
    text.left += kStatusTextInset;
    text.right -= kStatusTextInset;
    ::DrawTextA(item.hDC, browser_status_.c_str(), static_cast<int>(browser_status_.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  ::SelectObject(item.hDC, font);
}

void MainWindow::OnEraseBackground(HDC dc) const {
  RECT client{};
  ::GetClientRect(window_, &client);
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

// True when the message is used up; the others then get default handling.
bool MainWindow::OnTrayIcon(LPARAM mouse_message) {
  switch (mouse_message) {
    case WM_LBUTTONDOWN:
      ::ShowWindowAsync(window_, SW_RESTORE);
      ::SetForegroundWindow(window_);
      return true;
    case WM_RBUTTONUP: {
      ::SetForegroundWindow(window_);
      POINT cursor{};
      ::GetCursorPos(&cursor);
      ::SendMessageA(window_, kPopupSystemMenu, kSystemMenuAtCursor,
                     MAKELPARAM(cursor.x, cursor.y));
      return false;
    }
    default:
      return false;
  }
}

}  // namespace zuvelo
