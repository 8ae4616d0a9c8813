// Log files through zlib's gzip file functions, the same reader for gzip and plain files.
#include "replay/log_file.h"

#include <zlib.h>

#include <limits>
#include <memory>

namespace zuvelo {
namespace {

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

LogFileStatus ReadAll(gzFile_s* file, std::size_t maxBytes, std::string& out) {
  out.clear();
  if (!file) return LogFileStatus::kCannotRead;
  char buffer[64 * 1024];
  for (;;) {
    const int n = gzread(file, buffer, sizeof buffer);
    if (n < 0) return LogFileStatus::kCannotRead;
    if (n == 0) return LogFileStatus::kRead;
    if (static_cast<std::size_t>(n) > maxBytes - out.size()) return LogFileStatus::kTooLarge;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

bool ReadLogFile(const char* path, std::string& out) {
  const GzFile file(gzopen(path, "rb"));
  return ReadAll(file.get(), std::numeric_limits<std::size_t>::max(), out) == LogFileStatus::kRead;
}

LogFileStatus ReadLogFile(const std::filesystem::path& path, std::size_t maxBytes,
                          std::string& out) {
#if defined(_WIN32)
  const GzFile file(gzopen_w(path.c_str(), "rb"));
#else
  const GzFile file(gzopen(path.c_str(), "rb"));
#endif
  const LogFileStatus status = ReadAll(file.get(), maxBytes, out);
  if (status != LogFileStatus::kRead) out.clear();
  return status;
}

}  // namespace zuvelo
