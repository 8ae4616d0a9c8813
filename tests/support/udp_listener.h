// A UDP listener on 127.0.0.1 for tests that check trace datagrams byte for byte.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zuvelo::testing {

class UdpListener {
 public:
  // Binds 127.0.0.1:port, port 0 for one the system chooses; ok() tells whether it worked.
  // Starts the sockets layer on Windows. Another test program may hold a fixed port a while
  // (under Wine even after it exited): binding is retried for up to `bind_wait`. The port is
  // never shared: a second socket on it would take some of the datagrams.
  explicit UdpListener(unsigned short port = 0,
                       std::chrono::milliseconds bind_wait = std::chrono::seconds(30));
  ~UdpListener();
  UdpListener(const UdpListener&) = delete;
  UdpListener& operator=(const UdpListener&) = delete;

  [[nodiscard]] bool ok() const;
  // The bind was refused for want of privileges (a port below 1024 for a user who is not root).
  [[nodiscard]] bool refused() const;
  // The port bound, 0 when none is.
  [[nodiscard]] unsigned short port() const;
  // One datagram exactly as received (zero byte included), or nothing within the wait;
  // `from`, when given, gets the sender's port.
  std::optional<std::string> Receive(
      std::chrono::milliseconds wait = std::chrono::milliseconds(2000),
      unsigned short* from = nullptr);
  // `send` makes this process send `marker` here; from then on only datagrams from the port it
  // came from are taken (other programs trace to the same port).
  bool AcceptOnlySenderOf(const std::string& marker, const std::function<void()>& send);
  // Everything that arrives until the line is quiet for `quiet`.
  std::vector<std::string> Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(200));

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace zuvelo::testing
