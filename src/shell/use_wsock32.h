// The sockets layer, version 1.1, for the whole process: started by static initialisation
// before the entry runs, shut down at exit. Everything that sends (trace, downloads) relies on it.
#pragma once

#include "base/socket.h"

namespace zuvelo {

class SocketsLayer {
 public:
  // A failure shows "WSAStartup(0x101) failed" and start-up goes on; sends then fail on their
  // own.
  SocketsLayer();
  // Cancels a pending blocking call, then cleans up.
  ~SocketsLayer();
  SocketsLayer(const SocketsLayer&) = delete;
  SocketsLayer& operator=(const SocketsLayer&) = delete;

  [[nodiscard]] bool ok() const { return startup_.ok(); }

 private:
  sockets::SocketsStartup startup_{0x101};
};

}  // namespace zuvelo
