// Reading a log file into memory through zlib's gzip reader, which passes a file that is not
// gzip through unchanged.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace zuvelo {

// Replaces out with the file's (decompressed) bytes; out.c_str() is then the zero-terminated
// log text. False when the file cannot be opened or read.
[[nodiscard]] bool ReadLogFile(const char* path, std::string& out);

enum class LogFileStatus { kRead, kCannotRead, kTooLarge };

// The same for a file system path (wide on Windows, so every file name opens), giving up with
// kTooLarge once the text would pass maxBytes: a small gzip file can unpack to gigabytes.
[[nodiscard]] LogFileStatus ReadLogFile(const std::filesystem::path& path, std::size_t maxBytes,
                                        std::string& out);

}  // namespace zuvelo
