// The trace channel: one connected UDP socket to 127.0.0.1:514 and a lock so that lines from
// the UI thread and the analyzer's worker never interleave.
#include "base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zuvelo {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;
void CloseSocket(NativeSocket s) { closesocket(s); }
#else
using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;
void CloseSocket(NativeSocket s) { close(s); }
#endif

constexpr unsigned short kTracePort = 514;

class TraceChannel {
 public:
  TraceChannel() {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket_ == kNoSocket) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kTracePort);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
      CloseSocket(socket_);
      socket_ = kNoSocket;
    }
  }
  // At exit: drop the socket first, then wait out a line being sent.
  ~TraceChannel() {
    std::lock_guard<std::mutex> hold(lock_);
    if (socket_ != kNoSocket) CloseSocket(socket_);
    socket_ = kNoSocket;
  }
  TraceChannel(const TraceChannel&) = delete;
  TraceChannel& operator=(const TraceChannel&) = delete;

  void Send(const char* format, va_list args) {
    std::lock_guard<std::mutex> hold(lock_);
    char line[1024];
    int length = std::vsnprintf(line, sizeof line, format, args);
    line[sizeof line - 1] = '\0';
    if (length < 0 || length > static_cast<int>(sizeof line) - 1) length = sizeof line - 1;
    if (length == 0) return;
    // The zero byte travels with the text; listeners rely on it. Nobody waits for a reply.
    // A connected UDP socket reports an earlier "port unreachable" on the next send and drops
    // that datagram, so the first line after a listener appears would be lost: send it again.
    if (socket_ == kNoSocket) return;
    if (::send(socket_, line, length + 1, 0) < 0) ::send(socket_, line, length + 1, 0);
  }

 private:
  std::mutex lock_;
  NativeSocket socket_ = kNoSocket;
};

}  // namespace

int trace(const char* format, ...) {
  if (format == nullptr) return 0;
  static TraceChannel channel;
  va_list args;
  va_start(args, format);
  channel.Send(format, args);
  va_end(args);
  return 0;
}

}  // namespace zuvelo
