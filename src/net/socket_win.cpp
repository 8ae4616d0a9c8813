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

SocketError Connect(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = ::htons(port);
  to.sin_addr.s_addr = address;
  if (::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return 0;
  return LastError();
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
