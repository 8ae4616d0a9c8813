// Reading a log file into memory through zlib's gzip reader, which passes a file that is not
// gzip through unchanged. A log's text is capped: real logs are 5-100 KB, and a small gzip file
// can inflate to gigabytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zuvelo {

inline constexpr std::size_t kMaxLogText = 16u << 20;

// Replaces out with the file's (decompressed) bytes; out.c_str() is then the zero-terminated
// log text. False when the file cannot be opened or read; a text longer than kMaxLogText is
// false with out empty, as if the file gave nothing.
[[nodiscard]] bool ReadLogFile(const char* path, std::string& out);

enum class LogFileStatus { kRead, kCannotRead, kTooLarge };

// The same for a file system path (wide on Windows, so every file name opens), giving up with
// kTooLarge once the text would pass maxBytes: a small gzip file can unpack to gigabytes.
[[nodiscard]] LogFileStatus ReadLogFile(const std::filesystem::path& path, std::size_t maxBytes,
                                        std::string& out);

// Whether these bytes, stored as a log file, would read as a text within kMaxLogText. Gzip
// members are counted as the reader takes them: one after another, up to the first byte that
// starts no member.
[[nodiscard]] bool LogTextFits(std::string_view file_bytes);

}  // namespace zuvelo
