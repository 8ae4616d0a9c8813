// The analysis cache file on disk: gzip through zlib. A save goes to a temporary file beside
// the cache file and replaces it only when complete, so a failed save never costs the last
// good file.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "logana/cache_codec.h"

namespace zuvelo {

// The zlib writer mode of the cache file: gzip at compression level 9.
inline constexpr const char* kCacheFileMode = "wb9";

// A byte sink that is complete only once closed.
class CacheFileSink : public CacheByteSink {
 public:
  // False: the file may be incomplete.
  [[nodiscard]] virtual bool Close() = 0;
};

using CacheSinkOpener =
    std::function<std::unique_ptr<CacheFileSink>(const std::filesystem::path& file)>;

// zlib's gzip writer in kCacheFileMode; null when the file cannot be made.
std::unique_ptr<CacheFileSink> OpenGzipCacheSink(const std::filesystem::path& file);
// The same in another zlib writer mode, for measuring other compression levels.
std::unique_ptr<CacheFileSink> OpenGzipSink(const std::filesystem::path& file, const char* mode);

// Where a save writes before it replaces `file`.
std::filesystem::path CacheTempPath(const std::filesystem::path& file);

struct CacheLoadSummary {
  bool opened = false;
  CacheReadSummary read;
  bool stream_damaged = false;  // the compressed data could not be read to its proper end

  // Nothing of an opened file was left unread: its version, every record, the gzip trailer.
  [[nodiscard]] bool complete() const {
    return !opened || (read.version == kCacheFileVersion && !read.damaged && !stream_damaged);
  }
};

// Reads through zlib's gzip reader, which also passes a file that is not gzip unchanged.
CacheLoadSummary LoadCacheFile(const std::filesystem::path& file, const CacheRecordVisitor& visit);

enum class CacheSaveFault {
  kNone,
  kOpen,          // the temporary file could not be made
  kWriteVersion,  // the version word was not written
  kWriteRecords,  // a record was not written
  kClose,         // the temporary file could not be completed
  kReplace,       // the complete temporary file could not replace the cache file
  kKeep,          // the copy of the file to be replaced could not be made
};

// Writes the records through the writer; false when a write failed.
using CacheRecordProducer = std::function<bool(CacheRecordWriter& writer)>;

// On any fault the cache file is left as it was and the temporary file is removed. With
// `keep_as`, an existing cache file is first copied there (replacing what is there), and is not
// replaced unless the copy was made.
[[nodiscard]] CacheSaveFault SaveCacheFile(const std::filesystem::path& file,
                                           const CacheRecordProducer& produce,
                                           const CacheSinkOpener& open = OpenGzipCacheSink,
                                           const std::filesystem::path& keep_as = {});

}  // namespace zuvelo
