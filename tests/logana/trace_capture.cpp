// One trace listener for the whole test program, made by a gtest environment.
#include "trace_capture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "support/udp_listener.h"

namespace zuvelo::testing {
namespace {

std::unique_ptr<UdpListener> listener;

class TraceEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { listener = std::make_unique<UdpListener>(514); }
  void TearDown() override { listener.reset(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new TraceEnvironment);

}  // namespace

bool TraceListening() { return listener && listener->ok(); }

std::vector<std::string> TakeTraceLines() {
  std::vector<std::string> lines;
  if (!TraceListening()) return lines;
  for (std::string& datagram : listener->Drain(std::chrono::milliseconds(60))) {
    const bool one_zero = datagram.size() >= 1 && datagram.back() == '\0' &&
                          (datagram.size() < 2 || datagram[datagram.size() - 2] != '\0');
    if (one_zero) datagram.pop_back();
    lines.push_back(std::move(datagram));
  }
  return lines;
}

}  // namespace zuvelo::testing
