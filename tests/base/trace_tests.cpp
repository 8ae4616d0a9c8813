// The trace channel seen from a real UDP listener on 127.0.0.1:514.
#include "base/trace.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "support/udp_listener.h"

namespace zuvelo {
namespace {

using testing::UdpListener;

class TraceTest : public ::testing::Test {
 protected:
  // One listener for the suite; it also starts the sockets layer before the first line.
  static void SetUpTestSuite() { Listen(); }
  // Other programs may trace meanwhile: a marker line tells this process's port, the only one kept.
  static void Listen() {
    listener_.reset();
    listener_ = std::make_unique<UdpListener>(514);
    const char* marker = "trace test of this process\r\n";
    listener_->AcceptOnlySenderOf(std::string(marker) + '\0', [&] { trace("%s", marker); });
  }
  void SetUp() override {
    ASSERT_TRUE(listener_->ok()) << "cannot bind 127.0.0.1:514";
    listener_->Drain(std::chrono::milliseconds(50));
  }
  static std::string Next() {
    auto line = listener_->Receive();
    return line ? *line : "(nothing)";
  }
  static inline std::unique_ptr<UdpListener> listener_;
};

// Longer lines are cut to 1023 bytes; an empty text or a null format sends nothing.
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
  UdpListener keeps_sockets_started(0);
  listener_.reset();
  trace("nobody listens\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  listener_ = std::make_unique<UdpListener>(514);
  ASSERT_TRUE(listener_->ok());
  trace("someone listens\r\n");
  EXPECT_EQ(Next(), std::string("someone listens\r\n") + '\0');
  Listen();
}

}  // namespace
}  // namespace zuvelo
