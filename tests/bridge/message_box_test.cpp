// The program's message boxes: what the test hook sees, and what a fatal box does without it.
#include <gtest/gtest.h>

#include <thread>

#include "shell/message_box_win.h"
#include "support/message_box_recorder.h"

namespace zuvelo::testing {
namespace {

TEST(MessageBoxTest, HookSeesEachBoxAsAskedForAndAnswersIt) {
  MessageBoxRecorder boxes(IDCANCEL);
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  // Shift-JIS bytes stay as they are.
  const char sjis[] = "\x94\x76\x95\x88\x95\xdb\x91\xb6";
  EXPECT_EQ(ShowMessageBox(owner, sjis, nullptr, MB_ICONERROR), IDCANCEL);
  EXPECT_EQ(ShowMessageBox(nullptr, "CSIDL_LOCAL_APPDATA failed", "ZUVELO", MB_OK), IDCANCEL);
  EXPECT_EQ(ShowMessageBox(nullptr, "x", "", MB_OK), IDCANCEL);
  EXPECT_EQ(ShowMessageBox(owner, L".txt", nullptr, MB_OK), IDCANCEL);
  FatalMessageBox(owner, "TICK ALREADY ATTACHED");  // returns under the hook

  const std::vector<MessageBoxCall> shown = boxes.Take();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].owner, owner);
  EXPECT_EQ(shown[0].text, sjis);
  EXPECT_EQ(shown[0].caption, std::nullopt);
  EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(shown[0].fatal);
  EXPECT_EQ(shown[1].caption, std::optional<std::string>("ZUVELO"));
  EXPECT_EQ(shown[2].caption, std::optional<std::string>(""));  // empty is not missing
  EXPECT_TRUE(shown[3].wide);
  EXPECT_EQ(shown[3].wide_text, L".txt");
  EXPECT_EQ(shown[3].wide_caption, std::nullopt);
  EXPECT_TRUE(shown[4].fatal);
  EXPECT_EQ(shown[4].text, "TICK ALREADY ATTACHED");
  EXPECT_EQ(shown[4].style, static_cast<UINT>(MB_OK));
}

TEST(MessageBoxTest, HooksNestAndTakeBoxesFromAnyThread) {
  MessageBoxRecorder outer;
  {
    MessageBoxRecorder inner(IDYES);
    std::thread worker(
        [] { EXPECT_EQ(ShowMessageBox(nullptr, "from worker", nullptr, 0), IDYES); });
    worker.join();
    EXPECT_EQ(inner.Take().size(), 1u);
  }
  EXPECT_EQ(ShowMessageBox(nullptr, "after", nullptr, 0), IDOK);
  const std::vector<MessageBoxCall> shown = outer.Take();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "after");
}

// Presses OK on the first message box that shows the text, or gives up.
void PressOkOn(const char* text) {
  for (int tries = 0; tries < 500; ++tries) {
    ::Sleep(20);
    HWND box = ::FindWindowA("#32770", nullptr);
    if (box && ::FindWindowExA(box, nullptr, "Static", text)) {
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return;
    }
  }
  ::ExitProcess(3);  // never saw the box
}

TEST(MessageBoxDeathTest, FatalBoxEndsTheProgramAfterTheUserClosedIt) {
  EXPECT_EXIT(
      {
        std::thread([] { PressOkOn("DETACH UNKNOWN"); }).detach();
        FatalMessageBox(nullptr, "DETACH UNKNOWN");
        ::ExitProcess(0);  // not reached
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace zuvelo::testing
