// The browser host around the control's test double, with a parent window that records the
// named commands it gets: creation and its failures, navigation and history, HTML writing, the
// browser's events, pop-ups, the document host handler and who gets window.external,
// "GETSCRIPT", sizing, focus, drawing into a memory context and destruction.
#include "bridge/browser_host_win.h"

#include <exdispid.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bridge/atl_host_win.h"
#include "bridge/com_apartment.h"
#include "bridge/handle.h"
#include "bridge/variant.h"
#include "browser_double.h"
#include "shell/mainthread_calls_win.h"
#include "shell/settings_win.h"
#include "shell/temp_working_folder.h"
#include "support/com_test_environment.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kParentClass = "ZuveloTestBrowserParent";
constexpr int kHostId = 4004;
constexpr const char* kGamePage = "http://www.zuvelo.example/0/";
constexpr const wchar_t* kGamePageW = L"http://www.zuvelo.example/0/";
const std::wstring kHeader = L"Zuvelo-Client-Type: default\r\n";

TraceListener& TraceReceiver() {
  static TraceListener receiver(120000);
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

// The common COM and sockets set-up, and the control hosting with our test double.
class Environment : public ComTestEnvironment {
 public:
  void SetUp() override {
    ComTestEnvironment::SetUp();
    if (::testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(InitControlHosting());
    ASSERT_NE(RegisterBrowserHostClass(::GetModuleHandleA(nullptr)), 0);
    registration_ = std::make_unique<BrowserDoubleRegistration>();
    ASSERT_TRUE(registration_->ok());
  }
  void TearDown() override {
    registration_.reset();
    ComTestEnvironment::TearDown();
  }

 private:
  std::unique_ptr<BrowserDoubleRegistration> registration_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new Environment);

// One named command as the parent received it; the text is read while it is handled.
struct Command {
  std::string name;
  bool has_argument = false;
  std::string text;

  bool operator==(const Command&) const = default;
};

void PrintTo(const Command& c, std::ostream* out) {
  *out << c.name << "(" << (c.has_argument ? "\"" + c.text + "\"" : "null") << ")";
}

Command With(const char* name, const std::string& text) { return {name, true, text}; }
Command Bare(const char* name) { return {name, false, {}}; }

// The main window's part: records what the host sends, answers BeforeNavigate and
// GETEXTERNAL as told.
class ParentWindow {
 public:
  ParentWindow() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &Proc;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.lpszClassName = kParentClass;
    ::RegisterClassA(&window_class);
    window_.reset(::CreateWindowExA(0, kParentClass, "parent", WS_POPUP | WS_CLIPCHILDREN, 20, 20,
                                    240, 180, nullptr, nullptr, ::GetModuleHandleA(nullptr), this));
  }

  [[nodiscard]] HWND hwnd() const { return window_.get(); }
  std::vector<Command> Take() { return std::exchange(commands_, {}); }

  LRESULT cancel_answer = 0;
  com_ptr<IDispatch> external;  // what GETEXTERNAL hands out

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ParentWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM__NAMED_COMMAND && lparam != 0) {
      return self->Record(reinterpret_cast<const char*>(lparam), wparam);
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  }

  LRESULT Record(const char* name, WPARAM argument) {
    if (std::strcmp(name, "GETEXTERNAL") == 0) {
      commands_.push_back(Bare(name));
      *reinterpret_cast<IDispatch**>(argument) =
          com_ptr<IDispatch>::copy_of(external.get()).release();
      return 0;
    }
    const char* text = reinterpret_cast<const char*>(argument);
    commands_.push_back({name, text != nullptr, text ? text : ""});
    return std::strcmp(name, "DISPID_BEFORENAVIGATE") == 0 ? cancel_answer : 0;
  }

  unique_window window_;
  std::vector<Command> commands_;
};

std::string WindowText(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

NavigateCall NavigationTo(const std::wstring& address) {
  return {address, VT_EMPTY, L"_top", VT_EMPTY, kHeader};
}

class BrowserHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TraceReceiver().ok()) << "UDP 127.0.0.1:514 is not free";
    ASSERT_NE(parent_.hwnd(), nullptr);
    BrowserDoubleRegistration::options() = {};
    TraceReceiver().Take(0);
  }
  void TearDown() override {
    host_.reset();
    EXPECT_EQ(BrowserDouble::live(), 0) << "the control outlived its host";
    EXPECT_EQ(DocumentDouble::live(), 0);
    EXPECT_EQ(PageObject::live(), 0);
  }

  HWND MakeHost(const char* text = nullptr) {
    host_.reset(::CreateWindowExA(
        0, kBrowserHostClass, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
        200, 150, parent_.hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostId)),
        ::GetModuleHandleA(nullptr), nullptr));
    return host_.get();
  }
  // A host on a completed page, its commands so far taken.
  BrowserDouble& HostOnPage(const std::wstring& address) {
    EXPECT_NE(MakeHost(), nullptr);
    control().CompleteNavigation(address);
    parent_.Take();
    return control();
  }
  static BrowserDouble& control() { return *BrowserDouble::Latest(); }
  LRESULT Send(const char* command, WPARAM argument = 0) {
    return SendNamedCommand(host_.get(), command, argument);
  }
  static Lines Trace() { return TraceReceiver().Take(); }

  TempWorkingFolder folder_;
  MessageBoxRecorder boxes_;
  ParentWindow parent_;
  unique_window host_;
};

TEST_F(BrowserHostTest, EmbedsTheControlConnectsBothEventSetsAndRefusesDroppedFiles) {
  ASSERT_NE(MakeHost(), nullptr);
  const HWND control_window = ::GetDlgItem(host_.get(), kBrowserControlId);
  ASSERT_NE(control_window, nullptr);
  char name[64] = {};
  ::GetClassNameA(control_window, name, sizeof name);
  EXPECT_STREQ(name, "AtlAxWin");
  const auto style = static_cast<DWORD>(::GetWindowLongPtrA(control_window, GWL_STYLE));
  constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(style & kStyle, kStyle);
  ASSERT_NE(BrowserDouble::Latest(), nullptr);
  EXPECT_EQ(control().sinks(DIID_DWebBrowserEvents), 1);
  EXPECT_EQ(control().sinks(DIID_DWebBrowserEvents2), 1);
  EXPECT_EQ(control().drop_target_changes, 1);
  EXPECT_EQ(control().drop_target, VARIANT_FALSE);
  EXPECT_TRUE(control().navigations.empty()) << "no text, no navigation";
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_F(BrowserHostTest, ATextGivenAtCreationIsNavigatedToEvenWhenItLooksLikeHtml) {
  for (const char* text : {kGamePage, "<b>page</b>"}) {
    SCOPED_TRACE(text);
    ASSERT_NE(MakeHost(text), nullptr);
    const std::wstring wide(text, text + std::strlen(text));
    EXPECT_EQ(control().navigations, std::vector<NavigateCall>{NavigationTo(wide)});
    EXPECT_EQ(parent_.Take(), std::vector<Command>{With("DISPID_BEFORENAVIGATE", text)});
    EXPECT_EQ(WindowText(host_.get()), text);
  }
}

TEST_F(BrowserHostTest, AControlThatCannotBeDrivenFailsTheWindowWithItsBox) {
  struct Case {
    const char* what;
    BrowserDoubleOptions options;
    const char* box;
  };
  BrowserDoubleOptions no_browser;
  no_browser.web_browser = false;
  BrowserDoubleOptions no_events;
  no_events.events = false;
  for (const Case& c : {Case{"no IWebBrowser", no_browser, "GetControl failed"},
                        Case{"no connection points", no_events, "AtlAdvice failed"}}) {
    SCOPED_TRACE(c.what);
    BrowserDoubleRegistration::options() = c.options;
    EXPECT_EQ(MakeHost(kGamePage), nullptr);
    const auto boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.box);
    EXPECT_FALSE(boxes[0].caption.has_value());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(BrowserDouble::live(), 0) << "the control goes with the failed window";
  }
}

TEST_F(BrowserHostTest, TextsBecomeNavigationsOrHistoryStepsAndOnlyAddressesStayAsText) {
  struct Case {
    const char* text;
    const wchar_t* step;        // a history step, or null for a navigation
    bool stays_as_window_text;  // else the text before remains
  };
  const Case cases[] = {
      {"about:home", L"GoHome", false},
      {"about:gobackward", L"GoBack", false},
      {"about:goforward", L"GoForward", false},
      {"about:refresh", L"Refresh", false},
      {"about:blank", nullptr, false},
      {"about:Refresh", nullptr, false},
      {"About:refresh", nullptr, true},
      {"http://www.zuvelo.example/1/script/", nullptr, true},
      {"file:///C:/page.html", nullptr, true},
  };
  ASSERT_NE(MakeHost(kGamePage), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    control().navigations.clear();
    control().steps.clear();
    const std::string before = WindowText(host_.get());
    ::SetWindowTextA(host_.get(), c.text);
    const std::wstring wide(c.text, c.text + std::strlen(c.text));
    if (c.step) {
      EXPECT_EQ(control().steps, std::vector<std::wstring>{c.step});
      EXPECT_TRUE(control().navigations.empty());
    } else {
      EXPECT_TRUE(control().steps.empty());
      EXPECT_EQ(control().navigations, std::vector<NavigateCall>{NavigationTo(wide)});
    }
    EXPECT_EQ(WindowText(host_.get()), c.stays_as_window_text ? c.text : before);
  }
}

TEST_F(BrowserHostTest, ACancelFromTheParentStopsTheNavigation) {
  ASSERT_NE(MakeHost(), nullptr);
  for (LRESULT answer : {0, 1}) {
    parent_.cancel_answer = answer;
    EXPECT_EQ(control().FireBeforeNavigate(L"http://a.example/"), answer != 0);
    EXPECT_EQ(parent_.Take(),
              std::vector<Command>{With("DISPID_BEFORENAVIGATE", "http://a.example/")});
  }
}

TEST_F(BrowserHostTest, HtmlTextIsWrittenIntoTheDocumentOnceItIsThere) {
  BrowserDoubleRegistration::options().document_after_asks = 5;
  BrowserDouble& browser = HostOnPage(kGamePageW);
  ::SetWindowTextA(host_.get(), "<p>one</p>");
  EXPECT_EQ(browser.document()->written, L"<p>one</p>");
  EXPECT_EQ(browser.document()->closes, 1);
  EXPECT_TRUE(browser.navigations.empty());
  EXPECT_EQ(WindowText(host_.get()), "") << "HTML is not the window text";
  EXPECT_EQ(Send("WRITEHTML", reinterpret_cast<WPARAM>(L"<p>two</p>")), 0);
  EXPECT_EQ(browser.document()->written, L"<p>one</p><p>two</p>");
  EXPECT_EQ(browser.document()->closes, 2);
}

TEST_F(BrowserHostTest, RequestsForTheDocumentGiveUpWhenTheControlHasNone) {
  ASSERT_NE(MakeHost(), nullptr);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Send("GETSCRIPT"), 0);
  const DWORD waited = ::GetTickCount() - start;
  EXPECT_GE(waited, kDocumentWaitMs - 50);
  EXPECT_LT(waited, kDocumentWaitMs + 2000);
}

TEST_F(BrowserHostTest, GetScriptHandsOutThePagesScriptObjectWithAReference) {
  const com_ptr<PageObject> script(new PageObject);
  ASSERT_NE(MakeHost(), nullptr);
  control().script = com_ptr<IDispatch>::copy_of(script.get());
  control().CompleteNavigation(kGamePageW);
  com_ptr<IDispatch> answer(reinterpret_cast<IDispatch*>(Send("GETSCRIPT")));
  EXPECT_EQ(answer.get(), static_cast<IDispatch*>(script.get()));
  answer.reset();
  control().script.reset();
  host_.reset();
  EXPECT_EQ(script->refs(), 1) << "one reference was handed out and dropped";
}

TEST_F(BrowserHostTest, BrowserEventsReachTheParentAsNamedCommands) {
  ASSERT_NE(MakeHost(), nullptr);
  control().CompleteNavigation(L"http://a.example/page");
  EXPECT_EQ(parent_.Take(),
            (std::vector<Command>{With("DISPID_NAVIGATECOMPLETE", "http://a.example/page"),
                                  Bare("DISPID_DOCUMENTCOMPLETE")}));
  control().FireOnBothSets(DISPID_STATUSTEXTCHANGE, L"Loading");
  control().FireOnBothSets(DISPID_TITLECHANGE, L"A page");
  EXPECT_EQ(parent_.Take(), (std::vector<Command>{With("DISPID_STATUSTEXTCHANGE", "Loading"),
                                                  With("DISPID_STATUSTEXTCHANGE", "Loading"),
                                                  With("DISPID_TITLECHANGE", "A page"),
                                                  With("DISPID_TITLECHANGE", "A page")}));
}

TEST_F(BrowserHostTest, EventArgumentsAreReadAsTextAndShortOrUnknownEventsAreIgnored) {
  ASSERT_NE(MakeHost(), nullptr);
  VARIANT number;
  variant_i4(42).release_to(&number);
  EXPECT_EQ(control().Fire(DIID_DWebBrowserEvents, DISPID_TITLECHANGE, {number}),
            std::vector<HRESULT>{S_OK});
  EXPECT_EQ(parent_.Take(), std::vector<Command>{With("DISPID_TITLECHANGE", "42")});
  EXPECT_EQ(control().Fire(DIID_DWebBrowserEvents, DISPID_STATUSTEXTCHANGE, {}),
            std::vector<HRESULT>{S_OK});
  EXPECT_EQ(control().Fire(DIID_DWebBrowserEvents2, DISPID_BEFORENAVIGATE2, {}),
            std::vector<HRESULT>{S_OK});
  EXPECT_TRUE(parent_.Take().empty());
}

TEST_F(BrowserHostTest, PopupsOfTheServiceOpenInTheUsersBrowserAndOthersAreBlocked) {
  struct Case {
    DISPID event;
    const wchar_t* address;  // null: not a string
    bool processed;
    const char* opened;  // in the user's browser
    bool blocked;
  };
  const Case cases[] = {
      {DISPID_NEWWINDOW, L"http://www.zuvelo.example/help", true, "http://www.zuvelo.example/help",
       false},
      {DISPID_FRAMENEWWINDOW, L"http://www.zuvelo.example/0/", true, "http://www.zuvelo.example/0/",
       false},
      {DISPID_NEWWINDOW, L"http://ads.example/", true, nullptr, true},
      {DISPID_FRAMENEWWINDOW, L"http://www.zuvelo.example.evil/", true, nullptr, true},
      {DISPID_NEWWINDOW, L"HTTP://WWW.ZUVELO.EXAMPLE/", true, nullptr, true},
      {DISPID_NEWWINDOW, nullptr, false, nullptr, false},
  };
  std::vector<std::string> opened;
  const ScopedOpenAddressHook hook([&](const std::string& address) { opened.push_back(address); });
  ASSERT_NE(MakeHost(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address ? std::string(c.address, c.address + std::wcslen(c.address)) : "none");
    VARIANT address;
    if (c.address) {
      variant_text(c.address).release_to(&address);
    } else {
      variant_i4(7).release_to(&address);
    }
    EXPECT_EQ(control().FireNewWindow(c.event, address), c.processed);
    EXPECT_EQ(opened, c.opened ? std::vector<std::string>{c.opened} : std::vector<std::string>{});
    EXPECT_EQ(parent_.Take(),
              c.blocked ? std::vector<Command>{With("DISPID_STATUSTEXTCHANGE", "POPUP BLOCKED")}
                        : std::vector<Command>{});
    opened.clear();
  }
}

TEST_F(BrowserHostTest, PopupEventsWithFewerThanSixArgumentsAreIgnored) {
  std::vector<std::string> opened;
  const ScopedOpenAddressHook hook([&](const std::string& address) { opened.push_back(address); });
  ASSERT_NE(MakeHost(), nullptr);
  VARIANT address;
  variant_text(L"http://ads.example/").release_to(&address);
  control().Fire(DIID_DWebBrowserEvents, DISPID_NEWWINDOW, {address});
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(parent_.Take().empty());
}

TEST_F(BrowserHostTest, TheHandlerIsInstalledOncePerDocumentAndKeepsTheFormerOne) {
  BrowserDouble& browser = HostOnPage(kGamePageW);
  DocumentDouble* first = browser.document();
  IDocHostUIHandler* site = first->site_handler();
  EXPECT_EQ(Send("UPDATEDOCUIHANDLER"), 0);
  EXPECT_NE(first->handler(), site);
  EXPECT_EQ(first->handler_changes, 1);
  EXPECT_EQ(Trace(), Lines{"WC__WWW Set DocUIHander ok\r\n"});

  Send("UPDATEDOCUIHANDLER");
  EXPECT_EQ(first->handler_changes, 1) << "the handler in force is the host's already";
  EXPECT_TRUE(Trace().empty());

  DOCHOSTUIINFO info{};
  info.cbSize = sizeof info;
  EXPECT_EQ(first->handler()->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, SiteHandler::kHostFlags);
  MSG key{};
  key.message = WM_KEYDOWN;
  key.wParam = 'C';
  EXPECT_EQ(first->handler()->TranslateAccelerator(&key, nullptr, 0), SiteHandler::kKeyAnswer);
  EXPECT_EQ(first->site_handler()->keys, std::vector<WPARAM>{'C'});

  browser.CompleteNavigation(L"http://www.zuvelo.example/1/script/");
  DocumentDouble* second = browser.document();
  ASSERT_NE(second, first);
  EXPECT_EQ(second->handler(), second->site_handler()) << "a new document has its own";
  Send("UPDATEDOCUIHANDLER");
  EXPECT_EQ(second->handler_changes, 1);
  EXPECT_EQ(Trace(), Lines{"WC__WWW Set DocUIHander ok\r\n"});
}

TEST_F(BrowserHostTest, TheHandlerAnswersTheRestItselfAndCopesWithoutAFormerHandler) {
  BrowserDoubleRegistration::options().site_handler = false;
  BrowserDouble& browser = HostOnPage(kGamePageW);
  Send("UPDATEDOCUIHANDLER");
  IDocHostUIHandler* handler = browser.document()->handler();
  ASSERT_NE(handler, nullptr);
  DOCHOSTUIINFO info{};
  EXPECT_EQ(handler->GetHostInfo(&info), E_NOTIMPL);
  MSG key{};
  EXPECT_EQ(handler->TranslateAccelerator(&key, nullptr, 0), S_FALSE);
  POINT at{};
  EXPECT_EQ(handler->ShowContextMenu(0, &at, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->HideUI(), E_NOTIMPL);
  EXPECT_EQ(handler->UpdateUI(), E_NOTIMPL);
  EXPECT_EQ(handler->EnableModeless(TRUE), E_NOTIMPL);
  EXPECT_EQ(handler->OnDocWindowActivate(TRUE), E_NOTIMPL);
  EXPECT_EQ(handler->OnFrameWindowActivate(TRUE), E_NOTIMPL);
  EXPECT_EQ(handler->ResizeBorder(nullptr, nullptr, TRUE), E_NOTIMPL);
  EXPECT_EQ(handler->GetOptionKeyPath(nullptr, 0), E_NOTIMPL);
  EXPECT_EQ(handler->GetDropTarget(nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->TranslateUrl(0, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler->FilterDataObject(nullptr, nullptr), E_NOTIMPL);
  com_ptr<IUnknown> identity;
  EXPECT_EQ(handler->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
  com_ptr<IDispatch> none;
  EXPECT_EQ(handler->QueryInterface(IID_IDispatch, none.put_void()), E_NOINTERFACE);
  EXPECT_EQ(none.get(), nullptr);
}

// The security rule: pages of the service and the two chosen start pages get window.external;
// every other page is refused and the main window is not even asked.
TEST_F(BrowserHostTest, OnlyTheServicesPagesAndTheChosenStartPagesGetTheExternalObject) {
  struct Case {
    const char* game_home;    // stored "GAME_HOME", or null for none
    const char* script_home;  // stored "SCRIPT_HOME"
    const wchar_t* page;
    bool trusted;
  };
  const Case cases[] = {
      {nullptr, nullptr, L"http://www.zuvelo.example/0/", true},
      {nullptr, nullptr, L"http://www.zuvelo.example/1/script/tools.html", true},
      {nullptr, nullptr, L"http://www.zuvelo.example/", true},
      {nullptr, nullptr, L"http://evil.example/", false},
      {nullptr, nullptr, L"about:blank", false},
      {nullptr, nullptr, L"http://www.zuvelo.example.evil/0/", false},
      {nullptr, nullptr, L"https://www.zuvelo.example/0/", false},
      {"http://games.example/play/", nullptr, L"http://games.example/play/table", true},
      {"http://games.example/play/", nullptr, L"http://games.example/other", false},
      {nullptr, "http://mine.example", L"http://mine.example/stats.html", true},
      {nullptr, "http://mine.example", L"http://mine.example.evil/", false},
      {nullptr, "http://mine.example", L"http://mine.example@evil.example/", false},
      {"", "", L"http://evil.example/", false},
  };
  const com_ptr<PageObject> external(new PageObject);
  parent_.external = com_ptr<IDispatch>::copy_of(external.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page, c.page + std::wcslen(c.page)));
    WriteSetting(kStatusSection, kGameHomeKey, c.game_home);
    WriteSetting(kStatusSection, kScriptHomeKey, c.script_home);
    BrowserDouble& browser = HostOnPage(c.page);
    Send("UPDATEDOCUIHANDLER");
    Trace();
    com_ptr<IDispatch> answer;
    const HRESULT hr = browser.document()->AskForExternal(answer);
    if (c.trusted) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(answer.get(), static_cast<IDispatch*>(external.get()));
      EXPECT_EQ(parent_.Take(), std::vector<Command>{Bare("GETEXTERNAL")});
      EXPECT_TRUE(Trace().empty());
    } else {
      EXPECT_EQ(hr, E_NOTIMPL);
      EXPECT_EQ(answer.get(), nullptr);
      EXPECT_TRUE(parent_.Take().empty()) << "the main window is not asked";
      const std::string page(c.page, c.page + std::wcslen(c.page));
      EXPECT_EQ(Trace(), Lines{"WC__WWW GetExternal refused " + page + "\r\n"});
    }
  }
  host_.reset();
  parent_.external.reset();
}

TEST_F(BrowserHostTest, ATrustedPageGetsNothingWhenTheMainWindowMakesNoObject) {
  BrowserDouble& browser = HostOnPage(kGamePageW);
  Send("UPDATEDOCUIHANDLER");
  com_ptr<IDispatch> answer;
  EXPECT_EQ(browser.document()->AskForExternal(answer), E_NOTIMPL);
  EXPECT_EQ(answer.get(), nullptr);
  EXPECT_EQ(parent_.Take(), std::vector<Command>{Bare("GETEXTERNAL")});
}

TEST_F(BrowserHostTest, SizeFocusAndMouseHistoryButtonsGoToTheControl) {
  ASSERT_NE(MakeHost(), nullptr);
  const HWND control_window = ::GetDlgItem(host_.get(), kBrowserControlId);
  ::SendMessageA(host_.get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(180, 90));
  RECT rect{};
  ::GetClientRect(control_window, &rect);
  EXPECT_EQ(rect.right, 180);
  EXPECT_EQ(rect.bottom, 90);
  ::SendMessageA(host_.get(), WM_SIZE, SIZE_RESTORED, 0);
  ::GetClientRect(control_window, &rect);
  EXPECT_EQ(rect.right, 180) << "a zero size is ignored";

  ::SendMessageA(host_.get(), WM_SETFOCUS, 0, 0);
  const HWND focus = ::GetFocus();
  EXPECT_TRUE(focus == control_window || ::IsChild(control_window, focus));

  for (short command :
       {APPCOMMAND_BROWSER_BACKWARD, APPCOMMAND_BROWSER_FORWARD, APPCOMMAND_BROWSER_REFRESH}) {
    ::SendMessageA(host_.get(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(host_.get()),
                   MAKELPARAM(0, command));
  }
  EXPECT_EQ(control().steps, (std::vector<std::wstring>{L"GoBack", L"GoForward"}));
}

TEST_F(BrowserHostTest, OnlyAMemoryContextGetsTheControlsPicture) {
  ASSERT_NE(MakeHost(), nullptr);
  ::ShowWindow(parent_.hwnd(), SW_SHOWNOACTIVATE);
  const HDC screen = ::GetDC(host_.get());
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 150);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::SendMessageA(host_.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen), 0);
  EXPECT_EQ(control().draws, 0) << "the control paints its own window";
  ::SendMessageA(host_.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(control().draws, 1);
  EXPECT_EQ(::GetPixel(memory, 100, 75), BrowserDouble::kContentColor);
  ::ShowWindow(parent_.hwnd(), SW_HIDE);
  ::SendMessageA(host_.get(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(control().draws, 1) << "a hidden window draws nothing";
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(host_.get(), screen);
}

TEST_F(BrowserHostTest, DestructionDisconnectsGivesTheDocumentItsHandlerBackAndEndsTheControl) {
  BrowserDouble& browser = HostOnPage(kGamePageW);
  Send("UPDATEDOCUIHANDLER");
  const com_ptr<IOleObject> keep = com_ptr<IOleObject>::copy_of(&browser);
  const com_ptr<IHTMLDocument2> document = com_ptr<IHTMLDocument2>::copy_of(browser.document());
  const HWND control_window = ::GetDlgItem(host_.get(), kBrowserControlId);
  ::SendMessageA(host_.get(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(host_.get())) << "a plain close destroys the host";
  [[maybe_unused]] const HWND gone = host_.release();
  EXPECT_FALSE(::IsWindow(control_window));
  EXPECT_EQ(browser.sinks(DIID_DWebBrowserEvents), 0);
  EXPECT_EQ(browser.sinks(DIID_DWebBrowserEvents2), 0);
  auto* doc = static_cast<DocumentDouble*>(document.get());
  EXPECT_EQ(doc->handler(), doc->site_handler());
}

}  // namespace
}  // namespace zuvelo::testing
