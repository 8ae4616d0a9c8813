// Log files through zlib's gzip file functions, the same reader for gzip and plain files, and
// the in-memory count of what that reader would make of a downloaded body.
#include "replay/log_file.h"

#include <zlib.h>

#include <memory>

namespace zuvelo {
namespace {

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

struct InflateEnd {
  void operator()(z_stream* stream) const { inflateEnd(stream); }
};

bool StartsMember(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == '\x1F' && bytes[1] == '\x8B';
}

// Inflates the members at the start of `bytes`, keeping only the count; stops at a broken
// member (the reader ends there too) or once the count passes kMaxLogText.
std::size_t InflatedSize(std::string_view bytes) {
  z_stream stream{};
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return kMaxLogText + 1;
  const std::unique_ptr<z_stream, InflateEnd> end(&stream);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  std::size_t total = 0;
  unsigned char out[64 * 1024];
  while (total <= kMaxLogText) {
    stream.next_out = out;
    stream.avail_out = sizeof out;
    const int status = inflate(&stream, Z_NO_FLUSH);
    total += sizeof out - stream.avail_out;
    if (status == Z_STREAM_END) {
      const std::string_view rest(reinterpret_cast<const char*>(stream.next_in), stream.avail_in);
      if (!StartsMember(rest) || inflateReset(&stream) != Z_OK) break;
    } else if (status != Z_OK) {
      break;
    }
  }
  return total;
}

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
  if (ReadAll(file.get(), kMaxLogText, out) == LogFileStatus::kRead) return true;
  std::string().swap(out);  // nothing, and no memory kept for it
  return false;
}

LogFileStatus ReadLogFile(const std::filesystem::path& path, std::size_t maxBytes,
                          std::string& out) {
#if defined(_WIN32)
  const GzFile file(gzopen_w(path.c_str(), "rb"));
#else
  const GzFile file(gzopen(path.c_str(), "rb"));
#endif
  const LogFileStatus status = ReadAll(file.get(), maxBytes, out);
  if (status != LogFileStatus::kRead) std::string().swap(out);
  return status;
}

bool LogTextFits(std::string_view file_bytes) {
  if (!StartsMember(file_bytes)) return file_bytes.size() <= kMaxLogText;
  return InflatedSize(file_bytes) <= kMaxLogText;
}

}  // namespace zuvelo
