// Reading a log file into memory through zlib's gzip reader, which passes a file that is not
// gzip through unchanged.
#pragma once

#include <string>

namespace zuvelo {

// Replaces out with the file's (decompressed) bytes; out.c_str() is then the zero-terminated
// log text. False when the file cannot be opened or read.
[[nodiscard]] bool ReadLogFile(const char* path, std::string& out);

}  // namespace zuvelo
