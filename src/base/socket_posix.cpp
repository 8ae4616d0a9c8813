// The socket layer over BSD sockets (the native test build). errno and h_errno values are turned
// into the Winsock numbers the Windows build reports for the same fault.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "base/socket.h"

namespace zuvelo::sockets {
namespace {

SocketError FromErrno(int code) {
  static constexpr std::pair<int, SocketError> kTable[] = {
      {EINTR, wsa::kInterrupted},
      {EACCES, wsa::kAccessDenied},
      {EINVAL, wsa::kInvalidArgument},
      {EMFILE, wsa::kTooManySockets},
      {ENFILE, wsa::kTooManySockets},
      // A blocking socket only says "would block" when its receive or send time-out ran out.
      {EAGAIN, wsa::kTimedOut},
      {EWOULDBLOCK, wsa::kTimedOut},
      {EINPROGRESS, wsa::kWouldBlock},
      {ENOTSOCK, wsa::kNotSocket},
      {EBADF, wsa::kNotSocket},
      {EADDRINUSE, wsa::kAddressInUse},
      {EADDRNOTAVAIL, wsa::kAddressNotAvailable},
      {ENETDOWN, wsa::kNetworkDown},
      {ENETUNREACH, wsa::kNetworkUnreachable},
      {ECONNABORTED, wsa::kConnectionAborted},
      {ECONNRESET, wsa::kConnectionReset},
      {EPIPE, wsa::kConnectionReset},
      {ENOBUFS, wsa::kNoBufferSpace},
      {ENOMEM, wsa::kNoBufferSpace},
      {ENOTCONN, wsa::kNotConnected},
      {ESHUTDOWN, wsa::kShutDown},
      {ETIMEDOUT, wsa::kTimedOut},
      {ECONNREFUSED, wsa::kConnectionRefused},
      {EHOSTUNREACH, wsa::kHostUnreachable},
  };
  for (const auto& [from, to] : kTable) {
    if (from == code) return to;
  }
  return wsa::kSystemCallFailure;
}

SocketError FromHostError(int code) {
  switch (code) {
    case HOST_NOT_FOUND:
      return wsa::kHostNotFound;
    case TRY_AGAIN:
      return wsa::kTryAgain;
    case NO_RECOVERY:
      return wsa::kNoRecovery;
    default:
      return wsa::kNoData;
  }
}

// The reentrant lookups, with room enough for a host's names and addresses.
struct HostEntry {
  hostent entry{};
  hostent* found = nullptr;
  char scratch[8192];
  int host_error = 0;

  SocketError Address(std::uint32_t& address) const {
    if (found == nullptr || found->h_addr_list[0] == nullptr || found->h_length != 4) {
      return FromHostError(host_error);
    }
    std::memcpy(&address, found->h_addr_list[0], 4);
    return 0;
  }
};

sockaddr_in Ipv4(std::uint32_t address, std::uint16_t port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = address;
  return at;
}

void SetBlocking(NativeSocket s, bool blocking) {
  const int flags = ::fcntl(s, F_GETFL, 0);
  if (flags >= 0) ::fcntl(s, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

}  // namespace

void CloseNativeSocket(NativeSocket s) noexcept { ::close(s); }

SocketsStartup::SocketsStartup(std::uint16_t) noexcept : ok_(true) {}
SocketsStartup::~SocketsStartup() = default;

SocketError OpenTcpSocket(Socket& out) {
  out.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return out.valid() ? 0 : FromErrno(errno);
}

SocketError OpenUdpSocket(Socket& out) {
  out.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  return out.valid() ? 0 : FromErrno(errno);
}

void SetTimeouts(NativeSocket s, std::chrono::milliseconds timeout) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

SocketError ResolveHostName(const std::string& host, std::uint32_t& address) {
  HostEntry lookup;
  ::gethostbyname_r(host.c_str(), &lookup.entry, lookup.scratch, sizeof lookup.scratch,
                    &lookup.found, &lookup.host_error);
  return lookup.Address(address);
}

SocketError ResolveNumericHost(const std::string& host, std::uint32_t& address) {
  const in_addr_t numeric = ::inet_addr(host.c_str());
  HostEntry lookup;
  ::gethostbyaddr_r(&numeric, sizeof numeric, AF_INET, &lookup.entry, lookup.scratch,
                    sizeof lookup.scratch, &lookup.found, &lookup.host_error);
  return lookup.Address(address);
}

SocketError StartConnect(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in to = Ipv4(address, port);
  SetBlocking(s, false);
  const int made = ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  const int code = errno;
  // An interrupted connect goes on by itself, as one under way.
  if (made != 0 && (code == EINPROGRESS || code == EINTR)) return wsa::kWouldBlock;
  SetBlocking(s, true);
  return made == 0 ? 0 : FromErrno(code);
}

SocketError FinishConnect(NativeSocket s) {
  int code = 0;
  socklen_t size = sizeof code;
  if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &code, &size) != 0) code = errno;
  SetBlocking(s, true);
  return code == 0 ? 0 : FromErrno(code);
}

Readiness WaitReady(NativeSocket s, Await what, std::chrono::milliseconds most) {
  pollfd entry{s, static_cast<short>(what == Await::kRead ? POLLIN : POLLOUT), 0};
  const int n = ::poll(&entry, 1, static_cast<int>(most.count()));
  if (n < 0) return {false, errno == EINTR ? 0 : FromErrno(errno)};
  return {n > 0, 0};
}

SocketError Connect(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in to = Ipv4(address, port);
  return ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ? 0
                                                                              : FromErrno(errno);
}

SocketError Bind(NativeSocket s, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in at = Ipv4(address, port);
  return ::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0 ? 0 : FromErrno(errno);
}

std::uint16_t LocalPort(NativeSocket s) {
  sockaddr_in at{};
  socklen_t size = sizeof at;
  if (::getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
  return ntohs(at.sin_port);
}

void SetReceiveBuffer(NativeSocket s, int bytes) {
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

std::uint32_t LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

SocketError SendOnce(NativeSocket s, std::string_view bytes) {
  // A peer that already closed must cost a failed send, not the process (SIGPIPE).
  return ::send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0 ? FromErrno(errno) : 0;
}

Received Receive(NativeSocket s, void* into, int size) {
  for (;;) {
    ssize_t n = ::recv(s, into, static_cast<std::size_t>(size), 0);
    if (n >= 0) return {static_cast<int>(n), 0};
    if (errno != EINTR) return {0, FromErrno(errno)};
  }
}

Received ReceiveFrom(NativeSocket s, void* into, int size, std::uint16_t* from_port) {
  for (;;) {
    sockaddr_in sender{};
    socklen_t sender_size = sizeof sender;
    ssize_t n = ::recvfrom(s, into, static_cast<std::size_t>(size), 0,
                           reinterpret_cast<sockaddr*>(&sender), &sender_size);
    if (n >= 0) {
      if (from_port != nullptr) *from_port = ntohs(sender.sin_port);
      return {static_cast<int>(n), 0};
    }
    if (errno != EINTR) return {0, FromErrno(errno)};
  }
}

}  // namespace zuvelo::sockets
