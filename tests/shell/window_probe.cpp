// Looks at the running program from outside, through window messages only, for the smoke test.
//   window_probe find <ms>   waits for the main window to be shown (it exists, hidden, while
//                            it makes its children), prints its class, caption, visibility and
//                            the toolbar's button count, one "key=value" line each
//   window_probe close <ms>  posts WM_CLOSE to it
// Exit code 0 on success, 2 when no main window appeared in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kMainClass = "WC_ZUVELO_WIN_APP LOGANA";
constexpr int kToolbarWrapperId = 4001;
constexpr int kToolbarId = 1;
constexpr UINT kAnswerMs = 2000;

HWND WaitForMainWindow(DWORD limit_ms, bool shown) {
  const DWORD start = ::GetTickCount();
  HWND main = nullptr;
  for (;;) {
    main = ::FindWindowA(kMainClass, nullptr);
    if (main != nullptr && (!shown || ::IsWindowVisible(main))) return main;
    if (::GetTickCount() - start > limit_ms) return main;
    ::Sleep(50);
  }
}

LRESULT Ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerMs,
                             &answer)) {
    return -1;
  }
  return static_cast<LRESULT>(answer);
}

int Describe(HWND main) {
  char name[256] = {};
  ::GetClassNameA(main, name, sizeof name);
  char caption[256] = {};
  Ask(main, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
  const HWND toolbar = ::GetDlgItem(::GetDlgItem(main, kToolbarWrapperId), kToolbarId);
  char toolbar_class[64] = {};
  ::GetClassNameA(toolbar, toolbar_class, sizeof toolbar_class);
  std::printf("class=%s\ncaption=%s\nvisible=%d\ntoolbar=%s\nbuttons=%ld\n", name, caption,
              ::IsWindowVisible(main) ? 1 : 0, toolbar_class,
              static_cast<long>(Ask(toolbar, TB_BUTTONCOUNT, 0, 0)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_probe find|close <ms>\n");
    return 1;
  }
  const bool close = std::strcmp(argv[1], "close") == 0;
  const HWND main = WaitForMainWindow(static_cast<DWORD>(std::atoi(argv[2])), !close);
  if (main == nullptr) {
    std::printf("no main window\n");
    return 2;
  }
  if (close) return ::PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
  return Describe(main);
}
