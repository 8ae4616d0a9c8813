// A real receiver for the diagnostic trace: binds UDP 127.0.0.1:514 (ctest lock "trace_port").
#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

namespace zuvelo::testing {

// Starts the sockets layer for the whole test program. The trace channel is made on the first
// line and never retried, so this must come before anything traces.
class WinsockSession {
 public:
  WinsockSession();
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  [[nodiscard]] bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

class TraceListener {
 public:
  // Other test programs on the machine may hold the port for a while: binding is retried for
  // up to `wait_ms`.
  explicit TraceListener(int wait_ms = 0);
  ~TraceListener();
  TraceListener(const TraceListener&) = delete;
  TraceListener& operator=(const TraceListener&) = delete;

  [[nodiscard]] bool ok() const { return socket_ != INVALID_SOCKET; }

  // Other programs on the machine trace to the same port. This sends a marker line through the
  // process's own trace channel and from then on keeps only datagrams from the same sender.
  bool KeepOnlyThisProcess();
  [[nodiscard]] bool keeps_only_this_process() const { return own_port_ != 0; }

  // Every datagram that arrived since the last take, each without its terminating zero byte.
  // Lines that arrive within `quiet_ms` of the last one are included.
  std::vector<std::string> Take(int quiet_ms = 30);
  // Datagrams seen so far that did not end in exactly one zero byte.
  [[nodiscard]] int malformed() const { return malformed_; }

 private:
  bool Receive(std::string* datagram, unsigned short* from_port, int wait_ms);

  SOCKET socket_ = INVALID_SOCKET;
  int malformed_ = 0;
  unsigned short own_port_ = 0;  // 0: keep everything
};

}  // namespace zuvelo::testing
