// The browser host around the control's double, and which pages get window.external.
#include "bridge/browser_host_win.h"

#include <cwchar>
#include <tuple>

#include "base/handle_win.h"
#include "bridge/atl_host_win.h"
#include "bridge/page_trust.h"
#include "browser_double.h"
#include "page_test.h"
#include "shell/services/settings_win.h"
#include "shell/temp_working_folder.h"

namespace zuvelo::testing {
namespace {

using Commands = std::vector<ReceivedCommand>;

constexpr const char* kGamePage = "http://www.zuvelo.example/0/";
constexpr const wchar_t* kGamePageW = L"http://www.zuvelo.example/0/";
constexpr const char* kHandlerSet = "WC__WWW Set DocUIHander ok\r\n";

ReceivedCommand Got(const char* name, const char* text = nullptr) {
  return {name, text != nullptr, L"", text ? text : "", ::GetCurrentThreadId()};
}

std::vector<NavigateCall> NavigationTo(const std::string& address) {
  return {{std::wstring(address.begin(), address.end()), VT_EMPTY, L"_top", VT_EMPTY,
           kNavigationHeaders}};
}

class BrowserHostTest : public PageTest {
 protected:
  void SetUp() override {
    static const bool hosting = InitControlHosting() &&
                                RegisterBrowserHostClass(::GetModuleHandleA(nullptr)) != 0 &&
                                (new BrowserDoubleRegistration)->ok();
    ASSERT_TRUE(hosting);
    PageTest::SetUp();
    BrowserDoubleRegistration::options() = {};
  }
  void TearDown() override {
    browser_.reset();
    main_.external.reset();
    EXPECT_EQ(BrowserDouble::live() + DocumentDouble::live() + PageObject::live(), 0) << "leak";
    PageTest::TearDown();
  }

  HWND MakeHost(const char* text = nullptr) {
    browser_.reset(::CreateWindowExA(0, kBrowserHostClass, text, WS_CHILD | WS_VISIBLE, 0, 0, 200,
                                     150, main_.hwnd(), nullptr, nullptr, nullptr));
    return browser_.get();
  }
  BrowserDouble& HostOnPage(const std::wstring& address) {
    EXPECT_NE(MakeHost(), nullptr);
    control().CompleteNavigation(address);
    Send("UPDATEDOCUIHANDLER");
    main_.TakeCommands();
    Trace();
    return control();
  }
  static BrowserDouble& control() { return *BrowserDouble::Latest(); }
  LRESULT Send(const char* command, WPARAM argument = 0) {
    return SendNamedCommand(browser_.get(), command, argument);
  }

  TempWorkingFolder folder_;
  unique_window browser_;
};

TEST_F(BrowserHostTest, EmbedsTheControlWhichGetsSizeFocusAndHistoryButtonsUntilItCloses) {
  ASSERT_NE(MakeHost(), nullptr);
  const HWND control_window = ::GetDlgItem(browser_.get(), kBrowserControlId);
  EXPECT_EQ(control().drop_targets, std::vector<VARIANT_BOOL>{VARIANT_FALSE});
  EXPECT_TRUE(control().navigations.empty()) << "no text, no navigation";
  RECT rect{};
  for (LPARAM size : {MAKELPARAM(180, 90), LPARAM{0}}) {  // a zero size is ignored
    ::SendMessageA(browser_.get(), WM_SIZE, SIZE_RESTORED, size);
    ::GetClientRect(control_window, &rect);
    EXPECT_EQ(rect.right, 180);
    EXPECT_EQ(rect.bottom, 90);
  }
  ::SendMessageA(browser_.get(), WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(::GetFocus() == control_window || ::IsChild(control_window, ::GetFocus()));
  for (short command :
       {APPCOMMAND_BROWSER_BACKWARD, APPCOMMAND_BROWSER_FORWARD, APPCOMMAND_BROWSER_REFRESH}) {
    ::SendMessageA(browser_.get(), WM_APPCOMMAND, 0, MAKELPARAM(0, command));
  }
  EXPECT_EQ(control().steps, (std::vector<std::wstring>{L"GoBack", L"GoForward"}));
  control().CompleteNavigation(L"http://www.zuvelo.example/1/script/");
  Send("UPDATEDOCUIHANDLER");
  control().CompleteNavigation(kGamePageW);
  const com_ptr<IOleObject> keep = com_ptr<IOleObject>::copy_of(&control());
  const com_ptr<DocumentDouble> document = com_ptr<DocumentDouble>::copy_of(control().document());
  EXPECT_EQ(Send("UPDATEDOCUIHANDLER"), 0);
  Send("UPDATEDOCUIHANDLER");
  ASSERT_NE(document->handler(), document->site_handler());
  EXPECT_EQ(document->handler_changes, 1) << "once per document, and for each new document";
  EXPECT_EQ(Trace(), (Lines{kHandlerSet, kHandlerSet}));
  DOCHOSTUIINFO info{};
  EXPECT_EQ(document->handler()->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, SiteHandler::kHostFlags);
  MSG key{};
  EXPECT_EQ(document->handler()->TranslateAccelerator(&key, nullptr, 0), SiteHandler::kKeyAnswer);
  ::SendMessageA(browser_.get(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(browser_.release()));
  EXPECT_FALSE(::IsWindow(control_window));
  EXPECT_EQ(control().sinks(DIID_DWebBrowserEvents) + control().sinks(DIID_DWebBrowserEvents2), 0u);
  EXPECT_EQ(control().unadvised, 2);
  EXPECT_EQ(document->handler(), document->site_handler());
}

TEST_F(BrowserHostTest, WithoutAFormerHandlerTheDocumentKeepsItsDefaults) {
  BrowserDoubleRegistration::options().site_handler = false;
  IDocHostUIHandler* handler = HostOnPage(kGamePageW).document()->handler();
  ASSERT_NE(handler, nullptr);
  DOCHOSTUIINFO info{};
  MSG key{};
  EXPECT_EQ(handler->GetHostInfo(&info), E_NOTIMPL);
  EXPECT_EQ(handler->TranslateAccelerator(&key, nullptr, 0), S_FALSE);
}

TEST_F(BrowserHostTest, AControlThatCannotBeDrivenFailsTheWindowWithItsBox) {
  for (bool browser : {false, true}) {
    BrowserDoubleRegistration::options().web_browser = browser;
    BrowserDoubleRegistration::options().events = false;
    EXPECT_EQ(MakeHost(kGamePage), nullptr);
    const auto boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, browser ? "AtlAdvice failed" : "GetControl failed");
    EXPECT_FALSE(boxes[0].caption.has_value());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(BrowserDouble::live(), 0) << "the control goes with the failed window";
  }
}

TEST_F(BrowserHostTest, TextsBecomeNavigationsOrHistoryStepsAndOnlyAddressesStayAsText) {
  // A text, its history step (none: a navigation), and whether it becomes the window text.
  const std::tuple<const char*, const wchar_t*, bool> cases[] = {
      {"about:home", L"GoHome", false},
      {"about:gobackward", L"GoBack", false},
      {"about:goforward", L"GoForward", false},
      {"about:refresh", L"Refresh", false},
      {"about:Refresh", nullptr, false},
      {"About:refresh", nullptr, true},
      {"http://www.zuvelo.example/1/script/", nullptr, true},
  };
  const char* html = "<b>page</b>";  // a creation text is an address, even one that looks like HTML
  ASSERT_NE(MakeHost(html), nullptr);
  EXPECT_EQ(control().navigations, NavigationTo(html));
  EXPECT_EQ(main_.TakeCommands(), Commands{Got("DISPID_BEFORENAVIGATE", html)});
  EXPECT_EQ(WindowText(browser_.get()), html);
  for (LRESULT answer : {0, 1}) {
    main_.answer = answer;
    EXPECT_EQ(
        control().FireWithFlag(DISPID_BEFORENAVIGATE, Raw(variant_text(L"http://a.example/"))),
        answer != 0);
    EXPECT_EQ(main_.TakeCommands(), Commands{Got("DISPID_BEFORENAVIGATE", "http://a.example/")});
  }
  for (const auto& [text, step, stays] : cases) {
    SCOPED_TRACE(text);
    control().navigations.clear();
    control().steps.clear();
    const std::string before = WindowText(browser_.get());
    ::SetWindowTextA(browser_.get(), text);
    EXPECT_EQ(control().steps,
              step ? std::vector<std::wstring>{step} : std::vector<std::wstring>{});
    EXPECT_EQ(control().navigations, step ? std::vector<NavigateCall>{} : NavigationTo(text));
    EXPECT_EQ(WindowText(browser_.get()), stays ? text : before);
  }
}

TEST_F(BrowserHostTest, TheDocumentTakesHtmlAndHandsOutItsScriptObjectOnceItIsThere) {
  BrowserDoubleRegistration::options().document_after_asks = 5;
  const com_ptr<PageObject> script(new PageObject);
  ASSERT_NE(MakeHost(), nullptr);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Send("GETSCRIPT"), 0) << "no document: the request gives up";
  EXPECT_GE(::GetTickCount() - start, kDocumentWaitMs - 50);
  EXPECT_LT(::GetTickCount() - start, kDocumentWaitMs + 2000);
  control().script = com_ptr<IDispatch>::copy_of(script.get());
  control().CompleteNavigation(kGamePageW);
  ::SetWindowTextA(browser_.get(), "<p>one</p>");
  EXPECT_EQ(Send("WRITEHTML", reinterpret_cast<WPARAM>(L"<p>two</p>")), 0);
  EXPECT_EQ(control().document()->written, L"<p>one</p><p>two</p>");
  EXPECT_EQ(control().document()->closes, 2);
  EXPECT_TRUE(control().navigations.empty());
  EXPECT_EQ(WindowText(browser_.get()), "") << "HTML is not the window text";
  com_ptr<IDispatch> answer(reinterpret_cast<IDispatch*>(Send("GETSCRIPT")));
  EXPECT_EQ(answer.get(), static_cast<IDispatch*>(script.get()));
  answer.reset();
  control().script.reset();
  browser_.reset();
  EXPECT_EQ(RefCount(script.get()), 1u) << "one reference was handed out and dropped";
}

TEST_F(BrowserHostTest, EventsReachTheParentAsTextAndOnlyPopupsOfTheServiceOpen) {
  ASSERT_NE(MakeHost(), nullptr);
  control().CompleteNavigation(L"http://a.example/page");
  control().FireOnBothSets(DISPID_STATUSTEXTCHANGE, L"Loading");
  control().Fire(DIID_DWebBrowserEvents2, DISPID_TITLECHANGE, {Raw(variant_i4(42))});
  EXPECT_EQ(main_.TakeCommands(),
            (Commands{Got("DISPID_NAVIGATECOMPLETE", "http://a.example/page"),
                      Got("DISPID_DOCUMENTCOMPLETE"), Got("DISPID_STATUSTEXTCHANGE", "Loading"),
                      Got("DISPID_STATUSTEXTCHANGE", "Loading"), Got("DISPID_TITLECHANGE", "42")}));
  control().Fire(DIID_DWebBrowserEvents, DISPID_STATUSTEXTCHANGE, {});
  control().Fire(DIID_DWebBrowserEvents2, DISPID_BEFORENAVIGATE2, {});
  control().Fire(DIID_DWebBrowserEvents, DISPID_NEWWINDOW, {Raw(variant_text(L"http://a.b/"))});
  EXPECT_TRUE(main_.TakeCommands().empty());
  // The event, the address (none: not a string), and what opens in the user's browser.
  const std::tuple<DISPID, const wchar_t*, const char*> cases[] = {
      {DISPID_NEWWINDOW, L"http://www.zuvelo.example/help", "http://www.zuvelo.example/help"},
      {DISPID_FRAMENEWWINDOW, kGamePageW, kGamePage},
      {DISPID_NEWWINDOW, L"http://ads.example/", nullptr},
      {DISPID_FRAMENEWWINDOW, L"http://www.zuvelo.example.evil/", nullptr},
      {DISPID_NEWWINDOW, L"HTTP://WWW.ZUVELO.EXAMPLE/", nullptr},
      {DISPID_NEWWINDOW, nullptr, nullptr},
  };
  std::vector<std::string> opened;
  const ScopedOpenAddressHook hook([&](const std::string& address) { opened.push_back(address); });
  for (const auto& [event, address, opens] : cases) {
    SCOPED_TRACE(opens ? opens : "none");
    EXPECT_EQ(control().FireWithFlag(event, Raw(address ? variant_text(address) : variant_i4(7))),
              address != nullptr);
    EXPECT_EQ(std::exchange(opened, {}), opens ? Lines{opens} : Lines{});
    const bool blocked = address && !opens;
    EXPECT_EQ(main_.TakeCommands(),
              blocked ? Commands{Got("DISPID_STATUSTEXTCHANGE", "POPUP BLOCKED")} : Commands{});
  }
}

// Other pages are refused without asking the main window.
TEST_F(BrowserHostTest, OnlyTheServicesPagesAndTheChosenStartPagesGetTheExternalObject) {
  const std::tuple<const char*, const char*, const wchar_t*, bool> cases[] = {
      {nullptr, nullptr, L"http://www.zuvelo.example/1/script/tools.html", true},
      {nullptr, nullptr, L"http://evil.example/", false},
      {"http://games.example/play/", nullptr, L"http://games.example/play/table", true},
      {nullptr, "http://mine.example", L"http://mine.example/stats.html", true},
      {"", "", L"http://evil.example/", false},
      {nullptr, "file:///C:/pages/stats.html", L"file:///C:/pages/stats.html", true},
      {"file:///C:/games/", nullptr, L"file:///C:/games/table.html", true},
  };
  const com_ptr<PageObject> external(new PageObject);
  for (const auto& [game_home, script_home, address, trusted] : cases) {
    const std::string page(address, address + std::wcslen(address));
    SCOPED_TRACE(page);
    WriteSetting(kStatusSection, kGameHomeKey, game_home);
    WriteSetting(kStatusSection, kScriptHomeKey, script_home);
    main_.external = com_ptr<IDispatch>::copy_of(external.get());
    BrowserDouble& browser = HostOnPage(address);
    com_ptr<IDispatch> answer;
    EXPECT_EQ(browser.document()->AskForExternal(answer), trusted ? S_OK : E_NOTIMPL);
    EXPECT_EQ(answer.get(), trusted ? static_cast<IDispatch*>(external.get()) : nullptr);
    EXPECT_EQ(main_.TakeCommands(), trusted ? Commands{Got("GETEXTERNAL")} : Commands{});
    EXPECT_EQ(Trace(), trusted ? Lines{} : Lines{"WC__WWW GetExternal refused " + page + "\r\n"});
  }
  main_.external.reset();  // a trusted page gets nothing when the main window makes none
  com_ptr<IDispatch> answer;
  EXPECT_EQ(HostOnPage(kGamePageW).document()->AskForExternal(answer), E_NOTIMPL);
  EXPECT_EQ(answer.get(), nullptr);
  EXPECT_EQ(main_.TakeCommands(), Commands{Got("GETEXTERNAL")});
}

TEST_F(BrowserHostTest, OnlyAMemoryContextOfAVisibleHostGetsTheControlsPicture) {
  ASSERT_NE(MakeHost(), nullptr);
  ::ShowWindow(main_.hwnd(), SW_SHOWNOACTIVATE);
  const HDC screen = ::GetDC(browser_.get());
  const HDC memory = ::CreateCompatibleDC(screen);
  const HGDIOBJ previous = ::SelectObject(memory, ::CreateCompatibleBitmap(screen, 200, 150));
  for (HDC dc : {screen, memory})
    ::SendMessageA(browser_.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(control().draws, 1) << "the control paints its own window";
  EXPECT_EQ(::GetPixel(memory, 100, 75), BrowserDouble::kContentColor);
  ::ShowWindow(main_.hwnd(), SW_HIDE);
  ::SendMessageA(browser_.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(control().draws, 1) << "a hidden window draws nothing";
  ::DeleteObject(::SelectObject(memory, previous));
  ::DeleteDC(memory);
  ::ReleaseDC(browser_.get(), screen);
}

TEST(PageTrustTest, APageIsTrustedOnlyUnderATrustedAddressThatNamesAHost) {
  const std::tuple<std::vector<std::wstring>, const wchar_t*, bool> cases[] = {
      {{L"http://a.example/"}, L"http://a.example/", true},
      {{L"http://a.example/"}, L"http://a.example", false},
      {{L"http://a.example/"}, L"http://A.example/", false},
      {{L"http://a.example/0/"}, L"http://a.example/1/", false},
      {{L"http://a.example"}, L"http://a.example/page", true},
      {{L"http://a.example"}, L"http://a.example.evil/", false},
      {{L"http://a.example"}, L"http://a.example@evil/", false},
      {{L"http://a.example:80"}, L"http://a.example:8080/", false},
      {{L"http://a.example?q"}, L"http://a.example?q=1", true},
      {{L""}, L"http://evil/", false},
      {{L"http://"}, L"http://evil/", false},
      {{L"a.example/"}, L"a.example/x", false},
      {{}, L"http://a.example/", false},
      {{L"", L"http://b.example/"}, L"http://b.example/x", true},
      {{L"http://a.example/", L"http://b.example/"}, L"http://c.example/", false},
      {{L"file:///C:/pages/home.html"}, L"file:///C:/pages/home.html", true},
      {{L"file:///C:/pages/home.html"}, L"file:///C:/pages/home.html#top", true},
      {{L"file:///C:/pages/"}, L"file:///C:/pages/stats/year.html", true},
      {{L"file:///C:/pages/"}, L"file:///C:/other/x.html", false},
      {{L"file://server/share/"}, L"file://server/share/x.html", true},
      {{L"http://a.example/"}, L"file:///C:/x.html", false},
      {{L"file:///"}, L"file:///C:/x.html", false},
      {{L"file://"}, L"file:///C:/x.html", false},
  };
  for (const auto& [trusted, page, expected] : cases) {
    EXPECT_EQ(zuvelo::IsTrustedPage(page, trusted), expected) << ::testing::PrintToString(page);
  }
}

}  // namespace
}  // namespace zuvelo::testing
