// Whole files as bytes, for tests that compare outputs or plant inputs.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zuvelo::testing {

// Empty when the file cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes the file's folders first; replaces what was there.
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace zuvelo::testing
