// Trace lines as a test program receives them.
#include "support/trace_listener.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "base/trace.h"

namespace zuvelo::testing {

TraceListener::TraceListener() {
  if (udp_.ok()) port_.emplace(udp_.port());
}

bool TraceListener::KeepOnlyThisProcess() {
  char marker[64];
  std::snprintf(marker, sizeof marker, "trace receiver of process %lu\r\n",
                static_cast<unsigned long>(::GetCurrentProcessId()));
  own_ = udp_.AcceptOnlySenderOf(std::string(marker) + '\0', [&] { trace("%s", marker); });
  return own_;
}

std::vector<std::string> TraceListener::Take(int quiet_ms) {
  std::vector<std::string> lines = udp_.Drain(std::chrono::milliseconds(quiet_ms));
  for (std::string& line : lines) {
    if (line.empty() || line.back() != '\0' || line.find('\0') != line.size() - 1) ++malformed_;
    if (!line.empty() && line.back() == '\0') line.pop_back();
  }
  return lines;
}

TraceListener& ProcessTraceListener() {
  static TraceListener receiver;
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

}  // namespace zuvelo::testing
