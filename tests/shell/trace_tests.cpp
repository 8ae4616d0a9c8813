// The trace channel seen from a real UDP listener on 127.0.0.1:514.
#include "shell/trace.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/udp_listener.h"

namespace zuvelo {
namespace {

using testing::UdpListener;

class TraceTest : public ::testing::Test {
 protected:
  // One listener for the suite: it also starts the sockets layer before the first line.
  static void SetUpTestSuite() {
    listener_ = new UdpListener(514);
    ListenToThisProcessOnly();
  }
  // Other test programs may trace to the same port meanwhile: a marker line tells which
  // sender is this process, and the listener then takes nothing else.
  static void ListenToThisProcessOnly() {
    trace("trace test of this process\r\n");
    unsigned short port = 0;
    while (auto line = listener_->Receive(std::chrono::milliseconds(2000), &port)) {
      if (*line == std::string("trace test of this process\r\n") + '\0') {
        listener_->AcceptOnlyFrom(port);
        return;
      }
    }
  }
  static void TearDownTestSuite() {
    delete listener_;
    listener_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(listener_->ok()) << "cannot bind 127.0.0.1:514";
    listener_->Drain(std::chrono::milliseconds(50));
  }
  static UdpListener* listener_;
};
UdpListener* TraceTest::listener_ = nullptr;

TEST_F(TraceTest, LineArrivesAsOneDatagramWithItsZeroByte) {
  EXPECT_EQ(trace("IDispatchCacheImpl CONSTRUCT\r\n"), 0);
  trace("KillThread %s n=%d\r\n", "begin", -7);
  auto first = listener_->Receive();
  auto second = listener_->Receive();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*first, std::string("IDispatchCacheImpl CONSTRUCT\r\n", 30) + '\0');
  EXPECT_EQ(*second, std::string("KillThread begin n=-7\r\n") + '\0');
}

TEST_F(TraceTest, LongLineIsCutTo1023BytesPlusZero) {
  std::string long_text(2000, 'x');
  trace("%s", long_text.c_str());
  std::string exact(1023, 'y');
  trace("%s", exact.c_str());
  auto cut = listener_->Receive();
  auto whole = listener_->Receive();
  ASSERT_TRUE(cut && whole);
  EXPECT_EQ(cut->size(), 1024u);
  EXPECT_EQ(*cut, std::string(1023, 'x') + '\0');
  EXPECT_EQ(*whole, exact + '\0');
}

TEST_F(TraceTest, EmptyTextAndNullFormatSendNothing) {
  trace("%s", "");
  EXPECT_EQ(trace(nullptr), 0);
  trace("after\r\n");
  auto next = listener_->Receive();
  ASSERT_TRUE(next);
  EXPECT_EQ(*next, std::string("after\r\n") + '\0');
}

TEST_F(TraceTest, FirstLineAfterAListenerAppearsIsNotLost) {
  UdpListener keeps_sockets_started(0);
  delete listener_;
  listener_ = nullptr;
  trace("nobody listens\r\n");  // earns an ICMP "port unreachable" for the socket
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  listener_ = new UdpListener(514);
  ASSERT_TRUE(listener_->ok());
  trace("someone listens\r\n");
  auto line = listener_->Receive();
  ASSERT_TRUE(line);
  EXPECT_EQ(*line, std::string("someone listens\r\n") + '\0');
  ListenToThisProcessOnly();
}

TEST_F(TraceTest, ConcurrentLinesNeverInterleave) {
  constexpr int kLines = 300;
  const std::string a(900, 'a'), b(900, 'b');
  std::thread ta([&] {
    for (int i = 0; i < kLines; ++i) trace("%s%04d\r\n", a.c_str(), i);
  });
  std::thread tb([&] {
    for (int i = 0; i < kLines; ++i) trace("%s%04d\r\n", b.c_str(), i);
  });
  ta.join();
  tb.join();
  std::map<char, int> next_index{{'a', 0}, {'b', 0}};
  int received = 0;
  for (const std::string& d : listener_->Drain()) {
    ASSERT_EQ(d.size(), 900u + 4 + 2 + 1);
    const char c = d[0];
    ASSERT_TRUE(c == 'a' || c == 'b');
    ASSERT_EQ(d.substr(0, 900), std::string(900, c)) << "mixed datagram";
    int index = std::stoi(d.substr(900, 4));
    EXPECT_GE(index, next_index[c]);  // per-thread order is kept
    next_index[c] = index + 1;
    ++received;
  }
  // Loopback may drop under pressure, but nearly everything must arrive.
  EXPECT_GE(received, kLines * 2 * 9 / 10);
}

}  // namespace
}  // namespace zuvelo
