// CHttpClient: the blocking HTTP/1.0 GET client that fetches missing game logs. One object per
// download; plain HTTP only, no proxy, no keep-alive. Bodies come back exactly as sent (gzip
// stays compressed).
//
// A server may answer slowly on purpose: every receive has its time-out, the whole download a
// deadline, and the caller a cancel check, asked while the client waits in short slices, so that
// stopping a run or ending the program never waits on a server.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/socket.h"

namespace zuvelo {

// 0 on success. Anything else is a failure: one of the values below or a Winsock error number
// (sockets::wsa; a receive time-out is sockets::wsa::kTimedOut, 10060) from name lookup, connect or
// receive.
using HttpResult = std::uint32_t;
inline constexpr HttpResult kHttpOk = 0;
inline constexpr HttpResult kHttpNotFound = 2;             // status 404
inline constexpr HttpResult kHttpTooManyExchanges = 12;    // 10 exchanges without 200 or 404
inline constexpr HttpResult kHttpInvalidUrl = 0x80070057;  // E_INVALIDARG: no "://"
// RPC_E_INVALID_HEADER: closed before the header's end, or the header reached kHttpHeaderLimit.
inline constexpr HttpResult kHttpInvalidHeader = 0x80010111;
// HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE): the body would pass kHttpMaxBody.
inline constexpr HttpResult kHttpBodyTooLarge = 0x800700DF;
// HRESULT_FROM_WIN32(ERROR_TIMEOUT): the download's deadline passed.
inline constexpr HttpResult kHttpDeadlinePassed = 0x800705B4;
inline constexpr HttpResult kHttpCancelled = 0x80004004;  // E_ABORT: the cancel check said so

inline constexpr std::chrono::milliseconds kHttpDefaultTimeout{10000};   // send and each receive
inline constexpr std::chrono::milliseconds kHttpDefaultDeadline{60000};  // the whole download
inline constexpr std::chrono::milliseconds kHttpWaitSlice{100};  // cancel asked at least this often
inline constexpr std::size_t kHttpHeaderLimit = 4096;            // a header this long is refused
inline constexpr int kHttpReadSize = 8192;                       // bytes per body receive
inline constexpr int kHttpMaxExchanges = 10;  // the first request and 9 redirects
// A body is a log file, whose text may hold no more (replay/log_file.h).
inline constexpr std::uint32_t kHttpMaxBody = 16u << 20;

// Asked from the downloading thread; true ends the download with kHttpCancelled.
using HttpCancelCheck = std::function<bool()>;

class CHttpClient {
 public:
  // The deadline counts from the start of each Open (and from construction for a lone Request).
  explicit CHttpClient(std::chrono::milliseconds timeout = kHttpDefaultTimeout,
                       std::chrono::milliseconds deadline = kHttpDefaultDeadline,
                       HttpCancelCheck cancelled = {});
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
  [[nodiscard]] sockets::NativeSocket sock() const { return sock_.get(); }

 private:
  using Clock = std::chrono::steady_clock;

  HttpResult Connect(const std::string& host, std::uint16_t port);
  HttpResult ReadHeader(std::string& header);
  void ParseHeader(const std::string& header, std::string& location);
  HttpResult ReadBody(std::vector<std::uint8_t>& body);
  // One receive that waits at most the time-out; `count` 0 without a failure: the peer closed.
  HttpResult Receive(void* into, int size, int& count);
  // Waits in slices until the socket is ready; `give_up` ends this wait alone (a time-out).
  HttpResult Await(sockets::Await what, Clock::time_point give_up);
  [[nodiscard]] bool Cancelled() const { return cancelled_ && cancelled_(); }

  const std::chrono::milliseconds timeout_;
  const std::chrono::milliseconds deadline_;
  const HttpCancelCheck cancelled_;
  Clock::time_point deadline_at_;
  sockets::Socket sock_;
  std::uint32_t dwHttpStatus_ = 0;
  std::uint32_t dwContentLength_ = 0;
};

}  // namespace zuvelo
