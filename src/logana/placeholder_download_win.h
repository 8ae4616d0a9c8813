// Filling a placeholder log file from the service: the download, the checks on its body, and the
// write that leaves the placeholder either empty or holding the whole body.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/http_client.h"

namespace zuvelo {

enum class DownloadOutcome {
  kFilled,         // the body was a gzip log and now is the file's content
  kFailed,         // the download itself failed (a 404 answer included)
  kEmpty,          // "EMPTY LOG FILE"
  kInvalidFormat,  // "INVALID LOG FORMAT": shorter than 10 bytes or no gzip magic
  kCancelled,      // the cancel check ended it: no failure of the server's
};

// What a body fetched with `result` is good for. A body shorter than the length the server
// announced (the connection closed early) is a failed download: it would be a truncated log. So
// is one whose text would pass the log reader's cap: the reader would refuse the file.
[[nodiscard]] DownloadOutcome ClassifyDownload(HttpResult result, std::uint32_t announced,
                                               const std::vector<std::uint8_t>& body);

// Writes `body` to a temporary file beside `path`, gives it the placeholder's creation time and
// moves it over the placeholder. A failure (not reported to the user) leaves the placeholder as
// it was and removes the temporary file.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& body);

// Downloads `url` (a log's download address) into the placeholder at `path`. kFilled also when
// the write failed: that log then fails when it is read. `cancelled` is asked while the
// download waits.
[[nodiscard]] DownloadOutcome FillPlaceholder(const std::string& path, const std::string& url,
                                              HttpCancelCheck cancelled = {});

}  // namespace zuvelo
