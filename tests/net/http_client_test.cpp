// CHttpClient against the real loopback server of http_test_server.py: request bytes, results,
// redirects, header limits, content lengths, time-outs, the deadline and cancelling, trace lines
// and the body limit.
#include "net/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "base/socket.h"
#include "base/trace.h"
#include "net/platform_version.h"
#include "net/service_address.h"
#include "support/udp_listener.h"

#ifdef _WIN32
#include <winsock2.h>
using AddressLength = int;
using TimeoutValue = DWORD;  // milliseconds
#else
#include <sys/socket.h>
#include <sys/time.h>
using AddressLength = socklen_t;
using TimeoutValue = timeval;
#endif

namespace zuvelo {
namespace {

using namespace std::chrono_literals;

// Winsock must be up before the first trace line: the trace channel makes its socket once.
const sockets::SocketsStartup sockets_session;

// The port ctest's fixture wrote into the test's working folder.
int TestServerPort() {
  static const int port = [] {
    int read = 0;
    std::ifstream("http_test_server.port") >> read;
    return read;
  }();
  if (port == 0) ADD_FAILURE() << "no http_test_server.port here: run the tests through ctest";
  return port;
}

std::string ServerUrl(std::string_view path, std::string_view host = "127.0.0.1") {
  return "http://" + std::string(host) + ":" + std::to_string(TestServerPort()) + std::string(path);
}

// The bytes /length and /stream send: the pattern cut to `size`.
std::string Pattern(std::size_t size) {
  std::string text;
  while (text.size() < size) text += "abcdefghijklmnopqrstuvwxyz0123456789";
  return text.substr(0, size);
}

// A socket's time-out (SO_RCVTIMEO or SO_SNDTIMEO), read back from the system.
std::chrono::milliseconds Timeout(sockets::NativeSocket s, int option) {
  TimeoutValue value{};
  AddressLength size = sizeof value;
  if (getsockopt(s, SOL_SOCKET, option, reinterpret_cast<char*>(&value), &size) != 0) return {};
#ifdef _WIN32
  return std::chrono::milliseconds(value);
#else
  return std::chrono::milliseconds(value.tv_sec * 1000 + value.tv_usec / 1000);
#endif
}

// Long enough for a slow Wine, short enough that a client reading too far fails quickly.
constexpr auto kShort = 1000ms;

// "{port}" is the test server's port, "{port+65536}" the same port 65536 higher.
std::string Expand(std::string text) {
  for (auto [token, port] : {std::pair<std::string, int>{"{port}", TestServerPort()},
                             {"{port+65536}", TestServerPort() + 65536}}) {
    for (std::size_t at; (at = text.find(token)) != std::string::npos;)
      text.replace(at, token.size(), std::to_string(port));
  }
  return text;
}

struct Fetched {
  HttpResult result = 0;
  std::uint32_t status = 0, length = 0;
  std::string body;
};

Fetched Fetch(const std::string& url, std::chrono::milliseconds timeout = kShort) {
  CHttpClient client(timeout);
  std::vector<std::uint8_t> body;
  const HttpResult result = client.Download(url, body);
  return {result, client.dwHttpStatus(), client.dwContentLength(), {body.begin(), body.end()}};
}

// The echo route answers with the request exactly as it arrived.
TEST(HttpClient, SendsExactlyTheDownloadRequest) {
  const net::PlatformVersion os = net::ReadPlatformVersion();
#ifdef _WIN32
  EXPECT_EQ(os.platform_id, 2);  // VER_PLATFORM_WIN32_NT
  EXPECT_GE(os.major, 5);
#else
  EXPECT_EQ(os.platform_id, 0);
  EXPECT_GT(os.major, 0);
#endif
  const std::string agent = "User-Agent: Mozilla/4.0 (compatible; Q-ORB ZUVELO; OS" +
                            std::to_string(os.platform_id) + "/" + std::to_string(os.major) + "." +
                            std::to_string(os.minor) + "." + std::to_string(os.build) + "; " +
                            std::string(kHomeAddress) + ")\r\n";
  const struct {
    const char *url, *request_line, *host;
  } cases[] = {
      {"http://127.0.0.1:{port}", "GET / HTTP/1.0", "127.0.0.1"},
      {"http://127.0.0.1:{port}/echo/x?y=1", "GET /echo/x?y=1 HTTP/1.0", "127.0.0.1"},
      {"http://localhost:{port}/echo", "GET /echo HTTP/1.0", "localhost"},
      {"http://localhost:{port}?y=1", "GET / HTTP/1.0", "localhost"},
      {"http://127.0.0.1:{port+65536}/echo/wrapped", "GET /echo/wrapped HTTP/1.0", "127.0.0.1"},
      {"ftp://127.0.0.1:{port}/echo/ftp", "GET /echo/ftp HTTP/1.0", "127.0.0.1"},  // any scheme
      // a redirect goes to the location's host and path
      {"http://127.0.0.1:{port}/redirect/1?host=localhost&final=/echo/after",
       "GET /echo/after HTTP/1.0", "localhost"},
  };
  for (const auto& c : cases) {
    const Fetched got = Fetch(Expand(c.url));
    ASSERT_EQ(got.result, kHttpOk) << c.url;
    EXPECT_EQ(got.body, std::string(c.request_line) + "\r\n" + agent +
                            "Accept-Encoding: gzip, deflate\r\nHost: " + c.host +
                            "\r\nZuvelo-Client-Type: download\r\n\r\n")
        << c.url;
  }
}

// Result, status, content length and body of an answer, from the path on the test server.
TEST(HttpClient, GivesResultStatusLengthAndBody) {
  const struct {
    const char* path;
    HttpResult result;
    std::uint32_t status, length;
    std::string body;
  } cases[] = {
      {"/body/arrived", kHttpOk, 200, 7, "arrived"},
      {"/status/404", kHttpNotFound, 404, 0, ""},
      {"/redirect/1?final=/status/404", kHttpNotFound, 404, 0, ""},
      // the second exchange gets the empty location, which has no "://"
      {"/status/500", kHttpInvalidUrl, 500, 0, ""},
      // any status with a location is followed
      {"/status/503?location=http://127.0.0.1:{port}/body/arrived", kHttpOk, 200, 7, "arrived"},
      {"/redirect/9", kHttpOk, 200, 7, "arrived"},  // nine redirects are the most
      {"/redirect/10", kHttpTooManyExchanges, 302, 0, ""},
      {"/redirect/2?code=301", kHttpOk, 200, 7, "arrived"},
      {"/redirect/2?style=lower", kHttpOk, 200, 7, "arrived"},
      {"/redirect/1?style=relative", kHttpInvalidUrl, 302, 0, ""},
      {"/length?size=4&line=HTTP/1.0%20200%20OK", kHttpOk, 200, 4, "abcd"},
      {"/length?size=4&line=HTTP/1.0%20404%20Not%20Found", kHttpNotFound, 404, 4, ""},
      {"/length?size=4&line=HTTP/2%20200%20OK", kHttpInvalidUrl, 0, 4, ""},  // unknown: status 0
      // the header: endless, cut short, and 4095 and 4096 bytes long
      {"/endless-header", kHttpInvalidHeader, 0, 0, ""},
      {"/closed-mid-header", kHttpInvalidHeader, 0, 0, ""},
      {"/header?size=4095", kHttpOk, 200, 2, "ok"},
      {"/header?size=4096", kHttpInvalidHeader, 0, 0, ""},
      // Two bytes announced and five sent, in two pieces 300 ms apart: a length the client
      // knows ends the read after the first piece, any other is read until the server closes.
      {"/length?size=5&announce=2&pieces=2&gap=300", kHttpOk, 200, 2, "ab"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=content-length", kHttpOk, 200, 2, "ab"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=Content-length", kHttpOk, 200, 0, "abcde"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=CONTENT-LENGTH", kHttpOk, 200, 0, "abcde"},
      // the last read keeps bytes past the length; a body over several reads
      {"/length?size=30&announce=10&end=hold", kHttpOk, 200, 10, Pattern(30)},
      {"/length?size=20000&end=hold", kHttpOk, 200, 20000, Pattern(20000)},
      // no length, or 0, is read until the close; a short body ends at the close
      {"/length?size=20000&name=none&pieces=4", kHttpOk, 200, 0, Pattern(20000)},
      {"/length?size=5&announce=0", kHttpOk, 200, 0, "abcde"},
      {"/length?size=5&announce=9", kHttpOk, 200, 9, "abcde"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const Fetched got = Fetch(ServerUrl(Expand(c.path)));
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(got.length, c.length);
    EXPECT_EQ(got.body, c.body);
  }
}

TEST(HttpClient, AddressesWithoutTheSchemeSeparatorFailBeforeAnySocketIsMade) {
  for (const char* url : {"", "127.0.0.1/echo", "http:/127.0.0.1/echo", "http//localhost/echo"}) {
    CHttpClient client;
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(url, body), kHttpInvalidUrl) << url;
    EXPECT_EQ(client.sock(), sockets::kNoSocket) << url;
  }
}

TEST(HttpClient, LookupFailuresGiveTheResolversError) {
  // A name nobody has, and a numeric host whose reverse lookup finds nothing.
  for (const std::string& url :
       {std::string("http://no-such-host.invalid/echo"), ServerUrl("/echo", "127.0.0.2")}) {
    const Fetched got = Fetch(url);
    EXPECT_GE(got.result, sockets::wsa::kHostNotFound) << url;
    EXPECT_LE(got.result, sockets::wsa::kNoData) << url;
  }
}

TEST(HttpClient, RequestLeavesTheLocationAndTheBodyUnread) {
  CHttpClient client(kShort);
  std::string location = "replaced";
  ASSERT_EQ(client.Request(ServerUrl("/redirect/1"), location), kHttpOk);
  EXPECT_EQ(client.dwHttpStatus(), 302u);
  EXPECT_EQ(location, ServerUrl("/body/arrived"));

  ASSERT_EQ(client.Open(ServerUrl("/length?size=10&end=hold")), kHttpOk);
  EXPECT_EQ(client.dwContentLength(), 10u);
  std::string rest;
  char piece[64];
  while (rest.size() < 10) {
    const sockets::Received got = sockets::Receive(client.sock(), piece, sizeof piece);
    ASSERT_GT(got.count, 0) << got.error;
    rest.append(piece, static_cast<std::size_t>(got.count));
  }
  EXPECT_EQ(rest, Pattern(10));
}

TEST(HttpClient, ReachesTheLoopbackServerThroughTheHomeAddressSeam) {
  ScopedHomeAddress loopback(ServerUrl("/echo/"));
  const Fetched got = Fetch(LogDownloadAddress("2015071412gm-0009-0000-0a1b2c3d&tw=0"));
  ASSERT_EQ(got.result, kHttpOk);
  EXPECT_TRUE(got.body.starts_with("GET /echo/0/log/?2015071412gm-0009-0000-0a1b2c3d HTTP/1.0\r\n"))
      << got.body;
}

// Bodies come back as sent: a gzip body is not inflated.
TEST(HttpClient, GzipBodyComesBackCompressed) {
  const Fetched got = Fetch(ServerUrl("/gzip/tiles%20and%20walls"));
  ASSERT_EQ(got.result, kHttpOk);
  EXPECT_EQ(got.body.substr(0, 2), "\x1f\x8b");
  EXPECT_EQ(got.length, got.body.size());
}

TEST(Timeout, IsSetOnTheSocketEachWay) {
  for (const auto timeout : {kHttpDefaultTimeout, 300ms}) {
    CHttpClient client(timeout);
    ASSERT_EQ(client.Open(ServerUrl("/body/arrived")), kHttpOk);
    EXPECT_EQ(Timeout(client.sock(), SO_RCVTIMEO), timeout);
    EXPECT_EQ(Timeout(client.sock(), SO_SNDTIMEO), timeout);
  }
  EXPECT_EQ(kHttpDefaultTimeout, 10000ms);
}

// A body is a log file: no more than the 16 MiB a log's text may have. The limit holds for
// announced and unannounced lengths, and memory never grows far past it.
TEST(BodyLimit, LargestBodyArrivesWholeAndOneByteMoreFails) {
  constexpr std::uint32_t kLogCap = 16u << 20;
  const std::string over = std::to_string(kLogCap + 1);
  const std::pair<std::string, HttpResult> cases[] = {
      {"/stream?size=" + std::to_string(kLogCap), kHttpOk},
      {"/stream?size=" + over, kHttpBodyTooLarge},
      {"/stream?size=" + over + "&announce=" + over, kHttpBodyTooLarge},
  };
  for (const auto& [path, result] : cases) {
    SCOPED_TRACE(path);
    CHttpClient client;
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(ServerUrl(path), body), result);
    EXPECT_LE(body.capacity(), kLogCap + 2 * kHttpReadSize);
    if (result != kHttpOk) continue;
    ASSERT_EQ(body.size(), kLogCap);
    const std::string expected = Pattern(kLogCap);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), expected.begin()));
  }
}

// Silence before the header or the body ends a download at the time-out. A server that keeps
// every receive inside it, or holds back the header, still ends the download at its deadline; the
// cancel check ends it within a wait slice, and is asked before anything is sent. Bytes that came
// before stay in the buffer.
TEST(Deadline, EndsADownloadThatTricklesStallsOrIsCancelled) {
  const struct {
    const char* path;
    std::chrono::milliseconds timeout, deadline, cancel_after;
    HttpResult result;
    std::chrono::milliseconds ends_after;
    bool some_body;
  } cases[] = {
      {"/slow?delay=2000&stage=header", 300ms, 60s, 60s, sockets::wsa::kTimedOut, 300ms, false},
      {"/slow?delay=2000&stage=body", 300ms, 60s, 60s, sockets::wsa::kTimedOut, 300ms, false},
      {"/trickle?every=100", 1000ms, 1500ms, 60s, kHttpDeadlinePassed, 1500ms, true},
      {"/slow?delay=3000&stage=header", 5000ms, 800ms, 60s, kHttpDeadlinePassed, 800ms, false},
      {"/redirect/1?final=/trickle", 1000ms, 1000ms, 60s, kHttpDeadlinePassed, 1000ms, true},
      {"/trickle?every=100", 10000ms, 60s, 500ms, kHttpCancelled, 500ms, true},
      {"/slow?delay=3000&stage=header", 10000ms, 60s, 500ms, kHttpCancelled, 500ms, false},
      {"/body/arrived", 1000ms, 1000ms, 0ms, kHttpCancelled, 0ms, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto start = std::chrono::steady_clock::now();
    const auto waited = [&] { return std::chrono::steady_clock::now() - start; };
    CHttpClient client(c.timeout, c.deadline, [&] { return waited() >= c.cancel_after; });
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(ServerUrl(c.path), body), c.result);
    EXPECT_GE(waited(), c.ends_after - 50ms);
    EXPECT_LT(waited(), c.ends_after + 1000ms);
    EXPECT_EQ(!body.empty(), c.some_body);
  }
}

// The client's trace lines, seen by a real listener that takes this process's lines only: one
// per parsed header, and a failed connect's error.
TEST(TraceLines, OnePerParsedHeaderAndTheErrorOfAFailedConnect) {
  testing::UdpListener listener;
  ASSERT_TRUE(listener.ok()) << "cannot bind a port of 127.0.0.1";
  const ScopedTracePort port(listener.port());
  const std::string marker = "net_tests trace receiver\r\n", z(1, '\0');
  ASSERT_TRUE(listener.AcceptOnlySenderOf(marker + z, [&] { trace("%s", marker.c_str()); }));

  EXPECT_EQ(Fetch(ServerUrl("/redirect/1")).result, kHttpOk);
  EXPECT_EQ(
      listener.Drain(300ms),
      (std::vector<std::string>{"DOWNLOAD dwHttpStatus=302 dwContentLength=0 Location=" +
                                    ServerUrl("/body/arrived") + "\r\n" + z,
                                "DOWNLOAD dwHttpStatus=200 dwContentLength=7 Location=\r\n" + z}));

  EXPECT_EQ(Fetch("http://127.0.0.1:1/").result, sockets::wsa::kConnectionRefused);  // nobody there
  EXPECT_EQ(listener.Drain(300ms), std::vector<std::string>{"connect error=10061\r\n" + z});
}

}  // namespace
}  // namespace zuvelo
