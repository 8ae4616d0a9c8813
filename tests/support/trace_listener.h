// While it lives the process's trace goes to its own UDP port instead of the machine-wide one.
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

  // False when the process's own lines do not arrive.
  bool KeepOnlyThisProcess();
  [[nodiscard]] bool keeps_only_this_process() const { return own_; }

  // Datagrams since the last take, without their zero byte, until quiet for `quiet_ms`.
  std::vector<std::string> Take(int quiet_ms = 30);
  [[nodiscard]] int malformed() const { return malformed_; }

 private:
  UdpListener udp_;
  std::optional<ScopedTracePort> port_;  // only once the port is bound
  int malformed_ = 0;
  bool own_ = false;
};

TraceListener& ProcessTraceListener();

}  // namespace zuvelo::testing
