// A real receiver for this process's diagnostic trace, on a UDP port of 127.0.0.1 of its own:
// while it lives the trace goes there instead of the machine-wide port.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/trace.h"
#include "support/udp_listener.h"

namespace zuvelo::testing {

class TraceListener {
 public:
  TraceListener();

  [[nodiscard]] bool ok() const { return udp_.ok(); }

  // Sends a marker line through the process's own trace channel and from then on keeps only
  // datagrams from the same sender; false when the process's own lines do not arrive.
  bool KeepOnlyThisProcess();
  [[nodiscard]] bool keeps_only_this_process() const { return own_; }

  // Every datagram that arrived since the last take, each without its terminating zero byte.
  // Lines that arrive within `quiet_ms` of the last one are included.
  std::vector<std::string> Take(int quiet_ms = 30);
  // Datagrams seen so far that did not end in exactly one zero byte.
  [[nodiscard]] int malformed() const { return malformed_; }

 private:
  UdpListener udp_;
  std::optional<ScopedTracePort> port_;  // only once the port is bound
  int malformed_ = 0;
  bool own_ = false;
};

// The test program's one listener, keeping only this process's lines; made on first use.
TraceListener& ProcessTraceListener();

}  // namespace zuvelo::testing
