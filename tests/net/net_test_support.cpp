// The tests' side of the sockets layer (started here for the whole program, as the application
// shell does), the test server's port and a gzip reader.
#include "net_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <sys/time.h>
#endif

namespace zuvelo::testing {
namespace {

// Winsock must be up before the first trace line: the trace channel makes its socket once.
const sockets::SocketsStartup sockets_session;

class ServerEnvironment : public ::testing::Environment {
  void SetUp() override {
    ASSERT_GT(TestServerPort(), 0) << "no http_test_server.port here: run the tests through ctest";
  }
};
[[maybe_unused]] ::testing::Environment* const server_environment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

std::chrono::milliseconds ReadTimeout(sockets::NativeSocket s, int option) {
#ifdef _WIN32
  DWORD ms = 0;
  int size = sizeof ms;
  if (getsockopt(s, SOL_SOCKET, option, reinterpret_cast<char*>(&ms), &size) != 0) return {};
  return std::chrono::milliseconds(ms);
#else
  timeval tv{};
  socklen_t size = sizeof tv;
  if (getsockopt(s, SOL_SOCKET, option, &tv, &size) != 0) return {};
  return std::chrono::milliseconds(tv.tv_sec * 1000 + tv.tv_usec / 1000);
#endif
}

}  // namespace

int TestServerPort() {
  static const int port = [] {
    int read = 0;
    std::ifstream("http_test_server.port") >> read;
    return read;
  }();
  return port;
}

std::string ServerUrl(std::string_view path, std::string_view host) {
  return "http://" + std::string(host) + ":" + std::to_string(TestServerPort()) + std::string(path);
}

int ClosedPort() {
  sockets::Socket probe;
  if (sockets::OpenTcpSocket(probe) != 0) return 0;
  if (sockets::Bind(probe.get(), sockets::LoopbackAddress(), 0) != 0) return 0;
  return sockets::LocalPort(probe.get());
}

std::string Pattern(std::size_t size) {
  static constexpr std::string_view kPattern = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string text;
  text.reserve(size);
  while (text.size() < size) text.append(kPattern.substr(0, size - text.size()));
  return text;
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string Gunzip(const std::vector<std::uint8_t>& bytes) {
  z_stream z{};
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return {};
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  std::string out;
  char piece[4096];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(piece);
    z.avail_out = sizeof piece;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(piece, sizeof piece - z.avail_out);
  }
  inflateEnd(&z);
  return status == Z_STREAM_END ? out : std::string();
}

std::chrono::milliseconds ReceiveTimeout(sockets::NativeSocket s) {
  return ReadTimeout(s, SO_RCVTIMEO);
}

std::chrono::milliseconds SendTimeout(sockets::NativeSocket s) {
  return ReadTimeout(s, SO_SNDTIMEO);
}

}  // namespace zuvelo::testing
