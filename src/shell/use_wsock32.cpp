// Sockets start-up and shutdown.
#include "shell/use_wsock32.h"

#include <winsock2.h>

#include "shell/services/message_box_win.h"

namespace zuvelo {

SocketsLayer::SocketsLayer() {
  WSADATA data{};
  ok_ = ::WSAStartup(0x101, &data) == 0;
  if (!ok_) ShowMessageBox(nullptr, "WSAStartup(0x101) failed", "use_wsock32", MB_ICONERROR);
}

SocketsLayer::~SocketsLayer() {
  if (!ok_) return;
  ::WSACancelBlockingCall();
  ::WSACleanup();
}

}  // namespace zuvelo
