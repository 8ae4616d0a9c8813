// The program's entry. Static initialisation starts the sockets layer and registers the window
// classes before WinMain runs; both stay for the life of the process.
#include <windows.h>

#include "base/catch_all.h"
#include "shell/main_window_win.h"
#include "shell/startup_win.h"
#include "shell/use_wsock32.h"

namespace {

[[maybe_unused]] const zuvelo::SocketsLayer sockets;
[[maybe_unused]] const bool window_classes =
    zuvelo::RegisterWindowClasses(::GetModuleHandleA(nullptr));

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  int code = 1;
  static_cast<void>(zuvelo::CatchAll("WinMain", [&] { code = zuvelo::RunZuvelo(instance, show); }));
  return code;
}
