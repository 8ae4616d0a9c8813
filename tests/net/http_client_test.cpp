// CHttpClient against the real loopback server of http_test_server.py.
#include "net/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/socket.h"
#include "base/trace.h"
#include "net/platform_version.h"
#include "net/service_address.h"
#include "support/udp_listener.h"

#ifdef _WIN32
#include <ws2tcpip.h>
using TimeoutValue = DWORD;                    // milliseconds
constexpr int kPlatformId = 2, kMinMajor = 5;  // VER_PLATFORM_WIN32_NT
long Milliseconds(DWORD value) { return static_cast<long>(value); }
#else
#include <sys/socket.h>
#include <sys/time.h>
using TimeoutValue = timeval;
constexpr int kPlatformId = 0, kMinMajor = 1;
long Milliseconds(timeval value) { return value.tv_sec * 1000 + value.tv_usec / 1000; }
#endif

namespace zuvelo {
namespace {

using namespace std::chrono_literals;

// Winsock must be up before the first trace line: the trace channel makes its socket once.
const sockets::SocketsStartup sockets_session;

int TestServerPort() {
  static int port = 0;
  if (port == 0 && !(std::ifstream("http_test_server.port") >> port))
    ADD_FAILURE() << "no http_test_server.port here: run the tests through ctest";
  return port;
}

std::string Pattern(std::size_t size) {
  std::string text;
  while (text.size() < size) text += "abcdefghijklmnopqrstuvwxyz0123456789";
  return text.substr(0, size);
}

// Long enough for a slow Wine, short enough that a client reading too far fails quickly.
constexpr auto kShort = 1000ms;

std::string Expand(std::string text) {
  for (const std::string token : {"{port}", "{port+65536}"})
    for (std::size_t at; (at = text.find(token)) != std::string::npos;)
      text.replace(at, token.size(), std::to_string(TestServerPort() + (token[5] == '+') * 65536));
  return text;
}

std::string ServerUrl(const std::string& path) { return Expand("http://127.0.0.1:{port}" + path); }

// clang-format off
struct Fetched { HttpResult result; std::uint32_t status, length; std::string body; };
// clang-format on

Fetched Fetch(const std::string& url, std::chrono::milliseconds timeout = kShort) {
  CHttpClient client(timeout);
  std::vector<std::uint8_t> body;
  const HttpResult result = client.Download(url, body);
  return {result, client.dwHttpStatus(), client.dwContentLength(), {body.begin(), body.end()}};
}

TEST(HttpClient, SendsExactlyTheDownloadRequest) {
  const net::PlatformVersion os = net::ReadPlatformVersion();
  EXPECT_TRUE(os.platform_id == kPlatformId && os.major >= kMinMajor) << os.platform_id;
  const std::string agent = "\r\nUser-Agent: Mozilla/4.0 (compatible; Q-ORB ZUVELO; OS" +
                            std::to_string(os.platform_id) + "/" + std::to_string(os.major) + "." +
                            std::to_string(os.minor) + "." + std::to_string(os.build) + "; " +
                            std::string(kHomeAddress) +
                            ")\r\nAccept-Encoding: gzip, deflate\r\nHost: ";
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"http://127.0.0.1:{port}", "GET / HTTP/1.0", "127.0.0.1"},
      {"http://127.0.0.1:{port}/echo/x?y=1", "GET /echo/x?y=1 HTTP/1.0", "127.0.0.1"},
      {"http://localhost:{port}/echo", "GET /echo HTTP/1.0", "localhost"},
      {"http://localhost:{port}?y=1", "GET / HTTP/1.0", "localhost"},
      {"http://127.0.0.1:{port+65536}/echo/wrapped", "GET /echo/wrapped HTTP/1.0", "127.0.0.1"},
      {"ftp://127.0.0.1:{port}/echo/ftp", "GET /echo/ftp HTTP/1.0", "127.0.0.1"},
      {"http://127.0.0.1:{port}/redirect/1?host=localhost&final=/echo/after",
       "GET /echo/after HTTP/1.0", "localhost"}};
  for (const auto& [url, request_line, host] : cases)
    EXPECT_EQ(Fetch(Expand(url)).body,
              request_line + agent + host + "\r\nZuvelo-Client-Type: download\r\n\r\n")
        << url;
}

// A status 500 is followed to its empty location, which has no "://"; gzip stays compressed.
// Only the spellings the client knows end the read at the length, before the second piece.
TEST(HttpClient, GivesResultStatusLengthAndBody) {
  // clang-format off
  const struct {
    const char* path; HttpResult result; std::uint32_t status, length; std::string body;
  } cases[] = {
      {"/status/500", kHttpInvalidUrl, 500, 0, ""}, {"/header?size=4095", kHttpOk, 200, 2, "ok"},
      {"/redirect/9", kHttpOk, 200, 7, "arrived"},
      {"/status/503?location=http://127.0.0.1:{port}/body/arrived", kHttpOk, 200, 7, "arrived"},
      {"/redirect/10", kHttpTooManyExchanges, 302, 0, ""},
      {"/redirect/2?style=lower", kHttpOk, 200, 7, "arrived"},
      {"/redirect/1?style=relative", kHttpInvalidUrl, 302, 0, ""},
      {"/length?size=4&line=HTTP/1.0%20200%20OK", kHttpOk, 200, 4, "abcd"},
      {"/length?size=4&line=HTTP/1.0%20404%20Not%20Found", kHttpNotFound, 404, 4, ""},
      {"/length?size=4&line=HTTP/2%20200%20OK", kHttpInvalidUrl, 0, 4, ""},
      {"/endless-header", kHttpInvalidHeader, 0, 0, ""},
      {"/closed-mid-header", kHttpInvalidHeader, 0, 0, ""},
      {"/header?size=4096", kHttpInvalidHeader, 0, 0, ""},
      {"/length?size=5&announce=2&pieces=2&gap=300", kHttpOk, 200, 2, "ab"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=content-length", kHttpOk, 200, 2, "ab"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=Content-length", kHttpOk, 200, 0, "abcde"},
      {"/length?size=5&announce=2&pieces=2&gap=300&name=CONTENT-LENGTH", kHttpOk, 200, 0, "abcde"},
      {"/length?size=30&announce=10&end=hold", kHttpOk, 200, 10, Pattern(30)},
      {"/length?size=20000&end=hold", kHttpOk, 200, 20000, Pattern(20000)},
      {"/length?size=20000&name=none&pieces=4", kHttpOk, 200, 0, Pattern(20000)},
      {"/length?size=5&announce=0", kHttpOk, 200, 0, "abcde"},
      {"/length?size=5&announce=9", kHttpOk, 200, 9, "abcde"}};
  // clang-format on
  for (const auto& c : cases) {
    const Fetched got = Fetch(ServerUrl(c.path));
    EXPECT_EQ(std::tie(got.result, got.status, got.length, got.body),
              std::tie(c.result, c.status, c.length, c.body))
        << c.path;
  }
  EXPECT_EQ(Fetch(ServerUrl("/gzip/tiles%20and%20walls")).body.substr(0, 2), "\x1f\x8b");
}

TEST(HttpClient, BadAddressesFailBeforeAnyExchange) {
  for (const char* url : {"", "127.0.0.1/echo", "http:/127.0.0.1/echo", "http//localhost/echo"}) {
    CHttpClient client;
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(url, body), kHttpInvalidUrl) << url;
    EXPECT_EQ(client.sock(), sockets::kNoSocket) << url;
  }
  for (const char* url : {"http://no-such-host.invalid/echo", "http://127.0.0.2:{port}/echo"}) {
    const HttpResult result = Fetch(Expand(url)).result;
    EXPECT_TRUE(result >= sockets::wsa::kHostNotFound && result <= sockets::wsa::kNoData)
        << url << ": " << result;
  }
}

TEST(HttpClient, RequestAndOpenStopAfterTheHeaderWithTheTimeoutsSet) {
  CHttpClient client(kShort);
  std::string location = "replaced";
  ASSERT_EQ(client.Request(ServerUrl("/redirect/1"), location), kHttpOk);
  EXPECT_EQ(client.dwHttpStatus(), 302u);
  EXPECT_EQ(location, ServerUrl("/body/arrived"));

  ASSERT_EQ(client.Open(ServerUrl("/length?size=10&end=hold")), kHttpOk);
  for (int option : {SO_RCVTIMEO, SO_SNDTIMEO}) {
    TimeoutValue v{};
    socklen_t n = sizeof v;
    ASSERT_EQ(getsockopt(client.sock(), SOL_SOCKET, option, reinterpret_cast<char*>(&v), &n), 0);
    EXPECT_EQ(Milliseconds(v), kShort.count());
  }
  EXPECT_EQ(kHttpDefaultTimeout, 10000ms);
  EXPECT_EQ(client.dwContentLength(), 10u);
  char rest[10];
  const sockets::Received got = sockets::Receive(client.sock(), rest, 10);
  ASSERT_GT(got.count, 0) << got.error;
  EXPECT_EQ(std::string(rest, got.count), Pattern(got.count));
}

// A body is a log file: no more than the 16 MiB a log's text may have.
TEST(BodyLimit, LargestBodyArrivesWholeAndOneByteMoreFails) {
  constexpr std::uint32_t kLogCap = 16u << 20;
  const std::string over = std::to_string(kLogCap + 1);
  const std::pair<std::string, HttpResult> cases[] = {
      {"/stream?size=" + std::to_string(kLogCap), kHttpOk},
      {"/stream?size=" + over, kHttpBodyTooLarge},
      {"/stream?size=" + over + "&announce=" + over, kHttpBodyTooLarge}};
  for (const auto& [path, result] : cases) {
    SCOPED_TRACE(path);
    CHttpClient client;
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(ServerUrl(path), body), result);
    EXPECT_LE(body.capacity(), kLogCap + 2 * kHttpReadSize);
    if (result != kHttpOk) continue;
    EXPECT_TRUE(std::string(body.begin(), body.end()) == Pattern(kLogCap));
  }
}

// The cancel check is asked before anything is sent; bytes that came before stay in the buffer.
TEST(Deadline, EndsADownloadThatTricklesStallsOrIsCancelled) {
  using std::chrono::milliseconds;
  // clang-format off
  const struct { const char* path; milliseconds timeout, deadline, cancel_after; HttpResult result;
                 milliseconds ends_after; bool some_body; } cases[] = {
      {"/slow?delay=2000&stage=header", 300ms, 60s, 60s, sockets::wsa::kTimedOut, 300ms, false},
      {"/slow?delay=2000&stage=body", 300ms, 60s, 60s, sockets::wsa::kTimedOut, 300ms, false},
      {"/trickle?every=100", 1000ms, 1500ms, 60s, kHttpDeadlinePassed, 1500ms, true},
      {"/slow?delay=3000&stage=header", 5000ms, 800ms, 60s, kHttpDeadlinePassed, 800ms, false},
      {"/redirect/1?final=/trickle", 1000ms, 1000ms, 60s, kHttpDeadlinePassed, 1000ms, true},
      {"/trickle?every=100", 10000ms, 60s, 500ms, kHttpCancelled, 500ms, true},
      {"/slow?delay=3000&stage=header", 10000ms, 60s, 500ms, kHttpCancelled, 500ms, false},
      {"/body/arrived", 1000ms, 1000ms, 0ms, kHttpCancelled, 0ms, false}};
  // clang-format on
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
