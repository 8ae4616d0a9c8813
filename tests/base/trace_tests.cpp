// The trace channel seen from real UDP listeners on 127.0.0.1.
#include "base/trace.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "support/udp_listener.h"

namespace zuvelo {
namespace {

using namespace std::chrono_literals;
using testing::UdpListener;

class TraceTest : public ::testing::Test {
 protected:
  // The listener also starts the sockets layer before the first line.
  static void SetUpTestSuite() { Listen(); }
  static void TearDownTestSuite() {
    port_.reset();
    listener_.reset();
  }
  static void Listen() {
    port_.reset();
    listener_ = std::make_unique<UdpListener>();
    if (listener_->ok()) port_.emplace(listener_->port());
  }
  void SetUp() override {
    ASSERT_TRUE(listener_->ok()) << "cannot bind a port of 127.0.0.1";
    listener_->Drain(50ms);
  }
  static std::string Next() { return listener_->Receive().value_or("(nothing)"); }
  static inline std::unique_ptr<UdpListener> listener_;
  static inline std::optional<ScopedTracePort> port_;
};

TEST_F(TraceTest, EachLineIsOneDatagramOfAtMost1023BytesAndItsZeroByte) {
  EXPECT_EQ(trace("IDispatchCacheImpl CONSTRUCT\r\n"), 0);
  trace("KillThread %s n=%d\r\n", "begin", -7);
  trace("%s", "");
  EXPECT_EQ(trace(nullptr), 0);
  trace("%s", std::string(2000, 'x').c_str());
  trace("%s", std::string(1023, 'y').c_str());
  EXPECT_EQ(Next(), std::string("IDispatchCacheImpl CONSTRUCT\r\n") + '\0');
  EXPECT_EQ(Next(), std::string("KillThread begin n=-7\r\n") + '\0');
  EXPECT_EQ(Next(), std::string(1023, 'x') + '\0');
  EXPECT_EQ(Next(), std::string(1023, 'y') + '\0');
}

// A connected socket reports an earlier "port unreachable" on the next send.
TEST_F(TraceTest, FirstLineAfterAListenerAppearsIsNotLost) {
  UdpListener keeps_sockets_started;
  const unsigned short port = listener_->port();
  listener_.reset();
  trace("nobody listens\r\n");
  std::this_thread::sleep_for(100ms);
  listener_ = std::make_unique<UdpListener>(port);
  ASSERT_TRUE(listener_->ok());
  trace("someone listens\r\n");
  EXPECT_EQ(Next(), std::string("someone listens\r\n") + '\0');
}

// The only test on the machine-wide port.
TEST_F(TraceTest, WithoutTheSeamLinesGoToPort514) {
  UdpListener product(kTracePort);
  if (product.refused()) GTEST_SKIP() << "this user may not bind 127.0.0.1:514";
  ASSERT_TRUE(product.ok()) << "cannot bind 127.0.0.1:514";
  port_.reset();
  // Other programs trace to 514 as well.
  const std::string marker = "trace test of this process\r\n";
  ASSERT_TRUE(product.AcceptOnlySenderOf(marker + '\0', [&] { trace("%s", marker.c_str()); }));
  trace("to the product's port\r\n");
  EXPECT_EQ(product.Receive(), std::string("to the product's port\r\n") + '\0');
  Listen();
  trace("to the test's port\r\n");
  EXPECT_EQ(Next(), std::string("to the test's port\r\n") + '\0');
  EXPECT_EQ(product.Receive(200ms), std::nullopt);
}

}  // namespace
}  // namespace zuvelo
