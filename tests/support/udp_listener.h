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
  // Port 0: one the system chooses. Another program may hold a fixed port a while (under Wine
  // even after it exited), so binding is retried; never shared, which would split datagrams.
  explicit UdpListener(unsigned short port = 0,
                       std::chrono::milliseconds bind_wait = std::chrono::seconds(30));
  ~UdpListener();
  UdpListener(const UdpListener&) = delete;
  UdpListener& operator=(const UdpListener&) = delete;

  [[nodiscard]] bool ok() const;
  // For want of privileges (a port below 1024 for a user who is not root).
  [[nodiscard]] bool refused() const;
  [[nodiscard]] unsigned short port() const;
  // One datagram exactly as received (zero byte included); `from` gets the sender's port.
  std::optional<std::string> Receive(
      std::chrono::milliseconds wait = std::chrono::milliseconds(2000),
      unsigned short* from = nullptr);
  // From then on only datagrams from the port `marker` came from (others trace here too).
  bool AcceptOnlySenderOf(const std::string& marker, const std::function<void()>& send);
  std::vector<std::string> Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(200));

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace zuvelo::testing
