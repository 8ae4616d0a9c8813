// The fuzz target's corpus as a regression test: every file through the fuzz entry, without
// libFuzzer, so what the fuzzer once found stays fixed in every native build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (!file) return bytes;
  std::uint8_t buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return bytes;
}

TEST(ReplayFuzzCorpus, EveryCorpusFileRunsCleanly) {
  const fs::path corpus = fs::path(ZUVELO_TEST_DATA_DIR) / "replay" / "fuzz";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const std::vector<std::uint8_t> bytes = ReadBytes(entry.path());
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    ++files;
  }
  EXPECT_GT(files, 10);
}

}  // namespace
