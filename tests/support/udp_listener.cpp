// UDP listener for trace tests, over BSD sockets or Winsock.
#include "udp_listener.h"

#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zuvelo::testing {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;
static void CloseSocket(NativeSocket s) { closesocket(s); }
using AddressLength = int;
#else
using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;
static void CloseSocket(NativeSocket s) { close(s); }
using AddressLength = socklen_t;
#endif

struct UdpListener::Impl {
  NativeSocket socket = kNoSocket;
#ifdef _WIN32
  bool wsa = false;
#endif
};

UdpListener::UdpListener(unsigned short port, std::chrono::milliseconds bind_wait)
    : impl_(new Impl) {
#ifdef _WIN32
  WSADATA data;
  impl_->wsa = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
  NativeSocket s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s == kNoSocket) return;
  int big = 1 << 20;  // bursts from several threads must not be dropped by the kernel
  setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&big), sizeof big);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  constexpr auto kPause = std::chrono::milliseconds(100);
  for (auto waited = std::chrono::milliseconds(0);; waited += kPause) {
    if (::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0) {
      impl_->socket = s;
      return;
    }
    if (waited >= bind_wait) break;
    std::this_thread::sleep_for(kPause);
  }
  CloseSocket(s);
}

UdpListener::~UdpListener() {
  if (impl_->socket != kNoSocket) CloseSocket(impl_->socket);
#ifdef _WIN32
  if (impl_->wsa) WSACleanup();
#endif
  delete impl_;
}

bool UdpListener::ok() const { return impl_->socket != kNoSocket; }

std::optional<std::string> UdpListener::Receive(std::chrono::milliseconds wait,
                                                unsigned short* from) {
  if (!ok()) return std::nullopt;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(impl_->socket, &readable);
  timeval tv{};
  tv.tv_sec = static_cast<long>(wait.count() / 1000);
  tv.tv_usec = static_cast<long>(wait.count() % 1000 * 1000);
  if (select(static_cast<int>(impl_->socket) + 1, &readable, nullptr, nullptr, &tv) <= 0)
    return std::nullopt;
  char buffer[65536];
  sockaddr_in sender{};
  AddressLength sender_size = sizeof sender;
  int n = static_cast<int>(::recvfrom(impl_->socket, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&sender), &sender_size));
  if (from != nullptr) *from = ntohs(sender.sin_port);
  if (n < 0) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(n));
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
      sockaddr_in sender{};
      sender.sin_family = AF_INET;
      sender.sin_port = htons(port);
      sender.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      // Connected, the socket takes datagrams from that sender only: the system drops the rest.
      return ::connect(impl_->socket, reinterpret_cast<const sockaddr*>(&sender), sizeof sender) ==
             0;
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
