// The trace channel: one connected UDP socket to 127.0.0.1:514 and a lock so that lines from
// the UI thread and the analyzer's worker never interleave.
#include "base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string_view>

#include "base/socket.h"

namespace zuvelo {
namespace {

constexpr std::uint16_t kTracePort = 514;

class TraceChannel {
 public:
  TraceChannel() {
    if (sockets::OpenUdpSocket(socket_) != 0) return;
    if (sockets::Connect(socket_.get(), sockets::LoopbackAddress(), kTracePort) != 0) {
      socket_.reset();
    }
  }
  // At exit: drop the socket first, then wait out a line being sent.
  ~TraceChannel() {
    std::lock_guard<std::mutex> hold(lock_);
    socket_.reset();
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
    if (!socket_.valid()) return;
    const std::string_view datagram(line, static_cast<std::size_t>(length) + 1);
    if (sockets::SendOnce(socket_.get(), datagram) != 0) {
      sockets::SendOnce(socket_.get(), datagram);
    }
  }

 private:
  std::mutex lock_;
  sockets::Socket socket_;
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
