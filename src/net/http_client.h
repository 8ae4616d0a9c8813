// CHttpClient: the blocking HTTP/1.0 GET client that fetches missing game logs. One object per
// download; plain HTTP only, no proxy, no keep-alive. Bodies come back exactly as sent (gzip
// stays compressed).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/socket.h"

namespace zuvelo {

// 0 on success. Anything else is a failure: one of the values below or a Winsock error number
// (net::wsa; a time-out is net::wsa::kTimedOut, 10060) from name lookup, connect or receive.
using HttpResult = std::uint32_t;
inline constexpr HttpResult kHttpOk = 0;
inline constexpr HttpResult kHttpNotFound = 2;             // status 404
inline constexpr HttpResult kHttpTooManyExchanges = 12;    // 10 exchanges without 200 or 404
inline constexpr HttpResult kHttpInvalidUrl = 0x80070057;  // E_INVALIDARG: no "://"
// RPC_E_INVALID_HEADER: closed before the header's end, or the header reached kHttpHeaderLimit.
inline constexpr HttpResult kHttpInvalidHeader = 0x80010111;
// HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE): the body would pass kHttpMaxBody.
inline constexpr HttpResult kHttpBodyTooLarge = 0x800700DF;

inline constexpr std::chrono::milliseconds kHttpDefaultTimeout{10000};  // send and receive
inline constexpr std::size_t kHttpHeaderLimit = 4096;  // a header this long is refused
inline constexpr int kHttpReadSize = 8192;             // bytes per body receive
inline constexpr int kHttpMaxExchanges = 10;           // the first request and 9 redirects
inline constexpr std::uint32_t kHttpMaxBody = 64u << 20;

class CHttpClient {
 public:
  explicit CHttpClient(std::chrono::milliseconds timeout = kHttpDefaultTimeout);
  virtual ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // Open, then the body appended to `body` (the caller passes an empty one). With a content
  // length, reading stops once the buffer holds that many bytes (the last read may bring more);
  // without one, at the server's close. A body longer than kHttpMaxBody fails.
  [[nodiscard]] HttpResult Download(std::string_view url, std::vector<std::uint8_t>& body);
  // Follows redirects with absolute locations; on success the connection is at the first byte
  // of the body and dwContentLength() is set.
  [[nodiscard]] HttpResult Open(std::string_view url);
  // One exchange: connect, send the request, read and parse the response header. `location`
  // receives the header's location (empty when none) and may be `url` itself.
  [[nodiscard]] HttpResult Request(const std::string& url, std::string& location);

  // Of the latest response: its status (0 when none could be read) and content length (0 when
  // absent). The latest connection stays open until the next Request or destruction.
  [[nodiscard]] std::uint32_t dwHttpStatus() const { return dwHttpStatus_; }
  [[nodiscard]] std::uint32_t dwContentLength() const { return dwContentLength_; }
  [[nodiscard]] net::NativeSocket sock() const { return sock_.get(); }

 private:
  HttpResult Connect(const std::string& host, std::uint16_t port);
  HttpResult ReadHeader(std::string& header);
  void ParseHeader(const std::string& header, std::string& location);
  HttpResult ReadBody(std::vector<std::uint8_t>& body);

  const std::chrono::milliseconds timeout_;
  net::Socket sock_;
  std::uint32_t dwHttpStatus_ = 0;
  std::uint32_t dwContentLength_ = 0;
};

}  // namespace zuvelo
