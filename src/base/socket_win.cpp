// The socket layer over Winsock. The application shell starts the sockets library for the
// program (tests start it themselves) through SocketsStartup.
#include <winsock2.h>

#include <cstring>

#include "base/socket.h"

namespace zuvelo::sockets {
namespace {

SocketError LastError() { return static_cast<SocketError>(::WSAGetLastError()); }

SocketError AddressOf(const hostent* found, std::uint32_t& address) {
  if (found == nullptr) return LastError();
  if (found->h_addr_list[0] == nullptr || found->h_length != 4) return wsa::kNoData;
  std::memcpy(&address, found->h_addr_list[0], 4);
  return 0;
}

sockaddr_in Ipv4(std::uint32_t address, std::uint16_t port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = ::htons(port);
  at.sin_addr.s_addr = address;
  return at;
}

void SetBlocking(NativeSocket s, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  ::ioctlsocket(s, FIONBIO, &non_blocking);
}

}  // namespace

void CloseNativeSocket(NativeSocket s) noexcept { ::closesocket(s); }

SocketsStartup::SocketsStartup(std::uint16_t version) noexcept {
  WSADATA data{};
  ok_ = ::WSAStartup(version, &data) == 0;
}

SocketsStartup::~SocketsStartup() {
  if (ok_) ::WSACleanup();
}

SocketError OpenTcpSocket(Socket& out) {
  out.reset(::socket(AF_INET, SOCK_STREAM, 0));
  return out.valid() ? 0 : LastError();
}

SocketError OpenUdpSocket(Socket& out) {
  out.reset(::socket(AF_INET, SOCK_DGRAM, 0));
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
  const sockaddr_in to = Ipv4(address, port);
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

SocketError Connect(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in to = Ipv4(address, port);
  return ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ? 0 : LastError();
}

SocketError Bind(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in at = Ipv4(address, port);
  return ::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0 ? 0 : LastError();
}

std::uint16_t LocalPort(NativeSocket s) {
  sockaddr_in at{};
  int size = sizeof at;
  if (::getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
  return ::ntohs(at.sin_port);
}

void SetReceiveBuffer(NativeSocket s, int bytes) {
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

std::uint32_t LoopbackAddress() { return ::htonl(INADDR_LOOPBACK); }

SocketError SendOnce(NativeSocket s, std::string_view bytes) {
  return ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0) == SOCKET_ERROR ? LastError()
                                                                                    : 0;
}

Received Receive(NativeSocket s, void* into, int size) {
  int n = ::recv(s, static_cast<char*>(into), size, 0);
  if (n == SOCKET_ERROR) return {0, LastError()};
  return {n, 0};
}

Received ReceiveFrom(NativeSocket s, void* into, int size, std::uint16_t* from_port) {
  sockaddr_in sender{};
  int sender_size = sizeof sender;
  int n = ::recvfrom(s, static_cast<char*>(into), size, 0, reinterpret_cast<sockaddr*>(&sender),
                     &sender_size);
  if (n == SOCKET_ERROR) return {0, LastError()};
  if (from_port != nullptr) *from_port = ::ntohs(sender.sin_port);
  return {n, 0};
}

}  // namespace zuvelo::sockets
