// Named commands, attach / step / detach, throwing window procedures and the fatal box.
#include <atomic>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <thread>

#include "base/window_object_win.h"
#include "bridge_test.h"
#include "shell/services/program_end.h"

namespace zuvelo::testing {
namespace {

using MainThreadCallsTest = BridgeTest;

TEST_F(MainThreadCallsTest, DoubleAttachAndUnknownDetachAreFatal) {
  auto worker = Make<Worker>();
  auto stranger = Make<Worker>();
  ::SendMessageA(main_.hwnd(), WM__MAINTHREAD_ATTACH, 0, ToLParam(worker.get()));
  ::SendMessageA(main_.hwnd(), WM__MAINTHREAD_ATTACH, 0, ToLParam(worker.get()));
  ::SendMessageA(main_.hwnd(), WM__MAINTHREAD_DETACH, 0, ToLParam(stranger.get()));
  ::SendMessageA(main_.hwnd(), WM__MAINTHREAD_DETACH, 0, ToLParam(worker.get()));
  ::SendMessageA(main_.hwnd(), WM__MAINTHREAD_DETACH, 0, ToLParam(worker.get()));
  Lines texts;
  for (const MessageBoxCall& box : boxes_.Take()) {
    texts.push_back(box.text);
    EXPECT_TRUE(box.fatal && box.owner == main_.hwnd() && !box.caption && box.style == MB_OK);
  }
  EXPECT_EQ(texts, (Lines{"TICK ALREADY ATTACHED", "DETACH UNKNOWN", "DETACH UNKNOWN"}));
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(worker.get())), 1u);
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(stranger.get())), 1u);
}

TEST_F(MainThreadCallsTest, AStepRunsForAnObjectThatIsNotAttachedToo) {
  auto loose = Make<Worker>();
  std::thread([&] {
    ::PostMessageA(main_.hwnd(), WM__MAINTHREAD_CALL, 0, ToLParam(loose.get()));
  }).join();
  PumpWaiting();
  EXPECT_EQ(loose->steps, 1);
}

struct Echo {
  LRESULT Times(WPARAM n) { return static_cast<LRESULT>(n) * factor; }
  LRESULT factor = 2;
};

TEST(NamedCommandTest, RunOnlyTheEntryOfTheirExactName) {
  static constexpr NamedCommandEntry<Echo> table[] = {{"ECHO", &Echo::Times}};
  Echo echo;
  const auto run = [&](const char* name) {
    return DispatchNamedCommand<Echo>(echo, table, 21, reinterpret_cast<LPARAM>(name));
  };
  EXPECT_EQ(run("ECHO"), 42);
  for (const char* name : {"echo", "ECHO ", "ECH", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(run(name), std::nullopt);
  }
}

TEST_F(MainThreadCallsTest, ATimedNamedCommandGivesUpOnABusyWindow) {
  main_.answer = 42;
  LRESULT answer = -1;
  std::atomic<int> answered = -1;
  std::thread([&] {
    answered = SendNamedCommandTimeout(main_.hwnd(), "PING", 0, 1, &answer);
  }).join();
  EXPECT_EQ(answered, 0);
  PumpWaiting();
  std::thread patient(
      [&] { answered = SendNamedCommandTimeout(main_.hwnd(), "PING", 0, 10000, &answer); });
  EXPECT_TRUE(PumpUntil([&] { return answered == 1; }));
  patient.join();
  EXPECT_EQ(answer, 42);
}

class Throwing final : public WindowObject {
 public:
  static constexpr UINT kOutOfMemory = WM_USER + 1, kOther = WM_USER + 2;
  explicit Throwing(HWND) { ++alive; }
  ~Throwing() override { --alive; }
  LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CREATE && fail_creation) throw std::runtime_error("no window");
    if (message == kOutOfMemory) throw std::bad_alloc();
    if (message == kOther) throw 7;
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  static inline int alive = 0;
  static inline bool fail_creation = false;
};

TEST_F(MainThreadCallsTest, NothingAWindowProcedureThrowsLeavesIt) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &BoundWindowProc<Throwing>;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = "ZuveloThrowingWindow";
  ::RegisterClassA(&window_class);
  const auto create = [] {
    return ::CreateWindowExA(0, "ZuveloThrowingWindow", nullptr, 0, 0, 0, 10, 10, HWND_MESSAGE,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
  };
  const HWND window = create();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(::SendMessageA(window, Throwing::kOutOfMemory, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(window, Throwing::kOther, 0, 0), 0);
  EXPECT_EQ(Throwing::alive, 1);
  ::DestroyWindow(window);
  EXPECT_EQ(Throwing::alive, 0);
  Throwing::fail_creation = true;
  EXPECT_EQ(create(), nullptr);  // a failed WM_CREATE: no window, and its object is gone
  Throwing::fail_creation = false;
  EXPECT_EQ(Throwing::alive, 0);
  EXPECT_EQ(Trace(), (Lines{"WindowProc EXCEPTION out of memory\r\n", "WindowProc EXCEPTION\r\n",
                            "WindowProc EXCEPTION no window\r\n"}));
}

TEST(MessageBoxDeathTest, FatalBoxEndsTheProgramAfterTheUserClosedItAndTheEndActionsRan) {
  EXPECT_EXIT(
      {
        std::thread([] {  // presses OK on the box once it shows
          for (int tries = 0; tries < 500; ++tries) {
            ::Sleep(20);
            HWND box = ::FindWindowA("#32770", nullptr);
            if (box && ::FindWindowExA(box, nullptr, "Static", "DETACH UNKNOWN")) {
              ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
              return;
            }
          }
          ::ExitProcess(3);  // never saw the box
        })
            .detach();
        AtProgramEnd([] { std::fputs("the program-end actions ran\n", stderr); });
        FatalMessageBox(nullptr, "DETACH UNKNOWN");
        ::ExitProcess(0);  // not reached
      },
      ::testing::ExitedWithCode(1), "the program-end actions ran");
}

}  // namespace
}  // namespace zuvelo::testing
