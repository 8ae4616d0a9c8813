// The smoke test's look at the running program, through window messages only. "find <ms>"
// waits for the main window to be shown and prints its class, caption, visibility, toolbar
// class and button count, and the GAME and HOME labels (read back as UTF-16, printed in UTF-8);
// "close <ms>" posts WM_CLOSE to it. Exit code 2: no window in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  char bytes[512] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

// A buffer in the program's own memory: the toolbar's messages carry pointers that are not
// carried over from another process.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (process_) memory_ = ::VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (memory_) ::VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  // Sends `message` with the buffer as lParam and copies the buffer back into `out`.
  bool Ask(HWND window, UINT message, WPARAM wparam, void* out, SIZE_T size) {
    if (!memory_ || size > kSize) return false;
    const char zeros[kSize] = {};
    DWORD_PTR result = 0;
    return ::WriteProcessMemory(process_, memory_, zeros, kSize, nullptr) &&
           ::SendMessageTimeoutW(window, message, wparam, reinterpret_cast<LPARAM>(memory_),
                                 SMTO_ABORTIFHUNG, 2000, &result) &&
           ::ReadProcessMemory(process_, memory_, out, size, nullptr);
  }

 private:
  static constexpr SIZE_T kSize = 256;
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

std::string Label(RemoteBuffer& buffer, HWND toolbar, int command) {
  wchar_t label[64] = {};
  buffer.Ask(toolbar, TB_GETBUTTONTEXTW, command, label, sizeof label - sizeof(wchar_t));
  return Utf8(label);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_probe find|close <ms>\n");
    return 1;
  }
  const bool close = std::strcmp(argv[1], "close") == 0;
  const DWORD start = ::GetTickCount(), limit = static_cast<DWORD>(std::atoi(argv[2]));
  HWND main = nullptr;
  while (((main = ::FindWindowA("WC_ZUVELO_WIN_APP LOGANA", nullptr)) == nullptr ||
          (!close && !::IsWindowVisible(main))) &&
         ::GetTickCount() - start <= limit) {
    ::Sleep(50);
  }
  if (main == nullptr) {
    std::printf("no main window\n");
    return 2;
  }
  if (close) return ::PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
  char name[256] = {}, caption[256] = {}, toolbar_class[64] = {};
  ::GetClassNameA(main, name, sizeof name);
  ::GetWindowTextA(main, caption,
                   sizeof caption);  // the system's copy: no message to a hung window
  const HWND toolbar = ::GetDlgItem(::GetDlgItem(main, 4001), 1);
  ::GetClassNameA(toolbar, toolbar_class, sizeof toolbar_class);
  DWORD_PTR buttons = 0;
  if (!::SendMessageTimeoutA(toolbar, TB_BUTTONCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &buttons)) {
    buttons = static_cast<DWORD_PTR>(-1);
  }
  std::printf("class=%s\ncaption=%s\nvisible=%d\ntoolbar=%s\nbuttons=%ld\n", name, caption,
              ::IsWindowVisible(main) ? 1 : 0, toolbar_class, static_cast<long>(buttons));
  RemoteBuffer buffer(toolbar);
  std::printf("labels=%s|%s\n", Label(buffer, toolbar, 4009).c_str(),
              Label(buffer, toolbar, 4008).c_str());
  return 0;
}
