// The socket layer over Winsock. The sockets library is started by the application shell (tests
// start it themselves); nothing here starts or stops it.
#include <winsock2.h>

#include <cstring>

#include "net/socket.h"

namespace zuvelo::net {
namespace {

SocketError LastError() { return static_cast<SocketError>(::WSAGetLastError()); }

SocketError AddressOf(const hostent* found, std::uint32_t& address) {
  if (found == nullptr) return LastError();
  if (found->h_addr_list[0] == nullptr || found->h_length != 4) return wsa::kNoData;
  std::memcpy(&address, found->h_addr_list[0], 4);
  return 0;
}

void SetBlocking(NativeSocket s, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  ::ioctlsocket(s, FIONBIO, &non_blocking);
}

}  // namespace

void CloseNativeSocket(NativeSocket s) noexcept { ::closesocket(s); }

SocketError OpenTcpSocket(Socket& out) {
  out.reset(::socket(AF_INET, SOCK_STREAM, 0));
  return out.valid() ? 0 : LastError();
}

void SetTimeouts(NativeSocket s, std::chrono::milliseconds timeout) {
  // Winsock takes milliseconds as a DWORD here, not a timeval.
  const DWORD ms = static_cast<DWORD>(timeout.count());
  const char* value = reinterpret_cast<const char*>(&ms);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, value, sizeof ms);
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, value, sizeof ms);
}

SocketError ResolveHostName(const std::string& host, std::uint32_t& address) {
  return AddressOf(::gethostbyname(host.c_str()), address);
}

SocketError ResolveNumericHost(const std::string& host, std::uint32_t& address) {
  const unsigned long numeric = ::inet_addr(host.c_str());
  return AddressOf(::gethostbyaddr(reinterpret_cast<const char*>(&numeric), 4, AF_INET), address);
}

SocketError StartConnect(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = ::htons(port);
  to.sin_addr.s_addr = address;
  SetBlocking(s, false);
  const int made = ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  const SocketError error = made == 0 ? 0 : LastError();
  if (error == wsa::kWouldBlock) return error;
  SetBlocking(s, true);
  return error;
}

SocketError FinishConnect(NativeSocket s) {
  int code = 0;
  int size = sizeof code;
  if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size) != 0) {
    code = static_cast<int>(LastError());
  }
  SetBlocking(s, true);
  return static_cast<SocketError>(code);
}

// A failed connect shows in the exception set, not the write set.
Readiness WaitReady(NativeSocket s, Await what, std::chrono::milliseconds most) {
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (what == Await::kRead) {
    FD_SET(s, &readable);
  } else {
    FD_SET(s, &writable);
    FD_SET(s, &failed);
  }
  timeval wait{static_cast<long>(most.count() / 1000),
               static_cast<long>(most.count() % 1000 * 1000)};
  const int n = ::select(0, &readable, &writable, &failed, &wait);
  if (n == SOCKET_ERROR) return {false, LastError()};
  return {n > 0, 0};
}

void SendOnce(NativeSocket s, std::string_view bytes) {
  ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
}

Received Receive(NativeSocket s, void* into, int size) {
  int n = ::recv(s, static_cast<char*>(into), size, 0);
  if (n == SOCKET_ERROR) return {0, LastError()};
  return {n, 0};
}

}  // namespace zuvelo::net
