// Helpers of the cache tests: temporary folders, files as bytes, a byte layout built by hand
// from the documented file layout, and a probe of the largest single allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "logana/cache_file.h"

namespace zuvelo::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct RefRecord {
  std::u16string key;
  std::u16string value;
  std::u16string player;
  bool operator==(const RefRecord&) const = default;
};

// The uncompressed file content, written byte by byte from the layout: version word, then
// per record three (length in code units, UTF-16LE text) pairs.
std::string ReferenceLayout(std::uint32_t version, const std::vector<RefRecord>& records);
// Offsets in ReferenceLayout's result at which each record ends.
std::vector<std::size_t> RecordEnds(const std::vector<RefRecord>& records);
void AppendWord(std::string& out, std::uint32_t value);

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
// Decompressed through zlib; a file that is not gzip comes back unchanged.
std::string Gunzip(const std::filesystem::path& file);
void WriteGzip(const std::filesystem::path& file, const std::string& content);

// Opens the real gzip writer, then cuts it off after `budget` uncompressed bytes (later
// writes are short), and fails its close when asked to.
CacheSinkOpener FailingOpener(std::size_t budget, bool fail_close = false);

// The largest single operator new request since the last reset.
void ResetLargestAllocation();
std::size_t LargestAllocation();

}  // namespace zuvelo::testing
