// The cache file on disk: gzip level 9 of the described layout, saves that fail at any byte
// without touching the previous file, and compressed files cut at every byte.
#include "logana/cache_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache_test_util.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;
using testing::ReferenceLayout;
using testing::RefRecord;
using testing::TempFolder;

CacheRecordProducer Produce(const std::vector<RefRecord>& records) {
  return [&records](CacheRecordWriter& writer) {
    for (const RefRecord& r : records)
      if (!writer.WriteRecord({r.key, r.value, r.player})) return false;
    return true;
  };
}

std::vector<RefRecord> Load(const fs::path& file, CacheLoadSummary* summary = nullptr) {
  std::vector<RefRecord> records;
  const CacheLoadSummary loaded = LoadCacheFile(file, [&](const CacheRecord& r) {
    records.push_back({r.key, r.value, r.player});
  });
  if (summary != nullptr) *summary = loaded;
  return records;
}

const std::vector<RefRecord> kOld = {{u"old", u"kept", u"p"}, {u"older", u"also", u""}};
const std::vector<RefRecord> kNew = {
    {u"a", u"1", u""}, {u"b", u"22", u"q"}, {u"\U0001F600", u"\u3042", u"\u6771"}};

TEST(CacheFile, SaveWritesGzipLevel9OfTheDescribedLayout) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(SaveCacheFile(file, Produce(kNew)), CacheSaveFault::kNone);
  const std::string raw = testing::ReadBytes(file);
  ASSERT_GE(raw.size(), 10u);
  EXPECT_EQ(raw.substr(0, 3), std::string("\x1f\x8b\x08"));
  EXPECT_EQ(raw[8], '\x02') << "gzip header does not say maximum compression";
  EXPECT_EQ(testing::Gunzip(file), ReferenceLayout(1000, kNew));
  EXPECT_FALSE(fs::exists(CacheTempPath(file)));
}

TEST(CacheFile, FileWrittenOutsideIsReadGzipOrPlain) {
  TempFolder folder;
  testing::WriteGzip(folder / "gz.dat", ReferenceLayout(1000, kNew));
  testing::WriteBytes(folder / "plain.dat", ReferenceLayout(1000, kNew));
  EXPECT_EQ(Load(folder / "gz.dat"), kNew);
  EXPECT_EQ(Load(folder / "plain.dat"), kNew);
  CacheLoadSummary missing;
  EXPECT_TRUE(Load(folder / "missing.dat", &missing).empty());
  EXPECT_FALSE(missing.opened);
}

// A save cut off after every possible number of bytes, or failing only at its close, leaves
// the previous file byte for byte and no temporary file behind.
TEST(CacheFile, FailedSaveLeavesThePreviousFileIntact) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(SaveCacheFile(file, Produce(kOld)), CacheSaveFault::kNone);
  const std::string previous = testing::ReadBytes(file);
  const std::size_t content = ReferenceLayout(1000, kNew).size();
  for (std::size_t budget = 0; budget <= content; ++budget) {
    SCOPED_TRACE("write budget " + std::to_string(budget));
    const bool whole = budget == content;
    const CacheSaveFault expected = budget < 4 ? CacheSaveFault::kWriteVersion
                                    : !whole   ? CacheSaveFault::kWriteRecords
                                               : CacheSaveFault::kClose;
    EXPECT_EQ(SaveCacheFile(file, Produce(kNew), testing::FailingOpener(budget, whole)), expected);
    EXPECT_EQ(testing::ReadBytes(file), previous);
    EXPECT_FALSE(fs::exists(CacheTempPath(file)));
  }
  EXPECT_EQ(Load(file), kOld);
  EXPECT_EQ(SaveCacheFile(file, Produce(kNew), testing::FailingOpener(content)),
            CacheSaveFault::kNone);
  EXPECT_EQ(Load(file), kNew);
}

TEST(CacheFile, TemporaryOrTargetInTheWayFailsWithoutHarm) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(SaveCacheFile(file, Produce(kOld)), CacheSaveFault::kNone);
  const std::string previous = testing::ReadBytes(file);

  fs::create_directory(CacheTempPath(file));  // the temporary file cannot be made
  EXPECT_EQ(SaveCacheFile(file, Produce(kNew)), CacheSaveFault::kOpen);
  EXPECT_EQ(testing::ReadBytes(file), previous);
  EXPECT_TRUE(fs::is_directory(CacheTempPath(file)));
  fs::remove(CacheTempPath(file));

  const fs::path blocked = folder / "blocked.dat";  // a folder cannot be replaced by a file
  fs::create_directories(blocked / "inside");
  EXPECT_EQ(SaveCacheFile(blocked, Produce(kNew)), CacheSaveFault::kReplace);
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
  EXPECT_FALSE(fs::exists(CacheTempPath(blocked)));
}

// Cut anywhere, a compressed file yields some leading part of its records, never more as the
// cut moves back, and never anything that was not written.
TEST(CacheFile, CompressedFileCutAtEveryByteLoadsALeadingPart) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(SaveCacheFile(file, Produce(kNew)), CacheSaveFault::kNone);
  const std::string full = testing::ReadBytes(file);
  const fs::path cut_file = folder / "cut.dat";
  std::size_t previous_count = 0;
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    testing::WriteBytes(cut_file, full.substr(0, cut));
    const std::vector<RefRecord> loaded = Load(cut_file);
    ASSERT_LE(loaded.size(), kNew.size());
    EXPECT_EQ(loaded, std::vector<RefRecord>(kNew.begin(), kNew.begin() + loaded.size()));
    EXPECT_GE(loaded.size(), previous_count);
    previous_count = loaded.size();
  }
  EXPECT_EQ(previous_count, kNew.size());
}

}  // namespace
}  // namespace zuvelo
