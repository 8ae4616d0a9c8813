// CHttpClient against the real loopback server of http_test_server.py: request bytes, results,
// redirects, header limits, content lengths, time-outs, the deadline and cancelling, trace lines
// and the body limit.
#include "net/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/trace.h"
#include "net/platform_version.h"
#include "net/service_address.h"
#include "net_test_support.h"
#include "support/udp_listener.h"

namespace zuvelo {
namespace {

using namespace std::chrono_literals;
using testing::Pattern;
using testing::ServerUrl;
using testing::TestServerPort;

// Long enough for a slow Wine, short enough that a client reading too far fails quickly.
constexpr auto kShort = 1000ms;

// "{port}" is the test server's port, "{port+65536}" the same port 65536 higher.
std::string Expand(std::string text) {
  const std::string port = std::to_string(TestServerPort());
  for (auto [token, value] : {std::pair<std::string, std::string>{"{port}", port},
                              {"{port+65536}", std::to_string(TestServerPort() + 65536)}}) {
    for (std::size_t at; (at = text.find(token)) != std::string::npos;) {
      text.replace(at, token.size(), value);
    }
  }
  return text;
}

struct Fetched {
  HttpResult result = 0;
  std::uint32_t status = 0;
  std::uint32_t length = 0;
  std::string body;
};

Fetched Fetch(const std::string& url, std::chrono::milliseconds timeout = kShort) {
  CHttpClient client(timeout);
  std::vector<std::uint8_t> body;
  Fetched got;
  got.result = client.Download(url, body);
  got.status = client.dwHttpStatus();
  got.length = client.dwContentLength();
  got.body = testing::Text(body);
  return got;
}

std::string UserAgentLine() {
  const net::PlatformVersion os = net::ReadPlatformVersion();
  return "User-Agent: Mozilla/4.0 (compatible; Q-ORB ZUVELO; OS" + std::to_string(os.platform_id) +
         "/" + std::to_string(os.major) + "." + std::to_string(os.minor) + "." +
         std::to_string(os.build) + "; " + std::string(kHomeAddress) + ")\r\n";
}

// The echo route answers with the request exactly as it arrived.
struct RequestCase {
  const char* name;
  const char* url;
  const char* request_line;
  const char* host;
  friend void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.url; }
};

class RequestBytes : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestBytes, AreExactlyTheDownloadRequest) {
  const RequestCase& c = GetParam();
  const Fetched got = Fetch(Expand(c.url));
  ASSERT_EQ(got.result, kHttpOk) << got.result;
  EXPECT_EQ(got.body, std::string(c.request_line) + "\r\n" + UserAgentLine() +
                          "Accept-Encoding: gzip, deflate\r\n" + "Host: " + c.host + "\r\n" +
                          "Zuvelo-Client-Type: download\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Urls, RequestBytes,
    ::testing::Values(
        RequestCase{"NoPathAsksForRoot", "http://127.0.0.1:{port}", "GET / HTTP/1.0", "127.0.0.1"},
        RequestCase{"PathAndQuery", "http://127.0.0.1:{port}/echo/x?y=1",
                    "GET /echo/x?y=1 HTTP/1.0", "127.0.0.1"},
        RequestCase{"HostByName", "http://localhost:{port}/echo", "GET /echo HTTP/1.0",
                    "localhost"},
        RequestCase{"QueryWithoutPathAsksForRoot", "http://localhost:{port}?y=1", "GET / HTTP/1.0",
                    "localhost"},
        RequestCase{"PortKeepsItsLow16Bits", "http://127.0.0.1:{port+65536}/echo/wrapped",
                    "GET /echo/wrapped HTTP/1.0", "127.0.0.1"},
        RequestCase{"AnySchemeIsSpokenAsHttp", "ftp://127.0.0.1:{port}/echo/ftp",
                    "GET /echo/ftp HTTP/1.0", "127.0.0.1"},
        RequestCase{"RedirectGoesToTheLocationsHostAndPath",
                    "http://127.0.0.1:{port}/redirect/1?host=localhost&final=/echo/after",
                    "GET /echo/after HTTP/1.0", "localhost"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserAgent, NamesTheSystemVersion) {
  const net::PlatformVersion os = net::ReadPlatformVersion();
#ifdef _WIN32
  EXPECT_EQ(os.platform_id, 2);  // VER_PLATFORM_WIN32_NT
  EXPECT_GE(os.major, 5);
#else
  EXPECT_EQ(os.platform_id, 0);
  EXPECT_GT(os.major, 0);
#endif
}

struct ExchangeCase {
  const char* name;
  const char* path;
  HttpResult result;
  std::uint32_t status;
  std::uint32_t length;
  std::string body;
  friend void PrintTo(const ExchangeCase& c, std::ostream* out) { *out << c.path; }
};

class Exchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(Exchange, GivesResultStatusLengthAndBody) {
  const ExchangeCase& c = GetParam();
  const Fetched got = Fetch(ServerUrl(Expand(c.path)));
  EXPECT_EQ(got.result, c.result);
  EXPECT_EQ(got.status, c.status);
  EXPECT_EQ(got.length, c.length);
  EXPECT_EQ(got.body, c.body);
}

INSTANTIATE_TEST_SUITE_P(
    StatusAndRedirects, Exchange,
    ::testing::Values(
        ExchangeCase{"Ok", "/body/arrived", kHttpOk, 200, 7, "arrived"},
        ExchangeCase{"NotFound", "/status/404", kHttpNotFound, 404, 0, ""},
        ExchangeCase{"NotFoundAfterARedirect", "/redirect/1?final=/status/404", kHttpNotFound, 404,
                     0, ""},
        // The second exchange gets the empty location, which has no "://".
        ExchangeCase{"ServerErrorWithoutLocation", "/status/500", kHttpInvalidUrl, 500, 0, ""},
        ExchangeCase{"AnyStatusWithALocationIsFollowed",
                     "/status/503?location=http://127.0.0.1:{port}/body/arrived", kHttpOk, 200, 7,
                     "arrived"},
        ExchangeCase{"RedirectChain", "/redirect/3", kHttpOk, 200, 7, "arrived"},
        ExchangeCase{"NineRedirectsAreTheMost", "/redirect/9", kHttpOk, 200, 7, "arrived"},
        ExchangeCase{"TenRedirectsGiveUpUnread", "/redirect/10", kHttpTooManyExchanges, 302, 0, ""},
        ExchangeCase{"MovedPermanently", "/redirect/2?code=301", kHttpOk, 200, 7, "arrived"},
        ExchangeCase{"LowerCaseLocation", "/redirect/2?style=lower", kHttpOk, 200, 7, "arrived"},
        ExchangeCase{"RelativeLocationIsRefused", "/redirect/1?style=relative", kHttpInvalidUrl,
                     302, 0, ""},
        ExchangeCase{"Http10StatusLine", "/length?size=4&line=HTTP/1.0%20200%20OK", kHttpOk, 200, 4,
                     "abcd"},
        ExchangeCase{"Http10NotFound", "/length?size=4&line=HTTP/1.0%20404%20Not%20Found",
                     kHttpNotFound, 404, 4, ""},
        ExchangeCase{"UnknownStatusLineIsStatusZero", "/length?size=4&line=HTTP/2%20200%20OK",
                     kHttpInvalidUrl, 0, 4, ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Header, Exchange,
    ::testing::Values(
        ExchangeCase{"Endless", "/endless-header", kHttpInvalidHeader, 0, 0, ""},
        ExchangeCase{"ClosedInTheMiddle", "/closed-mid-header", kHttpInvalidHeader, 0, 0, ""},
        ExchangeCase{"LargestAllowed", "/header?size=4095", kHttpOk, 200, 2, "ok"},
        ExchangeCase{"OneByteTooLarge", "/header?size=4096", kHttpInvalidHeader, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Two bytes are announced and five sent, in two pieces 300 ms apart: a length the client knows
// ends the read after the first piece, any other is read until the server closes.
INSTANTIATE_TEST_SUITE_P(
    ContentLength, Exchange,
    ::testing::Values(
        ExchangeCase{"EndsTheRead", "/length?size=5&announce=2&pieces=2&gap=300", kHttpOk, 200, 2,
                     "ab"},
        ExchangeCase{"LowerCase", "/length?size=5&announce=2&pieces=2&gap=300&name=content-length",
                     kHttpOk, 200, 2, "ab"},
        ExchangeCase{"OddCaseIsNotKnown",
                     "/length?size=5&announce=2&pieces=2&gap=300&name=Content-length", kHttpOk, 200,
                     0, "abcde"},
        ExchangeCase{"UpperCaseIsNotKnown",
                     "/length?size=5&announce=2&pieces=2&gap=300&name=CONTENT-LENGTH", kHttpOk, 200,
                     0, "abcde"},
        ExchangeCase{"LastReadKeepsBytesPastIt", "/length?size=30&announce=10&end=hold", kHttpOk,
                     200, 10, Pattern(30)},
        ExchangeCase{"BodyOverSeveralReads", "/length?size=20000&end=hold", kHttpOk, 200, 20000,
                     Pattern(20000)},
        ExchangeCase{"AbsentReadsUntilClose", "/length?size=20000&name=none&pieces=4", kHttpOk, 200,
                     0, Pattern(20000)},
        ExchangeCase{"ZeroReadsUntilClose", "/length?size=5&announce=0", kHttpOk, 200, 0, "abcde"},
        ExchangeCase{"ShortBodyEndsAtClose", "/length?size=5&announce=9", kHttpOk, 200, 9,
                     "abcde"}),
    [](const auto& info) { return std::string(info.param.name); });

class InvalidUrl : public ::testing::TestWithParam<const char*> {};

TEST_P(InvalidUrl, FailsBeforeAnySocketIsMade) {
  CHttpClient client;
  std::vector<std::uint8_t> body;
  EXPECT_EQ(client.Download(GetParam(), body), kHttpInvalidUrl);
  EXPECT_EQ(client.sock(), sockets::kNoSocket);
  EXPECT_EQ(client.dwHttpStatus(), 0u);
}

INSTANTIATE_TEST_SUITE_P(NoSchemeSeparator, InvalidUrl,
                         ::testing::Values("", "127.0.0.1/echo", "http:/127.0.0.1/echo",
                                           "http//localhost/echo"));

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

TEST(HttpClient, GzipBodyComesBackCompressed) {
  const Fetched got = Fetch(ServerUrl("/gzip/tiles%20and%20walls"));
  ASSERT_EQ(got.result, kHttpOk);
  ASSERT_GE(got.body.size(), 10u);
  EXPECT_EQ(got.body.substr(0, 2), "\x1f\x8b");
  EXPECT_EQ(got.length, got.body.size());
  const std::vector<std::uint8_t> bytes(got.body.begin(), got.body.end());
  EXPECT_EQ(testing::Gunzip(bytes), "tiles and walls");
}

TEST(Timeout, DefaultIsTenSecondsEachWay) {
  CHttpClient client;
  ASSERT_EQ(client.Open(ServerUrl("/body/arrived")), kHttpOk);
  EXPECT_EQ(testing::ReceiveTimeout(client.sock()), kHttpDefaultTimeout);
  EXPECT_EQ(testing::SendTimeout(client.sock()), kHttpDefaultTimeout);
  EXPECT_EQ(kHttpDefaultTimeout, 10000ms);
}

TEST(Timeout, SilenceBeforeHeaderOrBodyEndsTheDownload) {
  for (const char* path : {"/slow?delay=2000&stage=header", "/slow?delay=2000&stage=body"}) {
    CHttpClient client(300ms);
    std::vector<std::uint8_t> body;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Download(ServerUrl(path), body), sockets::wsa::kTimedOut) << path;
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(testing::ReceiveTimeout(client.sock()), 300ms);
    EXPECT_GE(waited, 250ms) << path;
    EXPECT_LT(waited, 1500ms) << path;
    EXPECT_TRUE(body.empty());
  }
}

// A body is a log file: no more than the 16 MiB a log's text may have. The limit holds for
// announced and unannounced lengths, and memory never grows far past it.
constexpr std::uint32_t kLogCap = 16u << 20;

TEST(BodyLimit, LargestBodyArrivesWhole) {
  const std::string path = "/stream?size=" + std::to_string(kLogCap);
  CHttpClient client;
  std::vector<std::uint8_t> body;
  ASSERT_EQ(client.Download(ServerUrl(path), body), kHttpOk);
  ASSERT_EQ(body.size(), kLogCap);
  const std::string expected = Pattern(kLogCap);
  EXPECT_TRUE(std::equal(body.begin(), body.end(), expected.begin()));
  EXPECT_LE(body.capacity(), kLogCap + 2 * kHttpReadSize);
}

TEST(BodyLimit, OneByteMoreFails) {
  const std::string size = std::to_string(kLogCap + 1);
  for (const std::string& path :
       {"/stream?size=" + size, "/stream?size=" + size + "&announce=" + size}) {
    CHttpClient client;
    std::vector<std::uint8_t> body;
    EXPECT_EQ(client.Download(ServerUrl(path), body), kHttpBodyTooLarge) << path;
    EXPECT_LE(body.capacity(), kLogCap + 2 * kHttpReadSize) << path;
  }
}

// A server that keeps every receive inside its time-out, or holds back the header, still ends
// the download at its deadline; bytes that came before stay in the buffer.
TEST(Deadline, EndsADownloadThatTricklesOrStalls) {
  const struct {
    const char* path;
    std::chrono::milliseconds timeout, deadline;
    bool some_body;
  } cases[] = {
      {"/trickle?every=100", 1000ms, 1500ms, true},
      {"/slow?delay=3000&stage=header", 5000ms, 800ms, false},
      {"/redirect/1?final=/trickle", 1000ms, 1000ms, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    CHttpClient client(c.timeout, c.deadline);
    std::vector<std::uint8_t> body;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Download(ServerUrl(c.path), body), kHttpDeadlinePassed);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, c.deadline - 50ms);
    EXPECT_LT(waited, c.deadline + 1000ms);
    EXPECT_EQ(!body.empty(), c.some_body);
  }
}

// The cancel check is asked at least once a wait slice, waiting for the header or for the body,
// and before anything is sent.
TEST(Cancel, InterruptsADownloadWithinAWaitSlice) {
  for (const char* path : {"/trickle?every=100", "/slow?delay=3000&stage=header"}) {
    SCOPED_TRACE(path);
    std::atomic<bool> cancelled{false};
    CHttpClient client(10000ms, 60000ms, [&] { return cancelled.load(); });
    std::thread canceller([&] {
      std::this_thread::sleep_for(500ms);
      cancelled = true;
    });
    std::vector<std::uint8_t> body;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Download(ServerUrl(path), body), kHttpCancelled);
    const auto waited = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_GE(waited, 450ms);
    EXPECT_LT(waited, 500ms + 2 * kHttpWaitSlice + 500ms);
  }
  CHttpClient stopped(kShort, kShort, [] { return true; });
  std::vector<std::uint8_t> body;
  EXPECT_EQ(stopped.Download(ServerUrl("/body/arrived"), body), kHttpCancelled);
  EXPECT_TRUE(body.empty());
}

// The client's trace lines, seen by a real listener on a port of its own that takes this
// process's lines only.
class TraceLines : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(listener_.ok()) << "cannot bind a port of 127.0.0.1";
    port_.emplace(listener_.port());
    const std::string marker = "net_tests trace receiver\r\n";
    ASSERT_TRUE(listener_.AcceptOnlySenderOf(marker + '\0', [&] { trace("%s", marker.c_str()); }));
  }

  std::vector<std::string> Lines() { return listener_.Drain(300ms); }

  testing::UdpListener listener_;
  std::optional<ScopedTracePort> port_;
};

TEST_F(TraceLines, OnePerParsedHeader) {
  EXPECT_EQ(Fetch(ServerUrl("/redirect/1")).result, kHttpOk);
  const std::string z(1, '\0');
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "DOWNLOAD dwHttpStatus=302 dwContentLength=0 Location=" +
                             ServerUrl("/body/arrived") + "\r\n" + z,
                         "DOWNLOAD dwHttpStatus=200 dwContentLength=7 Location=\r\n" + z}));
}

TEST_F(TraceLines, FailedConnectNamesItsError) {
  const std::string url = "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/";
  EXPECT_EQ(Fetch(url).result, sockets::wsa::kConnectionRefused);
  EXPECT_EQ(Lines(), std::vector<std::string>{std::string("connect error=10061\r\n", 22)});
}

}  // namespace
}  // namespace zuvelo
