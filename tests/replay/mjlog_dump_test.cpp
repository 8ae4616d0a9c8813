// mjlog-dump's output against golden files, its JSON strings, and the gzip/plain log reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mjlog_dump/json_dump.h"
#include "replay/log_file.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(ZUVELO_TEST_DATA_DIR) / "replay" / "golden";

std::string ReadPlain(const fs::path& path) {
  std::string text;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (!file) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

std::vector<fs::path> GoldenLogs() {
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(kGolden))
    if (entry.path().extension() == ".mjlog") logs.push_back(entry.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

LogInfo InfoFor(const fs::path& log) {
  LogInfo info;
  const std::string stem = log.stem().string();
  info.name.assign(stem.begin(), stem.end());
  return info;
}

TEST(MjlogDump, EventLinesMatchTheGoldenFiles) {
  const std::vector<fs::path> logs = GoldenLogs();
  ASSERT_GE(logs.size(), 4u) << kGolden;
  LogReplayer replayer;
  for (const fs::path& log : logs) {
    std::string text, out;
    ASSERT_TRUE(ReadLogFile(log.string().c_str(), text)) << log;
    dump::DumpEvents(replayer, text.c_str(), InfoFor(log), out);
    fs::path golden = log;
    golden.replace_extension(".jsonl");
    EXPECT_TRUE(out == ReadPlain(golden)) << "differs from " << golden;
  }
}

TEST(MjlogDump, SummaryLinesMatchTheGoldenFile) {
  LogReplayer replayer;
  std::string out;
  for (const fs::path& log : GoldenLogs()) {
    std::string text;
    ASSERT_TRUE(ReadLogFile(log.string().c_str(), text)) << log;
    dump::DumpSummary(replayer, text.c_str(), InfoFor(log), log.filename().string(), out);
  }
  EXPECT_EQ(out, ReadPlain(kGolden / "summary.jsonl"));
}

TEST(MjlogDump, JsonStringsStayValidWhateverTheBytes) {
  struct Case {
    std::string in;
    std::string want;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"q\"b\\s", "\"q\\\"b\\\\s\""},
      {"\r\n\t", "\"\\r\\n\\u0009\""},
      {"\xE3\x81\x82", "\"\xE3\x81\x82\""},
      {"\xFF<\x80", "\"\\u00FF<\\u0080\""},
      {"\xE3\x81", "\"\\u00E3\\u0081\""},
      {"\xC0\xAF", "\"\\u00C0\\u00AF\""},
  };
  for (const Case& c : cases) {
    std::string out;
    dump::AppendJsonString(out, c.in);
    EXPECT_EQ(out, c.want) << c.in;
  }
  std::string wide;
  dump::AppendJsonString(wide, std::u16string{u'a', 0x3042, 0xD83D, 0xDE00, 0xD800, 0xFF80});
  EXPECT_EQ(wide, "\"a\xE3\x81\x82\xF0\x9F\x98\x80\\uD800\xEF\xBE\x80\"");
}

TEST(LogFile, GzipAndPlainFilesReadTheSame) {
  const std::string text = "<mjloggm ver=\"2.3\"><GO type=\"1\"/></mjloggm>";
  const fs::path dir = fs::temp_directory_path();
  const fs::path plain = dir / "zuvelo_replay_plain.mjlog";
  const fs::path packed = dir / "zuvelo_replay_packed.mjlog";
  std::FILE* file = std::fopen(plain.string().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  gzFile gz = gzopen(packed.string().c_str(), "wb9");
  ASSERT_NE(gz, nullptr);
  gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
  gzclose(gz);
  for (const fs::path& path : {plain, packed}) {
    std::string read = "stale";
    EXPECT_TRUE(ReadLogFile(path.string().c_str(), read)) << path;
    EXPECT_EQ(read, text) << path;
    fs::remove(path);
  }
  std::string missing = "stale";
  EXPECT_FALSE(ReadLogFile((dir / "zuvelo_replay_missing.mjlog").string().c_str(), missing));
  EXPECT_TRUE(missing.empty());
}

}  // namespace
}  // namespace zuvelo
