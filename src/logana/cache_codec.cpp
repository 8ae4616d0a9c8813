// Encoding and decoding of the cache records. The file is little-endian UTF-16; on a
// little-endian host texts are copied as they lie in memory.
#include "logana/cache_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace zuvelo {
namespace {

constexpr std::size_t kWriteBufferBytes = 64 * 1024;
// Bounds what one damaged length can make the reader reserve ahead of the data it really has.
constexpr std::size_t kReadChunkUnits = 32 * 1024;

constexpr bool kLittleEndianHost = std::endian::native == std::endian::little;

void EncodeWord(std::uint32_t value, unsigned char out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t DecodeWord(const unsigned char in[4]) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

void SwapUnits(char16_t* units, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
}

// Returns how many of the 4 bytes arrived; `value` is set only when all did.
std::size_t ReadWord(CacheByteSource& source, std::uint32_t& value) {
  unsigned char bytes[4];
  const std::size_t got = source.Read(bytes, sizeof bytes);
  if (got == sizeof bytes) value = DecodeWord(bytes);
  return got;
}

bool ReadTextBody(CacheByteSource& source, std::uint32_t length, std::u16string& text) {
  text.clear();
  for (std::size_t remaining = length; remaining > 0;) {
    const std::size_t chunk = std::min(remaining, kReadChunkUnits);
    const std::size_t done = text.size();
    text.resize(done + chunk);
    const std::size_t bytes = chunk * sizeof(char16_t);
    if (source.Read(text.data() + done, bytes) != bytes) return false;
    if constexpr (!kLittleEndianHost) SwapUnits(text.data() + done, chunk);
    remaining -= chunk;
  }
  return true;
}

bool ReadText(CacheByteSource& source, std::u16string& text) {
  std::uint32_t length = 0;
  return ReadWord(source, length) == 4 && ReadTextBody(source, length, text);
}

enum class RecordRead { kComplete, kEnd, kDamaged };

RecordRead ReadRecord(CacheByteSource& source, CacheRecord& record) {
  std::uint32_t key_length = 0;
  const std::size_t got = ReadWord(source, key_length);
  if (got == 0) return RecordRead::kEnd;
  const bool complete = got == 4 && ReadTextBody(source, key_length, record.key) &&
                        ReadText(source, record.value) && ReadText(source, record.player);
  return complete ? RecordRead::kComplete : RecordRead::kDamaged;
}

}  // namespace

CacheRecordWriter::CacheRecordWriter(CacheByteSink& sink) : sink_(sink) {
  buffer_.reserve(kWriteBufferBytes);
}

bool CacheRecordWriter::WriteVersion() {
  unsigned char bytes[4];
  EncodeWord(kCacheFileVersion, bytes);
  return sink_.Write(bytes, sizeof bytes);
}

bool CacheRecordWriter::WriteRecord(const CacheRecordView& record) {
  return AppendText(record.key) && AppendText(record.value) && AppendText(record.player);
}

bool CacheRecordWriter::Flush() {
  if (buffer_.empty()) return true;
  const bool written = sink_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
  return written;
}

bool CacheRecordWriter::Append(const void* data, std::size_t size) {
  if (buffer_.size() + size > kWriteBufferBytes) {
    if (!Flush()) return false;
    if (size > kWriteBufferBytes) return sink_.Write(data, size);
  }
  const auto* bytes = static_cast<const unsigned char*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + size);
  return true;
}

bool CacheRecordWriter::AppendLength(std::size_t length) {
  if (length > std::numeric_limits<std::uint32_t>::max()) return false;
  unsigned char bytes[4];
  EncodeWord(static_cast<std::uint32_t>(length), bytes);
  return Append(bytes, sizeof bytes);
}

bool CacheRecordWriter::AppendText(std::u16string_view text) {
  if (!AppendLength(text.size())) return false;
  if constexpr (kLittleEndianHost) {
    return Append(text.data(), text.size() * sizeof(char16_t));
  } else {
    std::u16string swapped(text);
    SwapUnits(swapped.data(), swapped.size());
    return Append(swapped.data(), swapped.size() * sizeof(char16_t));
  }
}

CacheReadSummary ReadCacheRecords(CacheByteSource& source, const CacheRecordVisitor& visit) {
  CacheReadSummary summary;
  std::uint32_t version = 0;
  if (ReadWord(source, version) != 4) return summary;
  summary.version = version;
  if (version != kCacheFileVersion) return summary;
  CacheRecord record;
  for (;;) {
    switch (ReadRecord(source, record)) {
      case RecordRead::kComplete:
        visit(record);
        ++summary.records;
        break;
      case RecordRead::kEnd:
        return summary;
      case RecordRead::kDamaged:
        summary.damaged = true;
        return summary;
    }
  }
}

}  // namespace zuvelo
