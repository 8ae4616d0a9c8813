// Placeholder downloads against the loopback test server: which bodies fill a placeholder, and
// that a placeholder holds either nothing or the whole body, never a part of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "logana/placeholder_download_win.h"
#include "run_logs.h"

namespace zuvelo::testing {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(PlaceholderDownloadTest, WhatABodyIsGoodFor) {
  const std::string gzip_head("\x1F\x8B\x08\0\0\0\0\0\0\0", 10);
  const struct {
    HttpResult result;
    std::uint32_t announced;
    std::string body;
    DownloadOutcome outcome;
  } cases[] = {
      {kHttpOk, 0, gzip_head, DownloadOutcome::kFilled},
      {kHttpOk, 10, gzip_head, DownloadOutcome::kFilled},
      {kHttpOk, 11, gzip_head, DownloadOutcome::kFailed},  // closed before the announced end
      {kHttpOk, 0, gzip_head.substr(0, 9), DownloadOutcome::kInvalidFormat},
      {kHttpOk, 0, "<mjloggm ver=\"2.3\">", DownloadOutcome::kInvalidFormat},
      {kHttpOk, 0, "", DownloadOutcome::kEmpty},
      {kHttpNotFound, 0, gzip_head, DownloadOutcome::kFailed},
      {kHttpInvalidHeader, 0, "", DownloadOutcome::kFailed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyDownload(c.result, c.announced, Bytes(c.body)), c.outcome)
        << c.result << " " << c.announced << " " << c.body.size();
  }
}

class PlaceholderFillTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(ServedLogs::HomeAddress().empty()) << "no test server"; }
  std::string Url(const std::string& path) { return ServedLogs::HomeAddress() + path; }

  RunLogs logs_;
  ServedLogs served_;
};

TEST_F(PlaceholderFillTest, AServedLogFillsItsPlaceholderWhole) {
  const std::string name = LogName("2015071412");
  const std::string log = Gzip(Game(1).text);
  served_.Put(name, log);
  const std::string path = logs_.Placeholder(name);
  EXPECT_EQ(FillPlaceholder(path, Url("0/log/?" + name.substr(0, name.find('&')))),
            DownloadOutcome::kFilled);
  EXPECT_EQ(ReadAll(path), log);
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(PlaceholderFillTest, AnythingElseLeavesThePlaceholderEmpty) {
  const struct {
    const char* path;
    DownloadOutcome outcome;
  } cases[] = {
      {"0/log/?2015071412gm-0009-0000-00000000", DownloadOutcome::kFailed},  // 404
      {"length?size=100&announce=200", DownloadOutcome::kFailed},  // cut off after 100 bytes
      {"body/123456789", DownloadOutcome::kInvalidFormat},
      {"length?size=0", DownloadOutcome::kEmpty},
  };
  const std::string path = logs_.Placeholder(LogName("2015071412"));
  for (const auto& c : cases) {
    EXPECT_EQ(FillPlaceholder(path, Url(c.path)), c.outcome) << c.path;
    EXPECT_EQ(std::filesystem::file_size(path), 0u) << c.path;
  }
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(PlaceholderFillTest, AWriteThatFailsLeavesThePlaceholderAsItWas) {
  const std::string path = logs_.Placeholder(LogName("2015071412"));
  std::filesystem::create_directory(path + ".part");  // the temporary file cannot be made
  EXPECT_FALSE(WriteWholeFile(path, Bytes(Gzip("<mjloggm/>"))));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path + ".part");
  // An earlier attempt's leftover is no obstacle.
  const std::string log = Gzip(Game(2).text);
  logs_.WriteFile("201507", LogName("2015071412") + ".mjlog.part", "left over");
  EXPECT_TRUE(WriteWholeFile(path, Bytes(log)));
  EXPECT_EQ(ReadAll(path), log);
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
}  // namespace zuvelo::testing
