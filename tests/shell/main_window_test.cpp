// The main window in-process, hidden, around the browser host with the control's test double:
// its children, the toolbar of each mode, the first page and the log-folder check, layout and
// status parts, its commands and drop-down menus, the named commands (status, navigation, title,
// window.external), game start and tray pop-ups with their placeholder files and balloons, the
// tray icon, the main-thread messages and closing.
#include <windows.h>

#include <commctrl.h>
#include <exdispid.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "bridge/com_ptr.h"
#include "bridge/variant.h"
#include "main_window_fixture.h"
#include "net/service_address.h"
#include "shell/mainthread_calls_win.h"
#include "shell/settings_win.h"
#include "shell/toolbar_win.h"

namespace zuvelo::testing {
namespace {

const std::string kGamePage = std::string(kHomeAddress) + "0/";
const std::string kScriptPage = std::string(kHomeAddress) + "1/script/";
const std::wstring kGamePageW(kGamePage.begin(), kGamePage.end());
constexpr const wchar_t* kLogName = L"2015070112gm-0009-0000-0123abcd&tw=0";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

RECT RectIn(HWND parent, HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int Height(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

std::vector<NavigateCall> Navigations(const std::vector<std::string>& addresses) {
  std::vector<NavigateCall> calls;
  for (const std::string& address : addresses) {
    calls.push_back(
        {Wide(address), VT_EMPTY, L"_top", VT_EMPTY, L"Zuvelo-Client-Type: default\r\n"});
  }
  return calls;
}

// Pixels of a status part, as the main window draws it into a memory context, that are not the
// button face.
int InkIn(HWND main, HWND status, int part) {
  RECT area{};
  ::SendMessageA(status, SB_GETRECT, part, reinterpret_cast<LPARAM>(&area));
  const HDC screen = ::GetDC(status);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, area.right, area.bottom);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = 4002;
  item.itemID = static_cast<UINT>(part);
  item.hwndItem = status;
  item.hDC = memory;
  item.rcItem = area;
  EXPECT_EQ(::SendMessageA(main, WM_DRAWITEM, 4002, reinterpret_cast<LPARAM>(&item)), TRUE);
  const COLORREF face = ::GetNearestColor(memory, ::GetSysColor(COLOR_BTNFACE));
  int ink = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) ink += ::GetPixel(memory, x, y) != face;
  }
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(status, screen);
  return ink;
}

// The children of one parent in the order they are made, seen by a hook on window creation.
class CreationOrder {
 public:
  CreationOrder() : hook_(::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId())) {
    recorder_ = this;
  }
  ~CreationOrder() {
    ::UnhookWindowsHookEx(hook_);
    recorder_ = nullptr;
  }
  CreationOrder(const CreationOrder&) = delete;
  CreationOrder& operator=(const CreationOrder&) = delete;

  // Child ids of windows made with a parent, in order, taken per parent after the fact.
  std::vector<int> ChildrenOf(HWND parent) const {
    std::vector<int> ids;
    for (HWND child : made_) {
      if (::IsWindow(child) && ::GetParent(child) == parent) ids.push_back(::GetDlgCtrlID(child));
    }
    return ids;
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && recorder_ != nullptr) {
      recorder_->made_.push_back(reinterpret_cast<HWND>(wparam));
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline CreationOrder* recorder_ = nullptr;
  HHOOK hook_;
  std::vector<HWND> made_;
};

TEST_F(MainWindowTest, MakesItsChildrenInOrderWithTheirClassesStylesAndTheGuiFont) {
  CreationOrder order;
  ASSERT_NE(Open(true), nullptr);
  struct Expected {
    int id;
    const char* window_class;
    DWORD ex_style;
    DWORD style;
  };
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  const Expected expected[] = {
      {4005, "Edit", WS_EX_CLIENTEDGE, kChild | WS_TABSTOP | ES_AUTOHSCROLL},
      {4002, "msctls_statusbar32", 0, kChild},
      {4003, "Static", WS_EX_STATICEDGE, kChild},
      {4001, "WC_TOOLBAR", 0,
       kChild | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN},
      {4004, "WC_WWW", 0, kChild | WS_CLIPCHILDREN | WS_TABSTOP},
  };
  EXPECT_EQ(order.ChildrenOf(main()), (std::vector<int>{4005, 4002, 4003, 4001, 4004}));
  const auto gui_font = reinterpret_cast<LRESULT>(::GetStockObject(DEFAULT_GUI_FONT));
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    const HWND child = Child(e.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::lstrcmpiA(ClassOf(child).c_str(), e.window_class), 0) << ClassOf(child);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_STYLE));
    EXPECT_EQ(style & e.style, e.style);
    const auto ex_style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_EXSTYLE));
    EXPECT_EQ(ex_style & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), e.ex_style);
  }
  for (int id : {4005, 4002, 4003}) {
    EXPECT_EQ(::SendMessageA(Child(id), WM_GETFONT, 0, 0), gui_font) << id;
  }
  EXPECT_EQ(ClassOf(::GetDlgItem(Child(4001), kToolbarControlId)), "ToolbarWindow32");
  EXPECT_EQ(WindowText(main()), "ZUVELO");
  EXPECT_FALSE(::IsWindowVisible(main()));
}

TEST_F(MainWindowTest, TheToolbarHasEightButtonsInGameModeAndSixForTheAnalyzerOnly) {
  struct Button {
    int command;
    int image;
    BYTE style;
    std::wstring label;
  };
  constexpr BYTE kPlain = BTNS_AUTOSIZE;
  constexpr BYTE kDropDown = BTNS_AUTOSIZE | BTNS_DROPDOWN;
  const Button back{4006, 1, kPlain, L""}, next{4007, 2, kPlain, L""},
      refresh{4010, 3, kPlain, L""}, game{4009, 0, kDropDown, L"対戦"},
      home{4008, 0, kDropDown, L"解析"}, separator{0, -1, BTNS_SEP, L""};
  for (bool game_mode : {true, false}) {
    SCOPED_TRACE(game_mode ? "game mode" : "analyzer only");
    ASSERT_NE(Open(game_mode), nullptr);
    const std::vector<Button> expected =
        game_mode
            ? std::vector<Button>{back, next, refresh, separator, game, separator, home, separator}
            : std::vector<Button>{back, next, refresh, separator, home, separator};
    const HWND wrapper = Child(4001);
    ASSERT_EQ(::SendMessageA(wrapper, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(i);
      TBBUTTON button{};
      ::SendMessageA(wrapper, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      EXPECT_EQ(button.fsStyle, expected[i].style);
      EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
      if (expected[i].style == BTNS_SEP) continue;
      EXPECT_EQ(button.idCommand, expected[i].command);
      EXPECT_EQ(button.iBitmap, expected[i].image);
      char label[64] = {};
      ::SendMessageA(wrapper, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(label));
      EXPECT_EQ(label, ShiftJis(expected[i].label));
    }
    EXPECT_EQ(::SendMessageA(wrapper, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_DRAWDDARROWS,
              TBSTYLE_EX_DRAWDDARROWS);
    const auto images =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(wrapper, TB_GETIMAGELIST, 0, 0));
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(::ImageList_GetImageCount(images), 8);
    RECT last{};
    ::SendMessageA(wrapper, TB_GETITEMRECT, expected.size() - 1, reinterpret_cast<LPARAM>(&last));
    RECT size{};
    ::GetWindowRect(wrapper, &size);
    EXPECT_EQ(size.right - size.left, last.right) << "as wide as its buttons";
    EXPECT_EQ(size.bottom - size.top, 22);
    Close();
  }
}

TEST_F(MainWindowTest, ButtonTooltipsAreTheirEnglishNamesCutToTheToolbarsLimit) {
  ASSERT_NE(Open(true), nullptr);
  struct Case {
    int command;
    int limit;
    const char* tip;
  };
  const Case cases[] = {
      {4006, 80, "BACK"},    {4007, 80, "NEXT"},   {4008, 80, "HOME"}, {4009, 80, "GAME"},
      {4010, 80, "REFRESH"}, {4011, 80, "CONFIG"}, {4010, 4, "REF"},   {4012, 80, "untouched"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    char text[80] = "untouched";
    NMTBGETINFOTIPA tip{};
    tip.hdr.hwndFrom = Child(4001);
    tip.hdr.idFrom = 4001;
    tip.hdr.code = TBN_GETINFOTIPA;
    tip.pszText = text;
    tip.cchTextMax = c.limit;
    tip.iItem = c.command;
    ::SendMessageA(main(), WM_NOTIFY, 4001, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(text, c.tip);
  }
}

TEST_F(MainWindowTest, TheFirstPageIsTheGamePageOrForTheAnalyzerTheScriptPage) {
  struct Case {
    bool game_mode;
    const char* game_home;
    const char* script_home;
    std::string first;
  };
  const Case cases[] = {
      {true, nullptr, nullptr, kGamePage},
      {false, nullptr, nullptr, kScriptPage},
      {true, "http://games.example/", "http://scripts.example/", "http://games.example/"},
      {false, "http://games.example/", "http://scripts.example/", "http://scripts.example/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    WriteGameHomeSetting(c.game_home);
    WriteScriptHomeSetting(c.script_home);
    ASSERT_NE(Open(c.game_mode), nullptr);
    EXPECT_EQ(control().navigations, Navigations({c.first}));
    EXPECT_EQ(WindowText(Child(4004)), c.first);
    Close();
  }
}

TEST_F(MainWindowTest, OnlyGameModeChecksTheLogFolderOnceTheWindowIsUp) {
  for (bool game_mode : {true, false}) {
    SCOPED_TRACE(game_mode ? "game mode" : "analyzer only");
    WriteLogPathSetting(nullptr);
    ASSERT_NE(Open(game_mode, false), nullptr);
    EXPECT_TRUE(boxes_.Take().empty()) << "not while the window is being made";
    Pump();
    const bool asked = !boxes_.Take().empty();
    EXPECT_EQ(asked, game_mode && ::GetFileAttributesA(DefaultLogFolder().c_str()) ==
                                      INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(LogPathSetting().empty(), !game_mode) << "the check stores the folder";
    Close();
  }
}

TEST_F(MainWindowTest, LayoutPlacesTheBarsAroundTheBrowserAndResetsTheStatusParts) {
  ASSERT_NE(Open(true), nullptr);
  Command("STATUS", reinterpret_cast<WPARAM>("Analyzing 1/3"));
  ::SendMessageA(main(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 400));
  const HWND toolbar = Child(4001);
  const RECT bar = RectIn(main(), toolbar);
  const int tw = bar.right - bar.left;
  const int th = bar.bottom - bar.top;
  const int sb = Height(Child(4002));
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.top, 0);
  struct Place {
    int id;
    RECT rect;
  };
  for (const Place& p : {Place{4005, {tw, 1, 600, 21}}, Place{4003, {0, th + 1, 600, th + 3}},
                         Place{4004, {0, th + 5, 600, 400 - sb}}}) {
    SCOPED_TRACE(p.id);
    const RECT rect = RectIn(main(), Child(p.id));
    EXPECT_EQ(rect.left, p.rect.left);
    EXPECT_EQ(rect.top, p.rect.top);
    EXPECT_EQ(rect.right, p.rect.right);
    EXPECT_EQ(rect.bottom, p.rect.bottom);
  }
  int edges[3] = {};
  EXPECT_EQ(::SendMessageA(Child(4002), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 300);
  EXPECT_EQ(edges[1], 600);
  for (int part : {0, 1}) {
    const LRESULT length = ::SendMessageA(Child(4002), SB_GETTEXTLENGTHA, part, 0);
    EXPECT_TRUE(HIWORD(length) & SBT_OWNERDRAW) << "part " << part;
  }

  const RECT before = RectIn(main(), Child(4004));
  ::SendMessageA(main(), WM_SIZE, SIZE_MINIMIZED, 0);
  const RECT after = RectIn(main(), Child(4004));
  EXPECT_EQ(after.right, before.right) << "minimising moves nothing";

  MINMAXINFO limits{};
  ::SendMessageA(main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 400);
  EXPECT_EQ(limits.ptMinTrackSize.y, 400);
}

TEST_F(MainWindowTest, TheWindowHasRoomForItsBarsAroundAPageOf728By620) {
  ASSERT_NE(Open(true), nullptr);
  RECT client{};
  ::GetClientRect(main(), &client);
  EXPECT_GE(client.right, 728);
  EXPECT_GE(client.bottom, 620 + 47);
  RECT outer{};
  ::GetWindowRect(main(), &outer);
  EXPECT_EQ(outer.right - outer.left, MainWindowSize().cx);
  EXPECT_EQ(outer.bottom - outer.top, MainWindowSize().cy);
}

TEST_F(MainWindowTest, CommandsSetTheBrowserHostsTextOrStepThroughHistory) {
  WriteScriptHomeSetting("http://scripts.example/");
  ASSERT_NE(Open(true), nullptr);
  struct Case {
    WORD command;
    const char* address;  // null: a history step
    const wchar_t* step;
  };
  const Case cases[] = {
      {4006, nullptr, L"GoBack"},         {4007, nullptr, L"GoForward"},
      {4010, nullptr, L"Refresh"},        {4008, "http://scripts.example/", nullptr},
      {4009, kGamePage.c_str(), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    control().navigations.clear();
    control().steps.clear();
    SendCommand(c.command);
    if (c.address) {
      EXPECT_EQ(control().navigations, Navigations({c.address}));
      EXPECT_TRUE(control().steps.empty());
    } else {
      EXPECT_TRUE(control().navigations.empty());
      EXPECT_EQ(control().steps, std::vector<std::wstring>{c.step});
    }
  }
}

TEST_F(MainWindowTest, OkNavigatesToTheAddressBoxTextOfAtMost259Characters) {
  ASSERT_NE(Open(true), nullptr);
  for (const std::string& typed :
       {std::string("http://typed.example/page"), "http://long.example/" + std::string(300, 'x')}) {
    control().navigations.clear();
    ::SetWindowTextA(Child(4005), typed.c_str());
    SendCommand(IDOK);
    EXPECT_EQ(control().navigations, Navigations({typed.substr(0, 259)}));
  }
}

TEST_F(MainWindowTest, ConfigShowsItsNotMadeBoxAndCancelOrSystemCloseCloseTheWindow) {
  ASSERT_NE(Open(true), nullptr);
  SendCommand(4011);
  const auto boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, ShiftJis(L"未作成"));
  EXPECT_FALSE(boxes[0].caption.has_value());
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(boxes[0].owner, main());

  for (WORD command : {WORD{IDCANCEL}, WORD{0xE141}}) {
    SCOPED_TRACE(command);
    SendCommand(command);
    EXPECT_TRUE(::IsWindow(main())) << "closing is posted";
    Pump();
    EXPECT_FALSE(::IsWindow(main()));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    Close();
    if (command == IDCANCEL) {
      ASSERT_NE(Open(true), nullptr);
    }
  }
}

// The drop-down menus are driven from the keyboard: the menu takes the keys waiting in the
// queue.
TEST_F(MainWindowTest, DropDownMenusStoreTheCurrentPageOrOpenTheBuiltInPage) {
  WriteGameHomeSetting("http://games.example/");
  WriteScriptHomeSetting("http://scripts.example/");
  ASSERT_NE(Open(true), nullptr);
  struct Case {
    int button;
    std::vector<WPARAM> keys;
    const char* stored_game;
    const char* stored_script;
    const char* opened;
  };
  const Case cases[] = {
      {4008, {VK_DOWN, VK_RETURN}, "http://games.example/", "http://typed.example/", nullptr},
      {4009, {VK_DOWN, VK_RETURN}, "http://typed.example/", "http://typed.example/", nullptr},
      {4008,
       {VK_DOWN, VK_DOWN, VK_RETURN},
       "http://typed.example/",
       "http://typed.example/",
       kScriptPage.c_str()},
      {4009,
       {VK_DOWN, VK_DOWN, VK_RETURN},
       "http://typed.example/",
       "http://typed.example/",
       kGamePage.c_str()},
      {4009, {VK_ESCAPE}, "http://typed.example/", "http://typed.example/", nullptr},
  };
  ::SetWindowTextA(Child(4005), "http://typed.example/");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.size());
    control().navigations.clear();
    for (WPARAM key : c.keys) ::PostMessageA(main(), WM_KEYDOWN, key, 0);
    NMTOOLBARA button{};
    button.hdr.hwndFrom = Child(4001);
    button.hdr.idFrom = 4001;
    button.hdr.code = TBN_DROPDOWN;
    button.iItem = c.button;
    EXPECT_EQ(::SendMessageA(main(), WM_NOTIFY, 4001, reinterpret_cast<LPARAM>(&button)),
              TBDDRET_DEFAULT);
    EXPECT_EQ(GameHomeSetting(), c.stored_game);
    EXPECT_EQ(ScriptHomeSetting(), c.stored_script);
    EXPECT_EQ(control().navigations,
              c.opened ? Navigations({c.opened}) : std::vector<NavigateCall>{});
    Pump();
  }
}

TEST_F(MainWindowTest, StatusTextsGoToTheFirstPartAndACompletedNavigationEmptiesIt) {
  ASSERT_NE(Open(true), nullptr);
  char text[64] = {};
  EXPECT_EQ(Command("STATUS", reinterpret_cast<WPARAM>("Analyzing 2/3")), 0);
  ::SendMessageA(Child(4002), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Analyzing 2/3");
  EXPECT_FALSE(HIWORD(::SendMessageA(Child(4002), SB_GETTEXTLENGTHA, 0, 0)) & SBT_OWNERDRAW);

  control().CompleteNavigation(L"http://www.zuvelo.example/0/?table=1");
  ::SendMessageA(Child(4002), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "");
  EXPECT_EQ(WindowText(Child(4005)), "http://www.zuvelo.example/0/?table=1");
  EXPECT_EQ(Trace(), (Lines{"WC__WWW Set DocUIHander ok\r\n",
                            "DISPID_NAVIGATECOMPLETE http://www.zuvelo.example/0/?table=1\r\n"}));
  DocumentDouble* document = control().document();
  EXPECT_NE(document->handler(), document->site_handler()) << "the new page got the handler";
}

TEST_F(MainWindowTest, TheBrowsersStatusTextIsDrawnInTheSecondPart) {
  ASSERT_NE(Open(true), nullptr);
  ::SendMessageA(main(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(700, 500));
  const HWND status = Child(4002);
  EXPECT_EQ(InkIn(main(), status, 1), 0);
  control().FireOnBothSets(DISPID_STATUSTEXTCHANGE, L"Loading page");
  EXPECT_GT(InkIn(main(), status, 1), 20);
  EXPECT_EQ(InkIn(main(), status, 0), 0) << "the first part is the analyzer's";
  Command("DISPID_STATUSTEXTCHANGE");
  EXPECT_EQ(InkIn(main(), status, 1), 0) << "no text empties it";
}

TEST_F(MainWindowTest, PageTitlesBecomeTheCaptionCutTo63Bytes) {
  ASSERT_NE(Open(true), nullptr);
  control().FireOnBothSets(DISPID_TITLECHANGE, L"Game table");
  EXPECT_EQ(WindowText(main()), "Game table");
  const std::string long_title(100, 't');
  control().FireOnBothSets(DISPID_TITLECHANGE, Wide(long_title));
  EXPECT_EQ(WindowText(main()), long_title.substr(0, 63));
}

TEST_F(MainWindowTest, UnknownAndNamelessCommandsAnswerZeroAndNavigationsAreNeverCancelled) {
  ASSERT_NE(Open(true), nullptr);
  EXPECT_EQ(::SendMessageA(main(), WM__NAMED_COMMAND, 5, 0), 0);
  EXPECT_EQ(Command("status", reinterpret_cast<WPARAM>("lower case")), 0);
  EXPECT_EQ(Command("DISPID_DOCUMENTCOMPLETE"), 0);
  EXPECT_EQ(WindowText(main()), "ZUVELO");
  EXPECT_FALSE(control().FireBeforeNavigate(L"http://anything.example/"));
}

// From the page's side: a trusted page asks for window.external, gets the main window's new
// object, and its trayPopup reaches the tray.
TEST_F(MainWindowTest, AGamePageGetsAnExternalObjectWhoseRequestsComeBackHere) {
  ASSERT_NE(Open(true), nullptr);
  control().CompleteNavigation(kGamePageW);
  com_ptr<IDispatch> external;
  ASSERT_EQ(control().document()->AskForExternal(external), S_OK);
  ASSERT_TRUE(external);
  external->AddRef();
  EXPECT_EQ(external->Release(), 1u) << "one reference, the page's";
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"trayPopup");
  ASSERT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
  VARIANT text;
  variant_text(L"Your turn").release_to(&text);
  DISPPARAMS params{&text, nullptr, 1, 0};
  TakeTray();
  EXPECT_EQ(external->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  ::VariantClear(&text);
  EXPECT_EQ(TakeBalloons(), std::vector<std::string>{"Your turn"});

  control().CompleteNavigation(L"http://evil.example/");
  com_ptr<IDispatch> refused;
  EXPECT_EQ(control().document()->AskForExternal(refused), E_NOTIMPL);
  EXPECT_FALSE(refused);
}

// Game start and tray pop-up, from the address box's page and the page's argument.
TEST_F(MainWindowTest, GameStartsAndPopupsAreOnlyForTheGamePageAndRecordAPlaceholder) {
  const std::string recorded = ShiftJis(L"牌譜情報を記録しました\r\n");
  const std::string refused = ShiftJis(L"このURLからは利用できません");
  const std::string name(kLogName, kLogName + std::wcslen(kLogName));
  const auto placeholder = logs_ / "log" / "201507" / (name + ".mjlog");
  struct Case {
    const char* what;
    std::string page;
    const char* command;
    const wchar_t* argument;
    std::vector<std::string> balloons;
    bool placeholder;
  };
  const Case cases[] = {
      {"start on the game page", kGamePage, "STARTGAME", kLogName, {recorded + name}, true},
      {"start under the game page",
       kGamePage + "?room=3",
       "STARTGAME",
       kLogName,
       {recorded + name},
       true},
      {"start without a log name", kGamePage, "STARTGAME", nullptr, {ShiftJis(L"対局開始")}, false},
      {"start elsewhere", kScriptPage, "STARTGAME", kLogName, {refused}, false},
      {"start on a look-alike page",
       "http://www.zuvelo.example/00/",
       "STARTGAME",
       kLogName,
       {refused},
       false},
      {"pop-up on the game page", kGamePage, "TRAYPOPUP", L"Your turn", {"Your turn"}, false},
      {"pop-up without text", kGamePage, "TRAYPOPUP", nullptr, {}, false},
      {"pop-up elsewhere", "http://evil.example/", "TRAYPOPUP", L"Hi", {refused}, false},
  };
  ASSERT_NE(Open(true), nullptr);
  Pump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(logs_ / "log");
    TakeTray();
    Trace();
    ::SetWindowTextA(Child(4005), c.page.c_str());
    EXPECT_EQ(Command(c.command, c.argument), 0);
    EXPECT_EQ(TakeBalloons(), c.balloons);
    EXPECT_EQ(std::filesystem::exists(placeholder), c.placeholder);
    if (c.placeholder) {
      EXPECT_EQ(std::filesystem::file_size(placeholder), 0u);
    }
    const Lines lines = Trace();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], std::string(c.command) + " URL=" + c.page + "\r\n");
    const bool allowed = c.balloons.empty() || c.balloons[0] != refused;
    EXPECT_EQ(lines.size(), allowed ? 2u : 1u);
  }
}

TEST_F(MainWindowTest, AGameStartKeepsAnExistingLogAndNeverLeavesTheLogFolder) {
  const std::string name(kLogName, kLogName + std::wcslen(kLogName));
  const auto month = logs_ / "log" / "201507";
  std::filesystem::create_directories(month);
  std::ofstream(month / (name + ".mjlog"), std::ios::binary) << "gzip body";
  ASSERT_NE(Open(true), nullptr);
  ::SetWindowTextA(Child(4005), kGamePage.c_str());
  TakeTray();
  Command("STARTGAME", kLogName);
  EXPECT_EQ(FileText(month / (name + ".mjlog")), "gzip body");
  EXPECT_EQ(TakeBalloons().size(), 1u);

  for (const wchar_t* escape : {L"..\\..\\..\\escaped", L"201507/../../escaped", L"C:escaped"}) {
    Command("STARTGAME", escape);
    EXPECT_EQ(TakeBalloons().size(), 1u) << "the balloon is still shown";
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
    EXPECT_EQ(entry.path().filename().string().find("escaped"), std::string::npos) << entry.path();
  }
}

TEST_F(MainWindowTest, TheTrayIconComesWithTheWindowAndGoesWithIt) {
  ASSERT_NE(Open(true), nullptr);
  std::vector<TrayRequest> requests = TakeTray();
  ASSERT_EQ(requests.size(), 1u);
  const NOTIFYICONDATAA& icon = requests[0].data;
  EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(icon.cbSize, NOTIFYICONDATAA_V1_SIZE);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(icon.cbSize, 88u);
  }
  EXPECT_EQ(icon.hWnd, main());
  EXPECT_EQ(icon.uID, 0u);
  EXPECT_EQ(icon.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(icon.uCallbackMessage, 0x8301u);
  EXPECT_NE(icon.hIcon, nullptr);
  EXPECT_STREQ(icon.szTip, "ZUVELO");

  ::SetWindowTextA(Child(4005), kGamePage.c_str());
  Command("TRAYPOPUP", std::wstring(300, L'b').c_str());
  requests = TakeTray();
  ASSERT_EQ(requests.size(), 1u);
  const NOTIFYICONDATAA& balloon = requests[0].data;
  EXPECT_EQ(balloon.cbSize, NOTIFYICONDATAA_V2_SIZE);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(balloon.cbSize, 488u);
  }
  EXPECT_EQ(balloon.uID, 0u);
  EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(std::string(balloon.szInfo), std::string(255, 'b'));
  EXPECT_STREQ(balloon.szInfoTitle, "ZUVELO");
  EXPECT_EQ(balloon.uTimeout, 10000u);
  EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

  Close();
  requests = TakeTray();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(requests[0].data.uID, 0u);
}

TEST_F(MainWindowTest, ALeftClickOnTheTrayIconBringsTheWindowBack) {
  ASSERT_NE(Open(true), nullptr);
  EXPECT_EQ(::SendMessageA(main(), WM__TRAYICON, 0, WM_MOUSEMOVE), 0);
  Pump();
  EXPECT_FALSE(::IsWindowVisible(main())) << "other mouse messages do nothing";
  EXPECT_EQ(::SendMessageA(main(), WM__TRAYICON, 0, WM_LBUTTONDOWN), 0);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(main()));
  EXPECT_FALSE(::IsIconic(main()));
}

// Messages sent to one window, seen by a hook before its procedure runs.
class SentMessages {
 public:
  explicit SentMessages(HWND window)
      : hook_(::SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId())) {
    window_ = window;
    seen_.clear();
  }
  ~SentMessages() { ::UnhookWindowsHookEx(hook_); }
  SentMessages(const SentMessages&) = delete;
  SentMessages& operator=(const SentMessages&) = delete;

  static std::vector<CWPSTRUCT> Of(UINT message) {
    std::vector<CWPSTRUCT> found;
    std::copy_if(seen_.begin(), seen_.end(), std::back_inserter(found),
                 [&](const CWPSTRUCT& m) { return m.message == message; });
    return found;
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && sent->hwnd == window_) seen_.push_back(*sent);
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline HWND window_ = nullptr;
  static inline std::vector<CWPSTRUCT> seen_;
  HHOOK hook_;
};

TEST_F(MainWindowTest, ARightClickOnTheTrayIconOpensTheSystemMenuAtTheCursor) {
  ASSERT_NE(Open(true), nullptr);
  Pump();
  ::SetCursorPos(321, 123);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const SentMessages sent(main());
  ::PostMessageA(main(), WM_KEYDOWN, VK_ESCAPE, 0);  // closes the menu once it is open
  ::SendMessageA(main(), WM__TRAYICON, 0, WM_RBUTTONUP);
  const std::vector<CWPSTRUCT> menu = SentMessages::Of(0x0313);
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].wParam, 2u);
  EXPECT_EQ(menu[0].lParam, MAKELPARAM(cursor.x, cursor.y));
  Pump();
}

// The log-folder check, asked for directly in analyzer-only mode (which never posts it).
TEST_F(MainWindowTest, TheLogFolderCheckAsksForTheDefaultFolderOnlyWhenThePathIsMissing) {
  const std::string fallback = DefaultLogFolder();
  ASSERT_FALSE(fallback.empty());
  const bool fallback_existed = std::filesystem::exists(fallback);
  const std::string question = ShiftJis(
                                   L"牌譜保存フォルダが存在しません。\r\n次の標準フォルダを作成して"
                                   L"もよろしいですか？\r\n\r\n") +
                               fallback;
  const std::string unusable =
      ShiftJis(L"牌譜保存フォルダを作成できませんでした\r\n\r\n牌譜の保存は行なわれません");
  const auto file = folder_ / "a-file";
  std::ofstream(file) << "x";
  struct Case {
    const char* what;
    std::string path;  // "PATH" before
    int answer;
    bool asks;
    std::string path_after;
    bool error;
  };
  const Case cases[] = {
      {"usable folder", logs_.string(), IDYES, false, logs_.string(), false},
      {"a file", file.string(), IDYES, false, file.string(), true},
      {"missing, no", (folder_ / "gone").string(), IDNO, !fallback_existed, fallback,
       !fallback_existed},
      {"missing, yes", (folder_ / "gone").string(), IDYES, !fallback_existed, fallback, false},
  };
  ASSERT_NE(Open(false), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteLogPathSetting(c.path.c_str());
    MessageBoxRecorder boxes(c.answer);
    SendCommand(kLogFolderCheckCommand);
    const auto shown = boxes.Take();
    std::size_t next = 0;
    if (c.asks) {
      ASSERT_GE(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, question);
      EXPECT_EQ(shown[0].caption, ShiftJis(L"牌譜保存フォルダ"));
      EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
      next = 1;
    }
    if (c.error) {
      ASSERT_EQ(shown.size(), next + 1);
      EXPECT_EQ(shown[next].text, unusable);
      EXPECT_FALSE(shown[next].caption.has_value());
      EXPECT_EQ(shown[next].style, static_cast<UINT>(MB_ICONERROR));
    } else {
      EXPECT_EQ(shown.size(), next);
    }
    EXPECT_EQ(LogPathSetting(), c.path_after);
  }
  EXPECT_TRUE(std::filesystem::is_directory(fallback)) << "made on yes";
  if (!fallback_existed) std::filesystem::remove(fallback);
}

std::string Hex(AttachableObject* object) {
  char hex[16] = {};
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(ToLParam(object)));
  return hex;
}

// A stand-in for the analyzer: counts its steps and references.
class Attachable final : public AttachableObject {
 public:
  void MainThreadStep() override { ++steps; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  int steps = 0;
  ULONG refs = 1;
};

TEST_F(MainWindowTest, TheAnalyzerIsKeptWhileAttachedRunsItsStepsAndIsReleasedAtTheEnd) {
  ASSERT_NE(Open(true), nullptr);
  Pump();
  Trace();
  Attachable first, second;
  EXPECT_EQ(::SendMessageA(main(), WM__MAINTHREAD_ATTACH, 0, ToLParam(&first)), 0);
  EXPECT_EQ(::SendMessageA(main(), WM__MAINTHREAD_ATTACH, 0, ToLParam(&second)), 0);
  EXPECT_EQ(first.refs, 2u);
  ::PostMessageA(main(), WM__MAINTHREAD_CALL, 0, ToLParam(&first));
  Pump();
  EXPECT_EQ(first.steps, 1);
  EXPECT_EQ(::SendMessageA(main(), WM__MAINTHREAD_DETACH, 0, ToLParam(&first)), 0);
  EXPECT_EQ(first.refs, 1u);
  EXPECT_EQ(Trace(), (Lines{"WM__MAINTHREAD_ATTACH lParam=" + Hex(&first) + "\r\n",
                            "WM__MAINTHREAD_ATTACH lParam=" + Hex(&second) + "\r\n",
                            "WM__MAINTHREAD_DETACH lParam=" + Hex(&first) + "\r\n"}));
  ::SendMessageA(main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(main()));
  EXPECT_EQ(second.refs, 1u) << "released once when the window went";
  EXPECT_TRUE(boxes_.Take().empty());
}

}  // namespace
}  // namespace zuvelo::testing
