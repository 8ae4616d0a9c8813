// The uncompressed layout of the analysis cache file: a version word, then records of three
// UTF-16 texts (key, value, player), each after its length in code units; little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zuvelo {

inline constexpr std::uint32_t kCacheFileVersion = 1000;

// Where encoded bytes go. False: fewer bytes than given were taken.
class CacheByteSink {
 public:
  virtual ~CacheByteSink() = default;
  [[nodiscard]] virtual bool Write(const void* data, std::size_t size) = 0;
};

// Where encoded bytes come from. Returns the number of bytes read; fewer than asked means the
// data ended or could not be read further.
class CacheByteSource {
 public:
  virtual ~CacheByteSource() = default;
  [[nodiscard]] virtual std::size_t Read(void* data, std::size_t size) = 0;
};

struct CacheRecordView {
  std::u16string_view key;
  std::u16string_view value;
  std::u16string_view player;
};

// Encodes into a buffer so that the sink sees large writes instead of six small ones a record.
class CacheRecordWriter {
 public:
  explicit CacheRecordWriter(CacheByteSink& sink);
  CacheRecordWriter(const CacheRecordWriter&) = delete;
  CacheRecordWriter& operator=(const CacheRecordWriter&) = delete;

  // Goes straight to the sink: a failure here has its own message for the user.
  [[nodiscard]] bool WriteVersion();
  [[nodiscard]] bool WriteRecord(const CacheRecordView& record);
  // Hands the buffered records to the sink.
  [[nodiscard]] bool Flush();

 private:
  [[nodiscard]] bool Append(const void* data, std::size_t size);
  [[nodiscard]] bool AppendLength(std::size_t length);
  [[nodiscard]] bool AppendText(std::u16string_view text);

  CacheByteSink& sink_;
  std::vector<unsigned char> buffer_;
};

struct CacheRecord {
  std::u16string key;
  std::u16string value;
  std::u16string player;
};

struct CacheReadSummary {
  std::optional<std::uint32_t> version;  // none: fewer than 4 bytes
  std::size_t records = 0;               // complete records handed to the visitor
  bool damaged = false;                  // the data ended inside a record
};

using CacheRecordVisitor = std::function<void(const CacheRecord&)>;

// Reads the version and, when it is kCacheFileVersion, every complete record in file order.
// Texts grow only as their bytes arrive, so a damaged length costs no more memory than the
// rest of the data.
CacheReadSummary ReadCacheRecords(CacheByteSource& source, const CacheRecordVisitor& visit);

}  // namespace zuvelo
