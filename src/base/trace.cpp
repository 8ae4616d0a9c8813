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

class TraceChannel {
 public:
  TraceChannel() : port_(Port()) {
    if (sockets::OpenUdpSocket(socket_) != 0) return;
    if (sockets::Connect(socket_.get(), sockets::LoopbackAddress(), port_) != 0) socket_.reset();
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
    FollowPort();
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
  static std::uint16_t Port() { return TracePortSeam::Get().value_or(kTracePort); }

  // Only a test moves the port; the product's channel stays on the one it made. A failed
  // reconnect keeps the old peer and is tried again with the next line.
  void FollowPort() {
    const std::uint16_t port = Port();
    if (port == port_ || !socket_.valid()) return;
    if (sockets::Connect(socket_.get(), sockets::LoopbackAddress(), port) == 0) port_ = port;
  }

  std::mutex lock_;
  std::uint16_t port_;
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
