// Placeholder downloads. A download that breaks off, or a process that ends mid-write, must never
// leave a truncated log behind: it would look like a real log to every later run. So the body
// goes to a temporary file first and only a complete one replaces the placeholder. The file is
// not flushed to disk before the move: that guards against power loss only, and would cost a
// disk flush per log (here it cut downloads from over 250 to 60 a second).
#include "logana/placeholder_download_win.h"

#include <windows.h>

#include <string_view>
#include <utility>

#include "base/handle_win.h"
#include "replay/log_file.h"

namespace zuvelo {
namespace {

constexpr std::size_t kShortestLog = 10;
static_assert(kHttpMaxBody <= kMaxLogText, "a body is never longer than a log's text may be");
constexpr std::uint8_t kGzipMagic = 0x1F;
// Not ".mjlog": a scan never takes a leftover temporary file for a log.
constexpr const char* kTemporarySuffix = ".part";

// The placeholder keeps its creation time: later runs sort same-hour logs by it.
void CopyCreationTime(const std::string& from, HANDLE to) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExA(from.c_str(), GetFileExInfoStandard, &data)) {
    ::SetFileTime(to, &data.ftCreationTime, nullptr, nullptr);
  }
}

bool WriteTemporary(const std::string& temporary, const std::string& path,
                    const std::vector<std::uint8_t>& body) {
  unique_file_handle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(body.size());
  if (!::WriteFile(file.get(), body.data(), size, &written, nullptr) || written != size) {
    return false;
  }
  CopyCreationTime(path, file.get());
  return true;
}

}  // namespace

DownloadOutcome ClassifyDownload(HttpResult result, std::uint32_t announced,
                                 const std::vector<std::uint8_t>& body) {
  if (result == kHttpCancelled) return DownloadOutcome::kCancelled;
  if (result != kHttpOk || body.size() < announced) return DownloadOutcome::kFailed;
  if (body.empty()) return DownloadOutcome::kEmpty;
  if (body.size() < kShortestLog || body[0] != kGzipMagic) return DownloadOutcome::kInvalidFormat;
  const std::string_view bytes(reinterpret_cast<const char*>(body.data()), body.size());
  if (!LogTextFits(bytes)) return DownloadOutcome::kFailed;
  return DownloadOutcome::kFilled;
}

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& body) {
  const std::string temporary = path + kTemporarySuffix;
  // ANSI paths throughout: the log folder may hold names in the system code page.
  if (WriteTemporary(temporary, path, body) &&
      ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  ::DeleteFileA(temporary.c_str());
  return false;
}

DownloadOutcome FillPlaceholder(const std::string& path, const std::string& url,
                                HttpCancelCheck cancelled) {
  std::vector<std::uint8_t> body;
  HttpResult result = kHttpOk;
  std::uint32_t announced = 0;
  {
    // One client per download, gone before the file is touched.
    CHttpClient client(kHttpDefaultTimeout, kHttpDefaultDeadline, std::move(cancelled));
    result = client.Download(url, body);
    announced = client.dwContentLength();
  }
  const DownloadOutcome outcome = ClassifyDownload(result, announced, body);
  if (outcome == DownloadOutcome::kFilled) WriteWholeFile(path, body);
  return outcome;
}

}  // namespace zuvelo
