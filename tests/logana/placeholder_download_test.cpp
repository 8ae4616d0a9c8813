// A placeholder holds either nothing or the whole body, never a part of it.
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
      {kHttpInvalidHeader, 0, "", DownloadOutcome::kFailed}};
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyDownload(c.result, c.announced, Bytes(c.body)), c.outcome)
        << c.result << " " << c.announced << " " << c.body.size();
  }
}

TEST(PlaceholderDownloadTest, APlaceholderIsFilledWholeOrLeftEmpty) {
  const std::string home = ServedLogs::HomeAddress();
  ASSERT_FALSE(home.empty()) << "no test server";
  RunLogs logs;
  ServedLogs served;
  const std::string name = LogName("2015071412");
  const std::string path = logs.Placeholder(name);
  EXPECT_EQ(FillPlaceholder(path, home + "length?size=100&announce=200"), DownloadOutcome::kFailed);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::create_directory(path + ".part");  // the temporary file cannot be made
  EXPECT_FALSE(WriteWholeFile(path, Bytes(Gzip("<mjloggm/>"))));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path + ".part");

  WriteBytes(path + ".part", "left over");
  served.Put(name, Gzip(Game(1).text));
  EXPECT_EQ(FillPlaceholder(path, home + "0/log/?" + name.substr(0, name.find('&'))),
            DownloadOutcome::kFilled);
  EXPECT_EQ(ReadBytes(path), Gzip(Game(1).text));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
}  // namespace zuvelo::testing
