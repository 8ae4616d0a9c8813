// The few blocking IPv4 socket calls the program makes (the HTTP client, the trace) and its tests
// make, over BSD sockets or Winsock. Errors carry Winsock numbers on every platform, so a result
// means the same natively and on Windows. Only `SocketsStartup` starts the sockets layer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace zuvelo::sockets {

#ifdef _WIN32
using NativeSocket = std::uintptr_t;  // SOCKET, without pulling in <winsock2.h>
#else
using NativeSocket = int;
#endif
inline constexpr NativeSocket kNoSocket = static_cast<NativeSocket>(-1);

// 0, or a Winsock error number.
using SocketError = std::uint32_t;

namespace wsa {
inline constexpr SocketError kInterrupted = 10004;
inline constexpr SocketError kAccessDenied = 10013;
inline constexpr SocketError kInvalidArgument = 10022;
inline constexpr SocketError kTooManySockets = 10024;
inline constexpr SocketError kWouldBlock = 10035;
inline constexpr SocketError kNotSocket = 10038;
inline constexpr SocketError kAddressInUse = 10048;
inline constexpr SocketError kAddressNotAvailable = 10049;
inline constexpr SocketError kNetworkDown = 10050;
inline constexpr SocketError kNetworkUnreachable = 10051;
inline constexpr SocketError kConnectionAborted = 10053;
inline constexpr SocketError kConnectionReset = 10054;
inline constexpr SocketError kNoBufferSpace = 10055;
inline constexpr SocketError kNotConnected = 10057;
inline constexpr SocketError kShutDown = 10058;
inline constexpr SocketError kTimedOut = 10060;
inline constexpr SocketError kConnectionRefused = 10061;
inline constexpr SocketError kHostUnreachable = 10065;
inline constexpr SocketError kSystemCallFailure = 10107;
inline constexpr SocketError kHostNotFound = 11001;
inline constexpr SocketError kTryAgain = 11002;
inline constexpr SocketError kNoRecovery = 11003;
inline constexpr SocketError kNoData = 11004;
}  // namespace wsa

void CloseNativeSocket(NativeSocket s) noexcept;

// Sole owner of one socket; closes it on reset and destruction.
class Socket {
 public:
  Socket() noexcept = default;
  explicit Socket(NativeSocket s) noexcept : s_(s) {}
  ~Socket() { reset(); }
  Socket(Socket&& other) noexcept : s_(other.release()) {}
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  [[nodiscard]] NativeSocket get() const noexcept { return s_; }
  [[nodiscard]] bool valid() const noexcept { return s_ != kNoSocket; }
  [[nodiscard]] NativeSocket release() noexcept { return std::exchange(s_, kNoSocket); }
  void reset(NativeSocket s = kNoSocket) noexcept {
    NativeSocket old = std::exchange(s_, s);
    if (old != kNoSocket) CloseNativeSocket(old);
  }

 private:
  NativeSocket s_ = kNoSocket;
};

// The sockets layer (Winsock `version`, major byte low) started for as long as this lives; with
// BSD sockets there is nothing to start. Made before the first socket, ended after the last.
class SocketsStartup {
 public:
  explicit SocketsStartup(std::uint16_t version = 0x0202) noexcept;
  ~SocketsStartup();
  SocketsStartup(const SocketsStartup&) = delete;
  SocketsStartup& operator=(const SocketsStartup&) = delete;

  [[nodiscard]] bool ok() const noexcept { return ok_; }

 private:
  bool ok_ = false;
};

// A TCP socket (AF_INET, SOCK_STREAM) into `out`.
[[nodiscard]] SocketError OpenTcpSocket(Socket& out);
// A UDP socket (AF_INET, SOCK_DGRAM) into `out`.
[[nodiscard]] SocketError OpenUdpSocket(Socket& out);
// Both the send and the receive time-out; a failure to set them is not reported.
void SetTimeouts(NativeSocket s, std::chrono::milliseconds timeout);

// IPv4 addresses are in network byte order. By name: a forward lookup. Numeric: the dotted text
// is converted and then looked up in reverse, the address taken from that lookup's answer.
[[nodiscard]] SocketError ResolveHostName(const std::string& host, std::uint32_t& address);
[[nodiscard]] SocketError ResolveNumericHost(const std::string& host, std::uint32_t& address);
// A connect that does not wait: 0 when it is made at once, wsa::kWouldBlock while it is under way
// (wait for Await::kWrite, then FinishConnect), else its error. The socket blocks again as soon
// as the connect is over, made or failed.
[[nodiscard]] SocketError StartConnect(NativeSocket s, std::uint32_t address, std::uint16_t port);
// The outcome of a connect under way once WaitReady found it over: 0 or its error.
[[nodiscard]] SocketError FinishConnect(NativeSocket s);

enum class Await { kRead, kWrite };
struct Readiness {
  bool ready = false;
  SocketError error = 0;
};
// Waits at most `most` until a receive would not block (bytes, the peer's close or a fault), or
// with kWrite until a connect under way is over.
[[nodiscard]] Readiness WaitReady(NativeSocket s, Await what, std::chrono::milliseconds most);

// A blocking connect; for UDP it only fixes the one peer that sends go to and receives come from.
[[nodiscard]] SocketError Connect(NativeSocket s, std::uint32_t address, std::uint16_t port);
// Binds to `address`; port 0 lets the system choose one.
[[nodiscard]] SocketError Bind(NativeSocket s, std::uint32_t address, std::uint16_t port);
// The local port the socket is bound to, in host byte order; 0 when it is not bound.
[[nodiscard]] std::uint16_t LocalPort(NativeSocket s);
// How many received bytes the system keeps for the socket; a failure is not reported.
void SetReceiveBuffer(NativeSocket s, int bytes);
// The IPv4 loopback address 127.0.0.1, in network byte order.
[[nodiscard]] std::uint32_t LoopbackAddress();

// One send call: 0, or its error. Whatever it manages is all there is.
SocketError SendOnce(NativeSocket s, std::string_view bytes);

struct Received {
  int count = 0;          // bytes received; 0 with no error: the peer closed the connection
  SocketError error = 0;  // a receive time-out is wsa::kTimedOut
};
[[nodiscard]] Received Receive(NativeSocket s, void* into, int size);
// A receive that also tells the sender's port (host byte order) when `from_port` is given.
[[nodiscard]] Received ReceiveFrom(NativeSocket s, void* into, int size, std::uint16_t* from_port);

}  // namespace zuvelo::sockets
