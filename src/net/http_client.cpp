// The download client: URL splitting, the request text, the byte-wise header read and its
// marker search, the redirect loop and the body read.
//
// The header parser matches the service's server and nothing more: fixed, case-sensitive markers
// found anywhere in the header, and 32-bit strtoul semantics for numbers. Servers answering
// "Content-length" (any case but the two known ones) are read until they close.
#include "net/http_client.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>

#include "base/trace.h"
#include "net/platform_version.h"
#include "net/service_address.h"

namespace zuvelo {

namespace {

struct UrlParts {
  std::string host;
  std::uint16_t port = 80;
  std::string path = "/";
};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtoul, base 10, as the 32-bit runtime reads it: leading blanks, an optional sign (a minus
// negates modulo 2^32), digits, 0xFFFFFFFF on overflow. `end` gets the index after the last
// digit, or 0 when there was no digit.
std::uint32_t ReadUnsigned(std::string_view text, std::size_t* end = nullptr) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t first_digit = i;
  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;
    }
  }
  if (end != nullptr) *end = i == first_digit ? 0 : i;
  if (overflow) return 0xFFFFFFFFu;
  const auto low = static_cast<std::uint32_t>(value);
  return negative ? 0u - low : low;
}

// Whatever comes before "://" is taken for http. The host runs to the first '/' or ':'; a path
// counts only if it begins with '/' right after the host or the port.
std::optional<UrlParts> SplitUrl(std::string_view url) {
  const std::size_t scheme_end = url.find("://");
  if (scheme_end == std::string_view::npos) return std::nullopt;
  UrlParts parts;
  std::string_view rest = url.substr(scheme_end + 3);
  parts.host = rest.substr(0, rest.find_first_of("/:"));
  rest.remove_prefix(parts.host.size());
  if (!rest.empty() && rest.front() == ':') {
    std::size_t port_end = 0;
    parts.port = static_cast<std::uint16_t>(ReadUnsigned(rest.substr(1), &port_end));
    rest.remove_prefix(1 + port_end);
  }
  if (!rest.empty() && rest.front() == '/') parts.path = rest;
  return parts;
}

// The text between `marker` (searched from the header's start) and the next "\r\n".
std::string_view ValueAfter(std::string_view header, std::string_view marker) {
  const std::size_t at = header.find(marker);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + marker.size();
  return header.substr(start, header.find("\r\n", start) - start);
}

std::string RequestText(std::string_view path, std::string_view host) {
  const net::PlatformVersion os = net::ReadPlatformVersion();
  char os_text[64];
  std::snprintf(os_text, sizeof os_text, " OS%d/%d.%d.%d;", static_cast<int>(os.platform_id),
                static_cast<int>(os.major), static_cast<int>(os.minor), static_cast<int>(os.build));
  std::string text;
  text.append("GET ").append(path).append(" HTTP/1.0\r\n");
  text.append("User-Agent: Mozilla/4.0 (compatible; Q-ORB ZUVELO;").append(os_text);
  text.append(" ").append(kHomeAddress).append(")\r\n");
  text.append("Accept-Encoding: gzip, deflate\r\n");
  text.append("Host: ").append(host).append("\r\n");
  text.append("Zuvelo-Client-Type: download\r\n");
  text.append("\r\n");
  return text;
}

// Grows by doubling, but never past what the body may still take: a body near the limit must
// not cost an allocation twice its size.
void MakeRoom(std::vector<std::uint8_t>& body, std::size_t most) {
  const std::size_t needed = body.size() + kHttpReadSize;
  if (needed <= body.capacity()) return;
  body.reserve(std::max(needed, std::min(body.capacity() * 2, most)));
}

}  // namespace

CHttpClient::CHttpClient(std::chrono::milliseconds timeout, std::chrono::milliseconds deadline,
                         HttpCancelCheck cancelled)
    : timeout_(timeout),
      deadline_(deadline),
      cancelled_(std::move(cancelled)),
      deadline_at_(Clock::now() + deadline) {}

CHttpClient::~CHttpClient() = default;

HttpResult CHttpClient::Download(std::string_view url, std::vector<std::uint8_t>& body) {
  if (HttpResult result = Open(url)) return result;
  return ReadBody(body);
}

HttpResult CHttpClient::Open(std::string_view url) {
  deadline_at_ = Clock::now() + deadline_;
  // Each exchange writes the location it was sent into the text the next one requests.
  std::string working(url);
  for (int exchange = 0; exchange < kHttpMaxExchanges; ++exchange) {
    if (HttpResult result = Request(working, working)) return result;
    if (dwHttpStatus_ == 200) return kHttpOk;
    if (dwHttpStatus_ == 404) return kHttpNotFound;
  }
  return kHttpTooManyExchanges;
}

HttpResult CHttpClient::Request(const std::string& url, std::string& location) {
  sock_.reset();
  // A copy: `location` may be `url` itself, and is rewritten at the end.
  const std::optional<UrlParts> target = SplitUrl(url);
  if (!target) return kHttpInvalidUrl;
  if (Cancelled()) return kHttpCancelled;
  if (HttpResult result = Connect(target->host, target->port)) return result;
  sockets::SendOnce(sock_.get(), RequestText(target->path, target->host));
  std::string header;
  if (HttpResult result = ReadHeader(header)) return result;
  ParseHeader(header, location);
  return kHttpOk;
}

HttpResult CHttpClient::Connect(const std::string& host, std::uint16_t port) {
  if (sockets::SocketError error = sockets::OpenTcpSocket(sock_)) return error;
  sockets::SetTimeouts(sock_.get(), timeout_);
  std::uint32_t address = 0;
  const bool by_name = std::isalpha(static_cast<unsigned char>(host.c_str()[0]));
  const sockets::SocketError lookup = by_name ? sockets::ResolveHostName(host, address)
                                              : sockets::ResolveNumericHost(host, address);
  if (lookup != 0) return lookup;
  sockets::SocketError error = sockets::StartConnect(sock_.get(), address, port);
  if (error == sockets::wsa::kWouldBlock) {
    // No time-out of its own: the deadline and the cancel check bound it.
    if (HttpResult waited = Await(sockets::Await::kWrite, deadline_at_)) return waited;
    error = sockets::FinishConnect(sock_.get());
  }
  if (error != 0) {
    trace("connect error=%d\r\n", static_cast<int>(error));
    return error;
  }
  return kHttpOk;
}

HttpResult CHttpClient::Await(sockets::Await what, Clock::time_point give_up) {
  for (;;) {
    if (Cancelled()) return kHttpCancelled;
    const Clock::time_point now = Clock::now();
    if (now >= deadline_at_) return kHttpDeadlinePassed;
    if (now >= give_up) return sockets::wsa::kTimedOut;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(std::min(deadline_at_, give_up) - now);
    const sockets::Readiness ready =
        sockets::WaitReady(sock_.get(), what, std::min(left, kHttpWaitSlice));
    if (ready.error != 0) return ready.error;
    if (ready.ready) return kHttpOk;
  }
}

HttpResult CHttpClient::Receive(void* into, int size, int& count) {
  count = 0;
  if (HttpResult waited = Await(sockets::Await::kRead, Clock::now() + timeout_)) return waited;
  const sockets::Received got = sockets::Receive(sock_.get(), into, size);
  count = got.count;
  return got.error;
}

// One byte per receive, so that not a byte of the body is taken with the header.
HttpResult CHttpClient::ReadHeader(std::string& header) {
  for (;;) {
    char byte = 0;
    int count = 0;
    if (HttpResult result = Receive(&byte, 1, count)) return result;
    if (count == 0) return kHttpInvalidHeader;
    header.push_back(byte);
    if (header.size() == kHttpHeaderLimit) return kHttpInvalidHeader;
    if (header.size() >= 4 && header.ends_with("\r\n\r\n")) return kHttpOk;
  }
}

void CHttpClient::ParseHeader(const std::string& header, std::string& location) {
  dwHttpStatus_ = ReadUnsigned(ValueAfter(header, "HTTP/1.1 "));
  if (dwHttpStatus_ == 0) dwHttpStatus_ = ReadUnsigned(ValueAfter(header, "HTTP/1.0 "));
  dwContentLength_ = ReadUnsigned(ValueAfter(header, "Content-Length: "));
  if (dwContentLength_ == 0)
    dwContentLength_ = ReadUnsigned(ValueAfter(header, "content-length: "));
  location = ValueAfter(header, "Location: ");
  if (location.empty()) location = ValueAfter(header, "location: ");
  trace("DOWNLOAD dwHttpStatus=%d dwContentLength=%d Location=%s\r\n",
        static_cast<int>(dwHttpStatus_), static_cast<int>(dwContentLength_), location.c_str());
}

HttpResult CHttpClient::ReadBody(std::vector<std::uint8_t>& body) {
  if (dwContentLength_ > kHttpMaxBody) return kHttpBodyTooLarge;
  const std::size_t start = body.size();
  const std::size_t most = start + (dwContentLength_ != 0 ? dwContentLength_ : kHttpMaxBody) +
                           static_cast<std::size_t>(kHttpReadSize);
  for (;;) {
    if (dwContentLength_ != 0 && body.size() >= dwContentLength_) return kHttpOk;
    MakeRoom(body, most);
    const std::size_t held = body.size();
    body.resize(held + kHttpReadSize);
    int count = 0;
    const HttpResult result = Receive(body.data() + held, kHttpReadSize, count);
    body.resize(held + static_cast<std::size_t>(count));
    if (result != kHttpOk) return result;
    if (count == 0) return kHttpOk;
    if (dwContentLength_ == 0 && body.size() - start > kHttpMaxBody) return kHttpBodyTooLarge;
  }
}

}  // namespace zuvelo
