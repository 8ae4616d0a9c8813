// The cache file through zlib's gzip file functions, and the save protocol around it.
#include "logana/cache_file.h"

#include <zlib.h>

#include <algorithm>
#include <system_error>

#include "logana/file_replace.h"

namespace zuvelo {
namespace {

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

// zlib counts in unsigned int; larger requests go in pieces.
constexpr std::size_t kGzPiece = 1u << 30;

gzFile OpenGz(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
  return gzopen_w(file.c_str(), mode);  // wide, so no folder name is lost to the code page
#else
  return gzopen(file.c_str(), mode);
#endif
}

class GzipSink final : public CacheFileSink {
 public:
  explicit GzipSink(gzFile file) : file_(file) {}
  bool Write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
      const auto piece = static_cast<unsigned>(std::min(size, kGzPiece));
      if (gzwrite(file_.get(), bytes, piece) != static_cast<int>(piece)) return false;
      bytes += piece;
      size -= piece;
    }
    return true;
  }
  bool Close() override { return gzclose(file_.release()) == Z_OK; }

 private:
  GzFile file_;
};

class GzipSource final : public CacheByteSource {
 public:
  explicit GzipSource(gzFile file) : file_(file) {}
  std::size_t Read(void* data, std::size_t size) override {
    auto* bytes = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const auto piece = static_cast<unsigned>(std::min(size - done, kGzPiece));
      const int got = gzread(file_.get(), bytes + done, piece);
      if (got <= 0) break;  // end of data, or damage zlib could not read past
      done += static_cast<std::size_t>(got);
    }
    return done;
  }
  // A stream cut short reads as far as it goes and only then reports its end as unexpected.
  [[nodiscard]] bool damaged() {
    int error = Z_OK;
    gzerror(file_.get(), &error);
    return error != Z_OK;
  }

 private:
  GzFile file_;
};

CacheSaveFault WriteContent(CacheFileSink& sink, const CacheRecordProducer& produce) {
  CacheRecordWriter writer(sink);
  if (!writer.WriteVersion()) return CacheSaveFault::kWriteVersion;
  if (!produce(writer) || !writer.Flush()) return CacheSaveFault::kWriteRecords;
  return CacheSaveFault::kNone;
}

// Nothing to keep when the file has gone meanwhile.
bool KeepCopy(const std::filesystem::path& file, const std::filesystem::path& copy) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return !error;
  std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

}  // namespace

std::unique_ptr<CacheFileSink> OpenGzipCacheSink(const std::filesystem::path& file) {
  return OpenGzipSink(file, kCacheFileMode);
}

std::unique_ptr<CacheFileSink> OpenGzipSink(const std::filesystem::path& file, const char* mode) {
  gzFile gz = OpenGz(file, mode);
  if (gz == nullptr) return nullptr;
  return std::make_unique<GzipSink>(gz);
}

std::filesystem::path CacheTempPath(const std::filesystem::path& file) {
  std::filesystem::path temp = file;
  temp += ".tmp";
  return temp;
}

CacheLoadSummary LoadCacheFile(const std::filesystem::path& file, const CacheRecordVisitor& visit) {
  CacheLoadSummary summary;
  gzFile gz = OpenGz(file, "rb");
  if (gz == nullptr) return summary;
  summary.opened = true;
  GzipSource source(gz);
  summary.read = ReadCacheRecords(source, visit);
  summary.stream_damaged = source.damaged();
  return summary;
}

CacheSaveFault SaveCacheFile(const std::filesystem::path& file, const CacheRecordProducer& produce,
                             const CacheSinkOpener& open, const std::filesystem::path& keep_as) {
  const std::filesystem::path temp = CacheTempPath(file);
  CacheSaveFault fault = CacheSaveFault::kOpen;
  if (std::unique_ptr<CacheFileSink> sink = open(temp)) {
    fault = WriteContent(*sink, produce);
    // Closed even after a failed write: the writer's handle must go before the file can.
    if (!sink->Close() && fault == CacheSaveFault::kNone) fault = CacheSaveFault::kClose;
  }
  if (fault == CacheSaveFault::kNone && !keep_as.empty() && !KeepCopy(file, keep_as))
    fault = CacheSaveFault::kKeep;
  if (fault == CacheSaveFault::kNone && !ReplaceFileDurably(temp, file))
    fault = CacheSaveFault::kReplace;
  // Nothing was made when the open failed, and what is in the way there is not ours.
  if (fault != CacheSaveFault::kNone && fault != CacheSaveFault::kOpen) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
  }
  return fault;
}

}  // namespace zuvelo
