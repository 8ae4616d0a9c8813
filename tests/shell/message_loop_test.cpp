// The message loop's routing, one message at a time, around the real main window: Enter in the
// address box, keys offered to the control first, right-clicks on the Flash game replaced by a
// left-click at its corner (Ctrl lets them through), and the loop's exit code.
#include "shell/message_loop_win.h"

#include <array>
#include <thread>

#include "main_window_fixture.h"

namespace zuvelo::testing {
namespace {

MSG Message(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  MSG m{};
  m.hwnd = window;
  m.message = message;
  m.wParam = wparam;
  m.lParam = lparam;
  return m;
}

// A window of the program's own module that records what reaches its procedure.
class Target {
 public:
  Target(const char* window_class, HWND parent, DWORD style, DWORD ex_style = 0) {
    WNDCLASSA registration{};
    registration.lpfnWndProc = &Proc;
    registration.hInstance = ::GetModuleHandleA(nullptr);
    registration.lpszClassName = window_class;
    ::RegisterClassA(&registration);
    window_ = ::CreateWindowExA(ex_style, window_class, nullptr, style, 173, 211, 40, 30, parent,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Target() { ::DestroyWindow(window_); }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  std::vector<UINT> Take() { return std::exchange(seen_, {}); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Target*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr &&
        (message == WM_KEYDOWN || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ||
         message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
      self->seen_.push_back(message);
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  std::vector<UINT> seen_;
};

// Ctrl as this thread's keyboard state sees it, for as long as it lives.
class CtrlHeld {
 public:
  CtrlHeld() {
    ::GetKeyboardState(saved_.data());
    std::array<BYTE, 256> held = saved_;
    held[VK_CONTROL] = 0x80;
    ::SetKeyboardState(held.data());
  }
  ~CtrlHeld() { ::SetKeyboardState(saved_.data()); }

 private:
  std::array<BYTE, 256> saved_{};
};

class MessageLoopTest : public MainWindowTest {
 protected:
  void Process(const MSG& message) {
    ProcessMessage(message, main());
    Pump();
  }
};

TEST_F(MessageLoopTest, EnterInTheAddressBoxNavigatesToWhatWasTyped) {
  ASSERT_NE(Open(true), nullptr);
  const HWND address = Child(4005);
  ::SetWindowTextA(address, "http://typed.example/");
  control().navigations.clear();
  ::SetFocus(address);
  Process(Message(address, WM_KEYDOWN, VK_RETURN));
  ASSERT_EQ(control().navigations.size(), 1u);
  EXPECT_EQ(control().navigations[0].address, L"http://typed.example/");

  ::SetFocus(Child(4004));
  Process(Message(address, WM_KEYDOWN, VK_RETURN));
  EXPECT_EQ(control().navigations.size(), 1u) << "not while another window has the focus";
}

TEST_F(MessageLoopTest, EnterInAMultiLineEditIsAnOrdinaryKey) {
  ASSERT_NE(Open(true), nullptr);
  const HWND notes =
      ::CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_WANTRETURN, 0, 0, 100, 60,
                        main(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
  control().navigations.clear();
  ::SetFocus(notes);
  Process(Message(notes, WM_KEYDOWN, VK_RETURN));
  EXPECT_EQ(WindowText(notes), "\r\n");
  EXPECT_TRUE(control().navigations.empty());
  ::DestroyWindow(notes);
}

TEST_F(MessageLoopTest, KeysInTheControlsWindowsGoToTheControlFirst) {
  ASSERT_NE(Open(true), nullptr);
  const HWND view = control().view();
  ASSERT_NE(view, nullptr);
  TakeViewMessages();
  struct Case {
    WPARAM key;
    bool taken;
  };
  for (const Case& c : {Case{VK_TAB, true}, Case{VK_BACK, true}, Case{'A', false}}) {
    SCOPED_TRACE(c.key);
    control().offered_keys.clear();
    Process(Message(view, WM_KEYDOWN, c.key));
    ASSERT_EQ(control().offered_keys.size(), 1u);
    EXPECT_EQ(control().offered_keys[0].hwnd, view);
    EXPECT_EQ(control().offered_keys[0].wParam, c.key);
    const std::vector<UINT> delivered = TakeViewMessages();
    EXPECT_EQ(std::count(delivered.begin(), delivered.end(), WM_KEYDOWN), c.taken ? 0 : 1);
  }
  control().offered_keys.clear();
  Target own("ZuveloTestOwnWindow", main(), WS_CHILD);
  const HWND host = ::GetDlgItem(Child(4004), 100);
  for (HWND window : {own.hwnd(), host}) {
    Process(Message(window, WM_KEYDOWN, VK_TAB));
    EXPECT_TRUE(control().offered_keys.empty())
        << "the program's own windows are not the control's";
  }
  EXPECT_EQ(own.Take(), std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(MessageLoopTest, AControlWithoutInPlaceActivationGetsNoKeys) {
  BrowserDoubleRegistration::options().in_place_active = false;
  ASSERT_NE(Open(true), nullptr);
  const HWND view = control().view();
  TakeViewMessages();
  Process(Message(view, WM_KEYDOWN, VK_TAB));
  EXPECT_TRUE(control().offered_keys.empty());
  const std::vector<UINT> delivered = TakeViewMessages();
  EXPECT_EQ(std::count(delivered.begin(), delivered.end(), WM_KEYDOWN), 1);
}

TEST_F(MessageLoopTest, RightClicksOnTheFlashGameBecomeALeftClickAtItsCorner) {
  ASSERT_NE(Open(true), nullptr);
  Target game("MacromediaFlashPlayerActiveX", nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  // Start inside the game: under Wine the pointer warps come back as X motion events, and one
  // from the corner could otherwise land after the warp back and win.
  POINT before{};
  ::SetCursorPos(190, 226);
  ::GetCursorPos(&before);
  Trace();
  Process(Message(game.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)));
  std::vector<UINT> seen;
  for (int i = 0; i < 200 && seen.size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Pump();
    for (UINT m : game.Take()) seen.push_back(m);
  }
  EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  POINT after{};
  for (int i = 0; i < 200; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Pump();
    ::GetCursorPos(&after);
    if (after.x == before.x && after.y == before.y) break;
  }
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.y, before.y);
  EXPECT_EQ(Trace(), Lines{"msg=204 name=MacromediaFlashPlayerActiveX\r\n"});

  Process(Message(game.hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5)));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Pump();
  EXPECT_TRUE(game.Take().empty()) << "the release is dropped and clicks nothing";
  EXPECT_EQ(Trace(), Lines{"msg=205 name=MacromediaFlashPlayerActiveX\r\n"});
}

TEST_F(MessageLoopTest, OtherWindowsAndCtrlRightClicksGetTheRightButton) {
  ASSERT_NE(Open(true), nullptr);
  Target full("ShockwaveFlashFullScreen", main(), WS_CHILD);
  Target other("ShockwaveFlashFullScreen2", main(), WS_CHILD);
  Process(Message(full.hwnd(), WM_RBUTTONUP));
  EXPECT_TRUE(full.Take().empty());
  Process(Message(other.hwnd(), WM_RBUTTONDOWN));
  EXPECT_EQ(other.Take(), std::vector<UINT>{WM_RBUTTONDOWN});
  {
    const CtrlHeld ctrl;
    Trace();
    Process(Message(full.hwnd(), WM_RBUTTONDOWN));
    Process(Message(full.hwnd(), WM_RBUTTONUP));
    EXPECT_EQ(full.Take(), (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_TRUE(Trace().empty()) << "with Ctrl the class is not even looked at";
  }
}

TEST_F(MessageLoopTest, TheLoopEndsWithTheQuitMessagesCode) {
  ::PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(nullptr), 7);
}

}  // namespace
}  // namespace zuvelo::testing
