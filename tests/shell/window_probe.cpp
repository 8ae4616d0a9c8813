// "find <ms>" prints the shown main window's facts, "close <ms>" closes it; 2: no window in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  const bool close = std::strcmp(argv[1], "close") == 0;
  const DWORD start = ::GetTickCount(), limit = static_cast<DWORD>(std::atoi(argv[2]));
  HWND main = nullptr;
  while (((main = ::FindWindowA("WC_ZUVELO_WIN_APP LOGANA", nullptr)) == nullptr ||
          (!close && !::IsWindowVisible(main))) &&
         ::GetTickCount() - start <= limit)
    ::Sleep(50);
  if (main == nullptr) return 2;
  if (close) return ::PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
  char caption[256] = {};
  ::GetWindowTextA(main, caption, sizeof caption);  // the system's copy: no message to a hung one
  DWORD_PTR buttons = 0;
  const bool answered =
      ::SendMessageTimeoutA(::GetDlgItem(::GetDlgItem(main, 4001), 1), TB_BUTTONCOUNT, 0, 0,
                            SMTO_ABORTIFHUNG, 2000, &buttons);
  std::printf("caption=%s\nvisible=%d\nbuttons=%ld\n", caption, ::IsWindowVisible(main) ? 1 : 0,
              answered ? static_cast<long>(buttons) : -1L);
  return 0;
}
