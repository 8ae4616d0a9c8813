// A real receiver for the diagnostic trace on UDP 127.0.0.1:514 (ctest lock "trace_port").
#pragma once

#include <string>
#include <vector>

#include "support/udp_listener.h"

namespace zuvelo::testing {

class TraceListener {
 public:
  // Binding is retried for up to `wait_ms` while another test program holds the port.
  explicit TraceListener(int wait_ms = 0);

  [[nodiscard]] bool ok() const { return udp_.ok(); }

  // Sends a marker line through the process's own trace channel and from then on keeps only
  // datagrams from the same sender: other programs on the machine trace to the same port.
  bool KeepOnlyThisProcess();
  [[nodiscard]] bool keeps_only_this_process() const { return own_; }

  // Every datagram that arrived since the last take, each without its terminating zero byte.
  // Lines that arrive within `quiet_ms` of the last one are included.
  std::vector<std::string> Take(int quiet_ms = 30);
  // Datagrams seen so far that did not end in exactly one zero byte.
  [[nodiscard]] int malformed() const { return malformed_; }

 private:
  UdpListener udp_;
  int malformed_ = 0;
  bool own_ = false;
};

// The test program's one listener, keeping only this process's lines; made on first use.
TraceListener& ProcessTraceListener();

}  // namespace zuvelo::testing
