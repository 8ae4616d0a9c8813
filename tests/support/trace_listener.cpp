// UDP receiver for trace lines.
#include "support/trace_listener.h"

#include <ws2tcpip.h>

#include <cstdio>

#include "shell/trace.h"

namespace zuvelo::testing {

WinsockSession::WinsockSession() {
  WSADATA data;
  ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
  if (ok_) ::WSACleanup();
}

TraceListener::TraceListener(int wait_ms) {
  socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket_ == INVALID_SOCKET) return;
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(514);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  constexpr int kPause = 100;
  for (int waited = 0;; waited += kPause) {
    if (::bind(socket_, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0) return;
    if (waited >= wait_ms) break;
    ::Sleep(kPause);
  }
  ::closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

TraceListener::~TraceListener() {
  if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
}

bool TraceListener::Receive(std::string* datagram, unsigned short* from_port, int wait_ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket_, &readable);
  timeval wait{0, wait_ms * 1000};
  if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
  char buffer[2048];
  sockaddr_in from{};
  int from_size = sizeof from;
  const int got =
      ::recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &from_size);
  if (got <= 0) return false;
  datagram->assign(buffer, static_cast<std::size_t>(got));
  *from_port = ntohs(from.sin_port);
  return true;
}

bool TraceListener::KeepOnlyThisProcess() {
  if (!ok()) return false;
  char marker[64];
  std::snprintf(marker, sizeof marker, "trace receiver of process %lu\r\n",
                static_cast<unsigned long>(::GetCurrentProcessId()));
  trace("%s", marker);
  const std::string expected = std::string(marker) + '\0';
  std::string datagram;
  unsigned short port = 0;
  while (Receive(&datagram, &port, 2000)) {
    if (datagram == expected) {
      own_port_ = port;
      return true;
    }
  }
  return false;
}

std::vector<std::string> TraceListener::Take(int quiet_ms) {
  std::vector<std::string> lines;
  if (!ok()) return lines;
  std::string datagram;
  unsigned short port = 0;
  while (Receive(&datagram, &port, quiet_ms)) {
    if (own_port_ != 0 && port != own_port_) continue;
    if (datagram.empty() || datagram.back() != '\0' || datagram.find('\0') != datagram.size() - 1) {
      ++malformed_;
    }
    if (!datagram.empty() && datagram.back() == '\0') datagram.pop_back();
    lines.push_back(std::move(datagram));
  }
  return lines;
}

}  // namespace zuvelo::testing
