// Named commands and attach / step / detach through a real window and its message queue.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "bridge_test.h"
#include "shell/mainthread_calls_win.h"
#include "support/message_box_recorder.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;

// A stand-in for the main window: its procedure routes exactly as the real one is meant to.
class TestMainWindow {
 public:
  TestMainWindow() {
    static const ATOM registered = [] {
      WNDCLASSA c{};
      c.lpfnWndProc = &TestMainWindow::Procedure;
      c.hInstance = ::GetModuleHandleA(nullptr);
      c.lpszClassName = "ZuveloTestMain";
      return ::RegisterClassA(&c);
    }();
    EXPECT_NE(registered, 0);
    ::CreateWindowExA(0, "ZuveloTestMain", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                      nullptr, ::GetModuleHandleA(nullptr), this);
  }
  ~TestMainWindow() { Close(); }
  TestMainWindow(const TestMainWindow&) = delete;
  TestMainWindow& operator=(const TestMainWindow&) = delete;

  void Close() {
    if (hwnd) ::DestroyWindow(hwnd);
  }

  LRESULT Status(WPARAM text) {
    statuses.emplace_back(reinterpret_cast<const char*>(text));
    return 1;
  }
  LRESULT Echo(WPARAM n) { return static_cast<LRESULT>(n * 2); }

  HWND hwnd = nullptr;
  std::unique_ptr<AttachedObjects> attached = std::make_unique<AttachedObjects>();
  std::vector<std::string> statuses;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

constexpr NamedCommandEntry<TestMainWindow> kCommands[] = {
    {"STATUS", &TestMainWindow::Status},
    {"ECHO", &TestMainWindow::Echo},
};

LRESULT CALLBACK TestMainWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TestMainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TestMainWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM__NAMED_COMMAND) {
    if (auto answer = DispatchNamedCommand<TestMainWindow>(*self, kCommands, wparam, lparam)) {
      return *answer;
    }
  }
  if (auto answer = self->attached->HandleMessage(hwnd, message, wparam, lparam)) return *answer;
  if (message == WM_NCDESTROY) {
    self->attached.reset();  // the end of the window object lets go of what is attached
    self->hwnd = nullptr;
  }
  return ::DefWindowProcA(hwnd, message, wparam, lparam);
}

std::string Line(const char* what, const void* object) {
  char line[64];
  std::snprintf(line, sizeof line, "%s lParam=%X\r\n", what,
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object)));
  return line;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

class MainThreadCallsTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ASSERT_NE(window_.hwnd, nullptr) << "no window: is DISPLAY set?";
    IDispatchWorkerImpl::Releases().clear();
  }
  LRESULT Send(UINT message, AttachableObject* object) {
    return ::SendMessageA(window_.hwnd, message, 0, ToLParam(object));
  }

  TestMainWindow window_;
};

TEST_F(MainThreadCallsTest, AttachedObjectIsHeldUntilDetached) {
  auto worker = Make<IDispatchWorkerImpl>();
  AttachableObject* face = worker.get();
  Trace();
  EXPECT_EQ(Send(WM__MAINTHREAD_ATTACH, face), 0);
  EXPECT_TRUE(window_.attached->contains(face));
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(worker.get())), 2u);
  EXPECT_EQ(Send(WM__MAINTHREAD_DETACH, face), 0);
  EXPECT_EQ(window_.attached->size(), 0u);
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(worker.get())), 1u);
  EXPECT_EQ(Trace(),
            (Lines{Line("WM__MAINTHREAD_ATTACH", face), Line("WM__MAINTHREAD_DETACH", face)}));
}

TEST_F(MainThreadCallsTest, AttachedObjectOutlivesThePageUntilItsWorkerDetachesIt) {
  auto* worker = new IDispatchWorkerImpl;
  AttachableObject* face = worker;
  Send(WM__MAINTHREAD_ATTACH, face);
  EXPECT_EQ(static_cast<IDispatch*>(worker)->Release(), 1u);  // the page lets go
  Trace();
  EXPECT_EQ(Send(WM__MAINTHREAD_DETACH, face), 0);
  EXPECT_EQ(Trace(),
            (Lines{Line("WM__MAINTHREAD_DETACH", face), "IDispatchWorkerImpl DESTRUCT\r\n"}));
}

TEST_F(MainThreadCallsTest, DoubleAttachAndUnknownDetachAreFatal) {
  MessageBoxRecorder boxes;
  auto worker = Make<IDispatchWorkerImpl>();
  auto stranger = Make<IDispatchWorkerImpl>();
  Send(WM__MAINTHREAD_ATTACH, worker.get());
  Send(WM__MAINTHREAD_ATTACH, worker.get());
  Send(WM__MAINTHREAD_DETACH, stranger.get());
  Send(WM__MAINTHREAD_DETACH, worker.get());
  Send(WM__MAINTHREAD_DETACH, worker.get());

  const std::vector<MessageBoxCall> shown = boxes.Take();
  ASSERT_EQ(shown.size(), 3u);
  const char* texts[] = {"TICK ALREADY ATTACHED", "DETACH UNKNOWN", "DETACH UNKNOWN"};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(shown[i].text, texts[i]);
    EXPECT_EQ(shown[i].owner, window_.hwnd);
    EXPECT_EQ(shown[i].caption, std::nullopt);
    EXPECT_EQ(shown[i].style, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(shown[i].fatal);
    EXPECT_FALSE(shown[i].wide);
  }
  // Under the test hook the faults leave the counts alone: one attach, one detach.
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(worker.get())), 1u);
  EXPECT_EQ(RefCount(static_cast<IDispatch*>(stranger.get())), 1u);
}

TEST_F(MainThreadCallsTest, StepRunsOnTheWindowsThreadAttachedOrNot) {
  auto attached = Make<IDispatchWorkerImpl>();
  auto loose = Make<IDispatchWorkerImpl>();
  Send(WM__MAINTHREAD_ATTACH, attached.get());
  std::thread worker([&] {
    for (AttachableObject* o : {static_cast<AttachableObject*>(attached.get()),
                                static_cast<AttachableObject*>(loose.get()),
                                static_cast<AttachableObject*>(attached.get())}) {
      ::PostMessageA(window_.hwnd, WM__MAINTHREAD_CALL, 0, ToLParam(o));
    }
  });
  worker.join();
  EXPECT_EQ(attached->steps, 0);  // posted, so nothing ran yet
  Pump();
  EXPECT_EQ(attached->steps, 2);
  EXPECT_EQ(loose->steps, 1);
  EXPECT_EQ(loose->step_thread, ::GetCurrentThreadId());
  Send(WM__MAINTHREAD_DETACH, attached.get());
}

TEST_F(MainThreadCallsTest, ClosingTheWindowReleasesEachAttachedObjectOnceInAddressOrder) {
  com_ptr<IDispatchWorkerImpl> kept[] = {Make<IDispatchWorkerImpl>(), Make<IDispatchWorkerImpl>(),
                                         Make<IDispatchWorkerImpl>()};
  for (auto& w : kept) Send(WM__MAINTHREAD_ATTACH, w.get());
  auto* orphan = new IDispatchWorkerImpl;  // only the window holds it
  Send(WM__MAINTHREAD_ATTACH, orphan);
  static_cast<IDispatch*>(orphan)->Release();
  IDispatchWorkerImpl::Releases().clear();
  Trace();

  window_.Close();

  std::vector<std::pair<const void*, ULONG>> expected;
  for (auto& w : kept) expected.emplace_back(w.get(), 1u);
  expected.emplace_back(orphan, 0u);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(IDispatchWorkerImpl::Releases(), expected);
  EXPECT_EQ(Trace(), Lines{"IDispatchWorkerImpl DESTRUCT\r\n"});
}

TEST_F(MainThreadCallsTest, NamedCommandsMatchExactlyElseDefaultHandling) {
  EXPECT_EQ(SendNamedCommand(window_.hwnd, "ECHO", 21), 42);
  const char* status = "Analyzing 1/2";
  EXPECT_EQ(SendNamedCommand(window_.hwnd, "STATUS", reinterpret_cast<WPARAM>(status)), 1);
  EXPECT_EQ(SendNamedCommand(window_.hwnd, "echo", 21), 0);
  EXPECT_EQ(SendNamedCommand(window_.hwnd, "ECHO ", 21), 0);
  EXPECT_EQ(SendNamedCommand(window_.hwnd, "NOPE", 21), 0);
  EXPECT_EQ(SendNamedCommand(window_.hwnd, nullptr, 21), 0);
  EXPECT_EQ(window_.statuses, Lines{"Analyzing 1/2"});
}

TEST_F(MainThreadCallsTest, TimedCommandGivesUpOnABusyWindow) {
  LRESULT answer = -1;
  bool answered = true;
  std::thread impatient(
      [&] { answered = SendNamedCommandTimeout(window_.hwnd, "ECHO", 5, 1, &answer); });
  impatient.join();  // this thread is busy joining, so nobody handles the message in time
  EXPECT_FALSE(answered);
  Pump();

  std::atomic<bool> done{false};
  std::thread patient([&] {
    answered = SendNamedCommandTimeout(window_.hwnd, "ECHO", 5, 10000, &answer);
    done = true;
  });
  while (!done) {
    Pump();  // takes the sent message in
    ::Sleep(1);
  }
  patient.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(answer, 10);
}

}  // namespace
}  // namespace zuvelo::testing
