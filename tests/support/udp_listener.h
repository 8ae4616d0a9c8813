// A UDP listener on 127.0.0.1 for tests that check trace datagrams byte for byte.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zuvelo::testing {

class UdpListener {
 public:
  // Binds 127.0.0.1:port; ok() tells whether it worked. Starts the sockets layer on Windows.
  explicit UdpListener(unsigned short port = 514);
  ~UdpListener();
  UdpListener(const UdpListener&) = delete;
  UdpListener& operator=(const UdpListener&) = delete;

  [[nodiscard]] bool ok() const;
  // One datagram exactly as received (zero byte included), or nothing within the wait;
  // `from`, when given, gets the sender's port.
  std::optional<std::string> Receive(
      std::chrono::milliseconds wait = std::chrono::milliseconds(2000),
      unsigned short* from = nullptr);
  // From now on only datagrams sent from 127.0.0.1:`port`: other programs that trace to the
  // same port meanwhile are dropped by the system.
  bool AcceptOnlyFrom(unsigned short port);
  // Everything that arrives until the line is quiet for `quiet`.
  std::vector<std::string> Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(200));

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace zuvelo::testing
