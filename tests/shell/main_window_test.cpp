// The main window, hidden, around the control's test double, and its message loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <exdispid.h>
#include <shellapi.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "base/code_page_win.h"
#include "base/com_ptr_win.h"
#include "bridge/atl_host_win.h"
#include "browser_double.h"
#include "headless_page_win.h"
#include "logana/cache_file.h"
#include "logana/cache_object_win.h"
#include "net/service_address.h"
#include "shell/game_mode.h"
#include "shell/main_window_win.h"
#include "shell/message_loop_win.h"
#include "shell/services/mainthread_calls_win.h"
#include "shell/services/settings_win.h"
#include "shell/startup_win.h"
#include "shell/temp_working_folder.h"
#include "shell/tray_icon_win.h"
#include "support/com_test_environment.h"
#include "support/file_bytes.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;
using WideLines = std::vector<std::wstring>;
namespace fs = std::filesystem;

const std::string kGamePage = std::string(kHomeAddress) + "0/";
const std::string kScriptPage = std::string(kHomeAddress) + "1/script/";
const std::string kLogName = "2015070112gm-0009-0000-0123abcd&tw=0";
const std::wstring kLogNameW(kLogName.begin(), kLogName.end());

ZUVELO_COM_TEST_ENVIRONMENT();

constexpr auto Pump = headless::PumpWaiting;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool hosting = RegisterWindowClasses(::GetModuleHandleA(nullptr)) &&
                                InitControlHosting() && (new BrowserDoubleRegistration)->ok();
    ASSERT_TRUE(hosting);
    ASSERT_TRUE(ProcessTraceListener().ok() && ProcessTraceListener().keeps_only_this_process());
    BrowserDoubleRegistration::options() = {};
    fs::create_directory(logs_);
    ProcessTraceListener().Take(0);
  }
  void TearDown() override {
    Close();
    SetGameMode(true);
    EXPECT_EQ(BrowserDouble::live() + DocumentDouble::live(), 0) << "outlived the main window";
    EXPECT_EQ(ProcessTraceListener().malformed(), 0);
  }
  HWND Open(bool game_mode, bool log_folder = true) {
    if (log_folder) WriteLogPathSetting(logs_.string().c_str());
    SetGameMode(game_mode);
    return main_ = CreateMainWindow(::GetModuleHandleA(nullptr));
  }
  void Close() {
    if (main_ != nullptr && ::IsWindow(main_)) ::DestroyWindow(main_);
    main_ = nullptr;
    for (MSG quit; ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) continue;
  }
  [[nodiscard]] HWND Child(int id) const { return ::GetDlgItem(main_, id); }
  static BrowserDouble& control() { return *BrowserDouble::Latest(); }
  LRESULT Command(const char* name, const void* argument = nullptr) {
    return SendNamedCommand(main_, name, reinterpret_cast<WPARAM>(argument));
  }
  void Process(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    ProcessMessage(MSG{window, message, wparam, lparam, 0, {}}, main_);
    Pump();
  }
  WideLines TakeBalloons() {
    WideLines balloons;
    for (const auto& [message, data] : std::exchange(tray_, {}))
      if (message == NIM_MODIFY && (data.uFlags & NIF_INFO)) balloons.push_back(data.szInfo);
    return balloons;
  }
  static Lines Trace() { return ProcessTraceListener().Take(); }

  TempWorkingFolder folder_;
  const fs::path logs_ = folder_ / "logs";
  MessageBoxRecorder boxes_;
  std::vector<std::pair<DWORD, NOTIFYICONDATAW>> tray_;
  HWND main_ = nullptr;
  ScopedTrayHook tray_hook_{
      [this](DWORD m, const NOTIFYICONDATAW& d) { return tray_.emplace_back(m, d), TRUE; }};
};

Lines Navigated() {
  Lines addresses;
  for (const NavigateCall& call : std::exchange(BrowserDouble::Latest()->navigations, {}))
    addresses.emplace_back(call.address.begin(), call.address.end());
  return addresses;
}

// Buttons read "command:image:style:label".
TEST_F(MainWindowTest, EachModeHasItsFirstPageAndToolbarAndOnlyGameModeChecksTheLogFolder) {
  const bool no_default = !fs::exists(DefaultLogFolder());
  const std::wstring start = L"4006:1:16:|4007:2:16:|4010:3:16:|-|", home = L"4008:0:24:解析|-|";
  for (bool game_mode : {true, false}) {
    WriteLogPathSetting(nullptr);
    ASSERT_NE(Open(game_mode, false), nullptr);
    EXPECT_EQ(Navigated(), Lines{game_mode ? kGamePage : kScriptPage});
    std::wstring buttons;
    for (int i = 0; i < ::SendMessageA(Child(4001), TB_BUTTONCOUNT, 0, 0); ++i) {
      TBBUTTON b{};
      wchar_t label[64] = {};
      ::SendMessageA(Child(4001), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
      ::SendMessageA(Child(4001), TB_GETBUTTONTEXTW, b.idCommand, reinterpret_cast<LPARAM>(label));
      buttons += b.fsStyle == BTNS_SEP
                     ? std::wstring(L"-|")
                     : std::to_wstring(b.idCommand) + L":" + std::to_wstring(b.iBitmap) + L":" +
                           std::to_wstring(b.fsStyle) + L":" + label + L"|";
    }
    EXPECT_EQ(buttons, start + (game_mode ? L"4009:0:24:対戦|-|" : L"") + home);
    EXPECT_TRUE(boxes_.Take().empty()) << "not while the window is being made";
    Pump();
    EXPECT_EQ(!boxes_.Take().empty(), game_mode && no_default);
    EXPECT_EQ(LogPathSetting().empty(), !game_mode);
    Close();
  }
}

std::vector<CWPSTRUCT> sent;
std::wstring menu_items;  // read while the menu is up
LRESULT CALLBACK RecordSent(int code, WPARAM wparam, LPARAM lparam) {
  const auto& m = sent.emplace_back(*reinterpret_cast<const CWPSTRUCT*>(lparam));
  const auto menu = reinterpret_cast<HMENU>(m.wParam);
  for (int i = 0; m.message == WM_INITMENUPOPUP && i < ::GetMenuItemCount(menu); ++i) {
    wchar_t item[64] = {};
    ::GetMenuStringW(menu, i, item, 64, MF_BYPOSITION);
    menu_items += item + std::wstring(L"|");
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}
LRESULT SendRecorded(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  sent.clear();
  menu_items.clear();
  const HHOOK hook =
      ::SetWindowsHookExA(WH_CALLWNDPROC, &RecordSent, nullptr, ::GetCurrentThreadId());
  const LRESULT result = ::SendMessageA(window, message, wparam, lparam);
  ::UnhookWindowsHookEx(hook);
  return result;
}

TEST_F(MainWindowTest, DropDownMenusStoreTheCurrentPageOrOpenTheBuiltInPage) {
  WriteGameHomeSetting("http://games.example/");
  ASSERT_NE(Open(true), nullptr);
  const std::string typed = "http://typed.example/";
  ::SetWindowTextA(Child(4005), typed.c_str());
  const std::tuple<int, int, std::string, Lines> cases[] = {
      {4008, 1, "http://games.example/ " + typed, {}},
      {4009, 1, typed + " " + typed, {}},
      {4008, 2, typed + " " + typed, {kScriptPage}},
      {4009, 2, typed + " " + typed, {kGamePage}}};
  for (const auto& [id, downs, homes, opened] : cases) {
    Navigated();
    for (int i = 0; i < downs; ++i) ::PostMessageA(main_, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(main_, WM_KEYDOWN, VK_RETURN, 0);  // the menu takes the queued keys
    NMTOOLBARA button{{Child(4001), 4001, TBN_DROPDOWN}, id, {}, 0, nullptr, {}};
    EXPECT_EQ(SendRecorded(main_, WM_NOTIFY, 4001, reinterpret_cast<LPARAM>(&button)),
              TBDDRET_DEFAULT);
    EXPECT_EQ(menu_items, L"現在のページをHOMEに使用する||標準のページを開く|");
    EXPECT_EQ(GameHomeSetting() + " " + ScriptHomeSetting(), homes) << id << " " << downs;
    EXPECT_EQ(Navigated(), opened) << id << " " << downs;
    Pump();
  }
}

TEST_F(MainWindowTest, BrowserEventsSetTitleStatusAndAddressAndPagesGetTheExternalObject) {
  ASSERT_NE(Open(true), nullptr);
  control().FireOnBothSets(DISPID_TITLECHANGE, std::wstring(100, L't'));
  EXPECT_EQ(WindowText(main_), std::string(63, 't'));
  char text[64] = {};
  EXPECT_EQ(Command("STATUS", "Analyzing 2/3"), 0);
  ::SendMessageA(Child(4002), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Analyzing 2/3");
  ::SendMessageA(main_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 400));  // resets both parts
  int edges[3] = {};
  EXPECT_EQ(::SendMessageA(Child(4002), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_TRUE(edges[0] == 300 && edges[1] == 600);
  EXPECT_TRUE(HIWORD(::SendMessageA(Child(4002), SB_GETTEXTLENGTHA, 0, 0)) &
              HIWORD(::SendMessageA(Child(4002), SB_GETTEXTLENGTHA, 1, 0)) & SBT_OWNERDRAW);
  control().CompleteNavigation(L"http://www.zuvelo.example/0/?table=1");  // a game page
  ::SendMessageA(Child(4002), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "");
  EXPECT_EQ(WindowText(Child(4005)), "http://www.zuvelo.example/0/?table=1");
  com_ptr<IDispatch> external;
  ASSERT_EQ(control().document()->AskForExternal(external), S_OK);
  external->AddRef();
  EXPECT_EQ(external->Release(), 1u) << "one reference, the page's";
}

TEST_F(MainWindowTest, GameStartsAndPopupsAreOnlyForTheGamePageAndRecordAPlaceholder) {
  const std::wstring recorded = L"牌譜情報を記録しました\r\n",
                     refused = L"このURLからは利用できません";
  const auto placeholder = logs_ / "log" / "201507" / (kLogName + ".mjlog");
  const std::wstring long_text(300, L'b'), split = std::wstring(254, L'b') + L"\U0001F004";
  // Separators only after a best-fit conversion to code page 1252; the balloon shows the name.
  const std::wstring fit_back = L"\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3Cesc";
  const std::tuple<std::string, const char*, const wchar_t*, WideLines> cases[] = {
      {kGamePage, "STARTGAME", kLogNameW.c_str(), {recorded + kLogNameW}},
      {kGamePage + "?room=3", "STARTGAME", kLogNameW.c_str(), {recorded + kLogNameW}},
      {kGamePage, "STARTGAME", nullptr, {L"対局開始"}},
      {kGamePage, "STARTGAME", L"..\\..\\..\\esc", {recorded + L"..\\..\\..\\esc"}},
      {kGamePage, "STARTGAME", fit_back.c_str(), {recorded + fit_back}},
      {kScriptPage, "STARTGAME", kLogNameW.c_str(), {refused}},
      {"http://www.zuvelo.example/00/", "STARTGAME", kLogNameW.c_str(), {refused}},
      {kGamePage, "TRAYPOPUP", L"Your turn \u725D", {L"Your turn \u725D"}},
      {kGamePage, "TRAYPOPUP", nullptr, {}},
      {kGamePage, "TRAYPOPUP", long_text.c_str(), {std::wstring(255, L'b')}},
      {kGamePage, "TRAYPOPUP", split.c_str(), {std::wstring(254, L'b')}},
      {"http://evil.example/", "TRAYPOPUP", L"Hi", {refused}},
  };
  ASSERT_NE(Open(true), nullptr);
  Pump();
  for (const auto& [page, command, argument, balloons] : cases) {
    SCOPED_TRACE(page + " " + command);
    fs::remove_all(logs_ / "log");
    ::SetWindowTextA(Child(4005), page.c_str());
    EXPECT_EQ(Command(command, argument), 0);
    EXPECT_EQ(TakeBalloons(), balloons);
    const bool made = balloons == WideLines{recorded + kLogNameW};
    EXPECT_EQ(fs::exists(placeholder), made);
    EXPECT_EQ(made ? fs::file_size(placeholder) : 0u, 0u);
  }
  for (const auto& entry : fs::recursive_directory_iterator(folder_.path()))
    EXPECT_EQ(entry.path().filename().string().find("esc"), std::string::npos) << entry.path();
  ::SetWindowTextA(Child(4005), kGamePage.c_str());
  WriteBytes(placeholder, "gzip body");
  Command("STARTGAME", kLogNameW.c_str());
  EXPECT_EQ(ReadBytes(placeholder), "gzip body");
}

TEST_F(MainWindowTest, ClicksOnTheTrayIconRestoreTheWindowOrOpenItsSystemMenu) {
  ASSERT_NE(Open(true), nullptr);
  Process(main_, WM__TRAYICON, 0, WM_MOUSEMOVE);
  EXPECT_FALSE(::IsWindowVisible(main_)) << "other mouse messages do nothing";
  Process(main_, WM__TRAYICON, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(::IsWindowVisible(main_) && !::IsIconic(main_));
  ::SetCursorPos(321, 123);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  ::PostMessageA(main_, WM_KEYDOWN, VK_ESCAPE, 0);  // closes the menu once it is open
  SendRecorded(main_, WM__TRAYICON, 0, WM_RBUTTONUP);
  std::erase_if(sent, [&](const CWPSTRUCT& m) { return m.hwnd != main_ || m.message != 0x313; });
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(sent[0].wParam == 2u && sent[0].lParam == MAKELPARAM(cursor.x, cursor.y));
  Pump();
}

WideLines Shown(MessageBoxRecorder& boxes) {
  WideLines lines;
  for (const MessageBoxCall& box : boxes.Take()) {
    const auto shown = [&](UINT code_page) {
      return ShownText(box, code_page) + L"|" + ShownCaption(box, code_page).value_or(L"-") + L"|" +
             std::to_wstring(box.style);
    };
    EXPECT_EQ(shown(1252), shown(932));  // the same on a Japanese system
    lines.push_back(shown(1252));
  }
  return lines;
}

// Asked for directly in analyzer-only mode, which never posts it.
TEST_F(MainWindowTest, TheLogFolderCheckAsksForTheDefaultFolderOnlyWhenThePathIsMissing) {
  const std::string fallback = DefaultLogFolder(), file = (folder_ / "a-file").string();
  const std::string logs = logs_.string(), gone = (folder_ / "gone").string();
  WriteBytes(file, "x");
  const bool asks = !fs::exists(fallback);
  const std::wstring question =
      L"牌譜保存フォルダが存在しません。\r\n次の標準フォルダを作成してもよろしいですか？\r\n\r\n" +
      AnsiToWide(fallback) + L"|牌譜保存フォルダ|" + std::to_wstring(MB_YESNO | MB_ICONQUESTION);
  const std::wstring unusable =
      L"牌譜保存フォルダを作成できませんでした\r\n\r\n牌譜の保存は行なわれません|-|" +
      std::to_wstring(MB_ICONERROR);
  const std::tuple<std::string, int, WideLines, std::string> cases[] = {
      {logs, IDYES, {}, logs},
      {file, IDYES, {unusable}, file},
      {gone, IDNO, asks ? WideLines{question, unusable} : WideLines{}, fallback},
      {gone, IDYES, asks ? WideLines{question} : WideLines{}, fallback}};
  ASSERT_NE(Open(false), nullptr);
  for (const auto& [path, answer, expected, path_after] : cases) {
    WriteLogPathSetting(path.c_str());
    MessageBoxRecorder boxes(answer);
    ::SendMessageA(main_, WM_COMMAND, kLogFolderCheckCommand, 0);
    EXPECT_EQ(Shown(boxes), expected) << path << " " << answer;
    EXPECT_EQ(LogPathSetting(), path_after);
  }
  EXPECT_TRUE(fs::is_directory(fallback)) << "made on yes";
  boxes_.Take();
  ::SendMessageA(main_, WM_COMMAND, 4011, 0);  // settings, not made yet
  EXPECT_EQ(Shown(boxes_), WideLines{L"未作成|-|0"});
  if (asks) fs::remove(fallback);
}

struct Attachable final : AttachableObject {  // the analyzer's stand-in
  void MainThreadStep() override {}
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

TEST_F(MainWindowTest, CancelOrCloseEndTheWindowWhichReleasesItsAnalyzersAndTrayIcon) {
  for (WORD command : {WORD{IDCANCEL}, WORD{0xE141}}) {
    const HWND window = Open(true);
    Attachable analyzer;
    ::SendMessageA(window, WM__MAINTHREAD_ATTACH, 0, ToLParam(&analyzer));
    ::SendMessageA(window, WM_COMMAND, command, 0);
    EXPECT_TRUE(::IsWindow(window)) << "closing is posted";
    Pump();
    EXPECT_FALSE(::IsWindow(window)) << command;
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 0);
    EXPECT_EQ(analyzer.refs, 1u) << "released once when the window went";
    ASSERT_EQ(tray_.size(), 2u);
    EXPECT_TRUE(tray_[0].first == NIM_ADD && tray_[1].first == NIM_DELETE &&
                tray_[0].second.hWnd == window && tray_[1].second.hWnd == window);
    tray_.clear();
  }
}

using Delivered = std::vector<std::pair<HWND, UINT>>;
Delivered delivered;
LRESULT CALLBACK RecordDelivered(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || (message >= WM_LBUTTONDOWN && message <= WM_RBUTTONUP))
    delivered.emplace_back(window, message);
  return ::DefWindowProcA(window, message, wparam, lparam);
}
HWND Target(const char* window_class, HWND parent, DWORD style, DWORD ex_style = 0) {
  const WNDCLASSA registration{
      0,       &RecordDelivered, 0,       0,       ::GetModuleHandleA(nullptr),
      nullptr, nullptr,          nullptr, nullptr, window_class};
  ::RegisterClassA(&registration);
  return ::CreateWindowExA(ex_style, window_class, nullptr, style, 173, 211, 40, 30, parent,
                           nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

// The process ends after WM_ENDSESSION without a quit message or static destructors.
TEST_F(MainWindowTest, TheEndOfTheSessionSavesTheCache) {
  ASSERT_NE(Open(true), nullptr);
  ProcessCacheStore().Put(u"k", u"v");
  ::SendMessageA(main_, WM_ENDSESSION, FALSE, 0);  // the session goes on
  EXPECT_FALSE(fs::exists("00.dat"));
  ::SendMessageA(main_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  std::u16string saved;
  static_cast<void>(
      LoadCacheFile("00.dat", [&](const CacheRecord& r) { saved = r.key + u"=" + r.value; }));
  EXPECT_EQ(saved, u"k=v");
}

TEST_F(MainWindowTest, KeysInTheControlsWindowsGoToTheControlFirstAndEnterNavigates) {
  for (bool in_place_active : {false, true}) {
    BrowserDoubleRegistration::options().in_place_active = in_place_active;
    ASSERT_NE(Open(true), nullptr);
    const HWND view = control().view();
    TakeViewMessages();
    for (WPARAM key : {WPARAM{VK_TAB}, WPARAM{VK_BACK}, WPARAM{'A'}}) {
      Process(view, WM_KEYDOWN, key);
      const std::vector<MSG> offered = std::exchange(control().offered_keys, {});
      EXPECT_TRUE(offered.size() == (in_place_active ? 1u : 0u) &&
                  (offered.empty() || (offered[0].hwnd == view && offered[0].wParam == key)));
      EXPECT_EQ(std::ranges::count(TakeViewMessages(), WM_KEYDOWN), key == 'A' || !in_place_active)
          << key;
    }
    if (!in_place_active) Close();
  }
  Process(::GetDlgItem(Child(4004), 100), WM_KEYDOWN, VK_TAB);
  EXPECT_TRUE(control().offered_keys.empty()) << "the program's own windows are not the control's";
  const HWND notes = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_WANTRETURN, 0, 0,
                                       100, 60, main_, nullptr, nullptr, nullptr);
  const std::string typed = "http://typed.example/" + std::string(300, 'x');
  ::SetWindowTextA(Child(4005), typed.c_str());
  Navigated();
  for (HWND focus : {Child(4005), Child(4004), notes}) {
    ::SetFocus(focus);
    Process(focus == notes ? notes : Child(4005), WM_KEYDOWN, VK_RETURN);
  }
  EXPECT_EQ(WindowText(notes), "\r\n") << "an ordinary key in a multi-line edit";
  EXPECT_EQ(Navigated(), Lines{typed.substr(0, 259)});
}

// Under Wine pointer warps arrive late: the pointer starts inside the game, and the test polls.
TEST_F(MainWindowTest, RightClicksOnTheFlashGameBecomeALeftClickAtItsCornerUnlessCtrlIsDown) {
  ASSERT_NE(Open(true), nullptr);
  const HWND game =
      Target("MacromediaFlashPlayerActiveX", nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  POINT before{}, after{};
  ::SetCursorPos(190, 226);
  ::GetCursorPos(&before);
  Trace();
  Process(game, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  headless::PumpUntil([&] { return delivered.size() >= 2; }, std::chrono::seconds(2));
  EXPECT_EQ(std::exchange(delivered, {}),
            (Delivered{{game, WM_LBUTTONDOWN}, {game, WM_LBUTTONUP}}));
  headless::PumpUntil(
      [&] { return ::GetCursorPos(&after) && after.x == before.x && after.y == before.y; },
      std::chrono::seconds(2));
  EXPECT_TRUE(after.x == before.x && after.y == before.y) << after.x << "," << after.y;
  EXPECT_EQ(Trace(), Lines{"msg=204 name=MacromediaFlashPlayerActiveX\r\n"});
  Process(game, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Pump();
  EXPECT_TRUE(delivered.empty()) << "the release is dropped and clicks nothing";
  ::DestroyWindow(game);

  const HWND full = Target("ShockwaveFlashFullScreen", main_, WS_CHILD);
  const HWND other = Target("ShockwaveFlashFullScreen2", main_, WS_CHILD);
  Process(full, WM_RBUTTONUP);
  Process(other, WM_RBUTTONDOWN);
  EXPECT_EQ(std::exchange(delivered, {}), (Delivered{{other, WM_RBUTTONDOWN}}));
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  Trace();
  Process(full, WM_RBUTTONDOWN);
  Process(full, WM_RBUTTONUP);
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(delivered, (Delivered{{full, WM_RBUTTONDOWN}, {full, WM_RBUTTONUP}}));
  EXPECT_TRUE(Trace().empty()) << "with Ctrl the class is not looked at";
}

// In code page 932 a lead byte left at the end would swallow the terminator.
TEST(AnsiCutTest, TextsAreCutBetweenCharactersOfTheirCodePage) {
  const std::string wide_char = "\x94\x76";  // one character in Shift-JIS, two in code page 1252
  const std::tuple<UINT, std::string, std::size_t, std::string> cases[] = {
      {932, std::string(254, 'a') + wide_char, 255, std::string(254, 'a')},
      {932, std::string(253, 'a') + wide_char, 255, std::string(253, 'a') + wide_char},
      {932, "\xB1\xB2" + wide_char, 3, "\xB1\xB2"},  // half-width kana are single bytes
      {1252, std::string(254, 'a') + wide_char, 255, std::string(254, 'a') + "\x94"}};
  for (const auto& [code_page, text, limit, cut] : cases)
    EXPECT_EQ(CutAnsi(text, limit, code_page), cut) << code_page << " " << text.size();
}

TEST(StartupTest, AnalyzerOnlyNeedsTheWorkingFolderCurrentAndTheProgramNamedLogana) {
  const std::string in = "C:\\Users\\me\\AppData\\Local\\Q-ORB\\zuvelo\\130";
  for (const char* p : {"C:\\Games\\logana.exe", "D:/logana.EXE", "C:\\a.b\\logana", "C:logana"})
    EXPECT_TRUE(IsAnalyzerOnlyStart(in, in, p)) << p;
  for (const char* p : {"C:\\zuvelo.exe", "C:\\LOGANA.exe", "C:\\logana2", "C:\\logana.old.exe"})
    EXPECT_FALSE(IsAnalyzerOnlyStart(in, in, p)) << p;
  for (const std::string& c : {std::string("C:\\"), in + "\\", std::string("c").append(in, 1)})
    EXPECT_FALSE(IsAnalyzerOnlyStart(c, in, "logana.exe")) << c;
}

}  // namespace
}  // namespace zuvelo::testing
