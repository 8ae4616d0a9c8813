// UDP receiver for trace lines.
#include "support/trace_listener.h"

#include <ws2tcpip.h>

namespace zuvelo::testing {

WinsockSession::WinsockSession() {
  WSADATA data;
  ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
  if (ok_) ::WSACleanup();
}

TraceListener::TraceListener() {
  socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket_ == INVALID_SOCKET) return;
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(514);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(socket_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
    ::closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
}

TraceListener::~TraceListener() {
  if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
}

std::vector<std::string> TraceListener::Take(int quiet_ms) {
  std::vector<std::string> lines;
  if (!ok()) return lines;
  for (;;) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait{0, quiet_ms * 1000};
    if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) break;
    char buffer[2048];
    const int got = ::recv(socket_, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    std::string datagram(buffer, static_cast<std::size_t>(got));
    if (datagram.back() != '\0' || datagram.find('\0') != datagram.size() - 1) ++malformed_;
    if (!datagram.empty() && datagram.back() == '\0') datagram.pop_back();
    lines.push_back(std::move(datagram));
  }
  return lines;
}

}  // namespace zuvelo::testing
