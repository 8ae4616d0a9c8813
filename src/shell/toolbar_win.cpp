// The toolbar wrapper window and the main window's buttons.
#include "shell/toolbar_win.h"

#include <commctrl.h>

#include <array>
#include <span>

#include "base/code_page_win.h"
#include "base/window_object_win.h"

namespace zuvelo {
namespace {

constexpr UINT kFirstToolbarMessage = 0x0401;
constexpr UINT kLastToolbarMessage = 0x045A;
constexpr int kImageSize = 16;
constexpr int kImageCount = 8;
constexpr int kLentCommand = -2;

// "対戦", "解析", "設定" in Shift-JIS, added as a wide list (the literal's own zero ends it).
// A list whose first entry is empty would end there, so the labels start at index 0 and
// unlabelled buttons have none (-1).
constexpr char kLabels[] =
    "\x91\xCE\x90\xED\0"
    "\x89\xF0\x90\xCD\0"
    "\x90\xDD\x92\xE8\0";
constexpr INT_PTR kNoLabel = -1;
constexpr INT_PTR kGameLabel = 0;
constexpr INT_PTR kHomeLabel = 1;

constexpr BYTE kPlain = BTNS_AUTOSIZE;
constexpr BYTE kDropDown = BTNS_AUTOSIZE | BTNS_DROPDOWN;

TBBUTTON Button(int image, int command, BYTE style, INT_PTR label) {
  TBBUTTON button{};
  button.iBitmap = image;
  button.idCommand = command;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = style;
  button.iString = label;
  return button;
}

TBBUTTON Separator() { return Button(0, 0, BTNS_SEP, 0); }

struct Tooltip {
  int command;
  const char* text;
};

constexpr Tooltip kTooltips[] = {
    {kBackCommand, "BACK"}, {kNextCommand, "NEXT"},       {kHomeCommand, "HOME"},
    {kGameCommand, "GAME"}, {kRefreshCommand, "REFRESH"}, {kConfigCommand, "CONFIG"},
};

class ToolbarWrapper final : public WindowObject {
 public:
  explicit ToolbarWrapper(HWND window) noexcept : window_(window) {}

  LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message >= kFirstToolbarMessage && message <= kLastToolbarMessage) {
      return ::SendMessageA(toolbar_, message, wparam, lparam);
    }
    switch (message) {
      case WM_CREATE:
        return Create(*reinterpret_cast<const CREATESTRUCTA*>(lparam));
      case WM_SIZE:
        ::SetWindowPos(toolbar_, nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      case WM_NOTIFY:
        return Notify(*reinterpret_cast<NMHDR*>(lparam), lparam);
      case WM_COMMAND:
        return ::SendMessageA(::GetParent(window), message, wparam, lparam);
      case WM_ERASEBKGND:
        PaintParentBackground(reinterpret_cast<HDC>(wparam));
        break;
      default:
        break;
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  }

 private:
  LRESULT Create(const CREATESTRUCTA& create) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(window_, GWL_STYLE));
    toolbar_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style | WS_VISIBLE, 0, 0, create.cx,
                                 create.cy, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarControlId)),
                                 create.hInstance, nullptr);
    return toolbar_ ? 0 : -1;
  }

  // The parent sees the wrapper, not the toolbar inside it, as the sender.
  LRESULT Notify(NMHDR& header, LPARAM lparam) {
    header.hwndFrom = window_;
    header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(window_));
    return ::SendMessageA(::GetParent(window_), WM_NOTIFY, header.idFrom, lparam);
  }

  // A flat toolbar shows what lies under it: the parent's background, drawn in the
  // parent's coordinates.
  void PaintParentBackground(HDC dc) {
    const HWND parent = ::GetParent(window_);
    POINT origin{0, 0};
    ::MapWindowPoints(window_, parent, &origin, 1);
    POINT previous{};
    ::OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
  }

  const HWND window_;
  HWND toolbar_ = nullptr;
};

}  // namespace

ATOM RegisterToolbarClass(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &BoundWindowProc<ToolbarWrapper>;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  window_class.lpszClassName = kToolbarClass;
  return ::RegisterClassA(&window_class);
}

// The image size goes first: the toolbar cuts bitmaps it is given by the size it has then.
void SetUpToolbar(HWND wrapper, HINSTANCE instance, bool game_mode) {
  ::SendMessageA(wrapper, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ::SendMessageA(wrapper, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  ::SendMessageA(wrapper, TB_SETBITMAPSIZE, 0, MAKELONG(kImageSize, kImageSize));
  TBADDBITMAP bitmap{instance, kToolbarBitmap};
  ::SendMessageA(wrapper, TB_ADDBITMAP, kImageCount, reinterpret_cast<LPARAM>(&bitmap));
  const std::wstring labels = ShiftJisToWide(std::string_view(kLabels, sizeof kLabels));
  ::SendMessageA(wrapper, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(labels.c_str()));

  const std::array<TBBUTTON, 8> game = {
      Button(1, kBackCommand, kPlain, kNoLabel),      Button(2, kNextCommand, kPlain, kNoLabel),
      Button(3, kRefreshCommand, kPlain, kNoLabel),   Separator(),
      Button(0, kGameCommand, kDropDown, kGameLabel), Separator(),
      Button(0, kHomeCommand, kDropDown, kHomeLabel), Separator(),
  };
  const std::array<TBBUTTON, 6> analyzer = {
      game[0], game[1], game[2], game[3], game[6], game[7],
  };
  const std::span<const TBBUTTON> buttons =
      game_mode ? std::span<const TBBUTTON>(game) : std::span<const TBBUTTON>(analyzer);
  ::SendMessageA(wrapper, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

int ToolbarButtonsWidth(HWND wrapper) {
  const auto count = static_cast<int>(::SendMessageA(wrapper, TB_BUTTONCOUNT, 0, 0));
  if (count <= 0) return 0;
  TBBUTTON last{};
  ::SendMessageA(wrapper, TB_GETBUTTON, count - 1, reinterpret_cast<LPARAM>(&last));
  ::SendMessageA(wrapper, TB_SETCMDID, count - 1, kLentCommand);
  RECT rect{};
  ::SendMessageA(wrapper, TB_GETRECT, static_cast<WPARAM>(kLentCommand),
                 reinterpret_cast<LPARAM>(&rect));
  ::SendMessageA(wrapper, TB_SETCMDID, count - 1, last.idCommand);
  return rect.right;
}

const char* ToolbarTooltip(int command) {
  for (const Tooltip& tooltip : kTooltips) {
    if (tooltip.command == command) return tooltip.text;
  }
  return nullptr;
}

}  // namespace zuvelo
