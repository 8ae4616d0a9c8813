// UDP listener for trace tests, over the program's own sockets layer.
#include "udp_listener.h"

#include <thread>

#include "base/socket.h"

namespace zuvelo::testing {

struct UdpListener::Impl {
  sockets::SocketsStartup startup;  // first: it outlives the socket
  sockets::Socket socket;
  sockets::SocketError bind_error = 0;
};

UdpListener::UdpListener(unsigned short port, std::chrono::milliseconds bind_wait)
    : impl_(new Impl) {
  sockets::Socket s;
  if (sockets::OpenUdpSocket(s) != 0) return;
  sockets::SetReceiveBuffer(s.get(), 1 << 20);  // bursts from several threads must not be dropped
  constexpr auto kPause = std::chrono::milliseconds(100);
  for (auto waited = std::chrono::milliseconds(0);; waited += kPause) {
    impl_->bind_error = sockets::Bind(s.get(), sockets::LoopbackAddress(), port);
    if (impl_->bind_error == 0) {
      impl_->socket = std::move(s);
      return;
    }
    // A privileged port stays refused however long one waits.
    if (impl_->bind_error == sockets::wsa::kAccessDenied || waited >= bind_wait) break;
    std::this_thread::sleep_for(kPause);
  }
}

UdpListener::~UdpListener() { delete impl_; }

bool UdpListener::ok() const { return impl_->socket.valid(); }

bool UdpListener::refused() const { return impl_->bind_error == sockets::wsa::kAccessDenied; }

unsigned short UdpListener::port() const {
  return ok() ? sockets::LocalPort(impl_->socket.get()) : 0;
}

std::optional<std::string> UdpListener::Receive(std::chrono::milliseconds wait,
                                                unsigned short* from) {
  if (!ok()) return std::nullopt;
  const sockets::Readiness ready =
      sockets::WaitReady(impl_->socket.get(), sockets::Await::kRead, wait);
  if (!ready.ready) return std::nullopt;
  char buffer[65536];
  std::uint16_t sender = 0;
  const sockets::Received got =
      sockets::ReceiveFrom(impl_->socket.get(), buffer, sizeof buffer, &sender);
  if (from != nullptr) *from = sender;
  if (got.error != 0) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(got.count));
}

// A connected UDP sender that sent while nobody listened may hold an "unreachable" error that
// swallows its next datagram: the marker is sent up to three times.
bool UdpListener::AcceptOnlySenderOf(const std::string& marker, const std::function<void()>& send) {
  if (!ok()) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    send();
    unsigned short port = 0;
    while (auto datagram = Receive(std::chrono::milliseconds(700), &port)) {
      if (*datagram != marker) continue;
      // Connected, the socket takes datagrams from that sender only: the system drops the rest.
      return sockets::Connect(impl_->socket.get(), sockets::LoopbackAddress(), port) == 0;
    }
  }
  return false;
}

std::vector<std::string> UdpListener::Drain(std::chrono::milliseconds quiet) {
  std::vector<std::string> all;
  while (auto datagram = Receive(quiet)) all.push_back(std::move(*datagram));
  return all;
}

}  // namespace zuvelo::testing
