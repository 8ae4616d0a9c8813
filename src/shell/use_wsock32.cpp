// Sockets start-up and shutdown.
#include "shell/use_wsock32.h"

#include <winsock2.h>

#include "shell/services/message_box_win.h"

namespace zuvelo {

SocketsLayer::SocketsLayer() {
  if (!ok()) ShowMessageBox(nullptr, "WSAStartup(0x101) failed", "use_wsock32", MB_ICONERROR);
}

// The clean-up itself is the start-up owner's, after this.
SocketsLayer::~SocketsLayer() {
  if (ok()) ::WSACancelBlockingCall();
}

}  // namespace zuvelo
