// The analysis cache file and the store over it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <random>

#include "logana/logana_cache.h"
#include "support/file_bytes.h"

namespace zuvelo::testing {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  TempFolder() {
    while (!fs::create_directory(path)) path += std::to_string(std::random_device()() % 10);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path operator/(const char* name) const { return path / name; }
  fs::path path = fs::temp_directory_path() / "zuvelo-cache-";
};

struct RefRecord {
  std::u16string key, value, player;
  bool operator==(const RefRecord&) const = default;
};
using Records = std::vector<RefRecord>;

void AppendWord(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

// Written by hand, not by the writer under test: version, then (length, UTF-16LE) per text.
std::string Layout(const Records& records, std::uint32_t version = 1000) {
  std::string out;
  AppendWord(out, version);
  for (const RefRecord& r : records) {
    for (const std::u16string* text : {&r.key, &r.value, &r.player}) {
      AppendWord(out, static_cast<std::uint32_t>(text->size()));
      for (char16_t unit : *text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
      }
    }
  }
  return out;
}

std::string Gunzip(const fs::path& file) {
  std::string out;
  gzFile gz = gzopen(file.string().c_str(), "rb");
  char buffer[16 * 1024];
  for (int got; (got = gzread(gz, buffer, sizeof buffer)) > 0;) out.append(buffer, got);
  gzclose(gz);
  return out;
}

// The real gzip writer, cut off after `budget` uncompressed bytes, whose close may fail.
CacheSinkOpener FailingOpener(std::size_t budget, bool fail_close = false) {
  class Sink : public CacheFileSink {
   public:
    Sink(std::unique_ptr<CacheFileSink> real, std::size_t budget, bool fail_close)
        : real_(std::move(real)), budget_(budget), fail_close_(fail_close) {}
    bool Write(const void* data, std::size_t size) override {
      const std::size_t taken = std::min(size, budget_);
      budget_ -= taken;
      return real_->Write(data, taken) && taken == size;
    }
    bool Close() override { return real_->Close() && !fail_close_; }

   private:
    std::unique_ptr<CacheFileSink> real_;
    std::size_t budget_;
    bool fail_close_;
  };
  return [=](const fs::path& file) -> std::unique_ptr<CacheFileSink> {
    auto real = OpenGzipCacheSink(file);
    if (!real) return nullptr;
    return std::make_unique<Sink>(std::move(real), budget, fail_close);
  };
}

std::pair<Records, CacheLoadSummary> Load(const fs::path& file) {
  Records records;
  const CacheLoadSummary summary = LoadCacheFile(file, [&](const CacheRecord& r) {
    records.push_back({r.key, r.value, r.player});
  });
  return {records, summary};
}

CacheSaveFault Save(const fs::path& file, const Records& records,
                    const CacheSinkOpener& open = OpenGzipCacheSink) {
  return SaveCacheFile(
      file,
      [&](CacheRecordWriter& writer) {
        for (const RefRecord& r : records)
          if (!writer.WriteRecord({r.key, r.value, r.player})) return false;
        return true;
      },
      open);
}

// Surrogates and their neighbours, and a value longer than the writer's buffer.
const Records kSample = {{u"", u"", u""},
                         {u"20150704gm-0009-0000-0a1b2c3d&tw=0", u"1,2,3", u"player"},
                         {u"\U0001F600", u"\uD7FF\uE000\uFFFF", u"\u6771\u5357"},
                         {u"long", std::u16string(40000, u'\u3042'), u""},
                         {u"x", u"\u0100", u"\u00FF"}};

TEST(CacheFile, SavesTheLayoutAsGzipLevel9AndReadsGzipOrPlain) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(Save(file, kSample), CacheSaveFault::kNone);
  const std::string raw = ReadBytes(file);
  EXPECT_EQ(raw.substr(0, 3) + raw.substr(8, 1), std::string("\x1f\x8b\x08\x02"));  // level 9
  EXPECT_EQ(Gunzip(file), Layout(kSample));
  EXPECT_FALSE(fs::exists(CacheTempPath(file)));

  WriteBytes(folder / "plain.dat", Layout(kSample));
  for (const char* name : {"00.dat", "plain.dat"}) {
    const auto [records, summary] = Load(folder / name);
    EXPECT_EQ(records, kSample) << name;
    EXPECT_FALSE(summary.read.damaged);
  }
  const auto [none, missing] = Load(folder / "missing.dat");
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(missing.opened);
}

TEST(CacheFile, DataCutAtEveryByteKeepsTheCompleteRecords) {
  TempFolder folder;
  const Records records = {
      {u"a", u"1", u"p"}, {u"bc", u"", u""}, {u"\U00020000", u"v\u00E9", u"q"}};
  const std::string full = Layout(records);
  std::vector<std::size_t> ends;
  for (std::size_t i = 1; i <= records.size(); ++i)
    ends.push_back(Layout({records.begin(), records.begin() + i}).size());
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    WriteBytes(folder / "cut.dat", full.substr(0, cut));
    const auto [loaded, summary] = Load(folder / "cut.dat");
    const auto complete = static_cast<std::size_t>(
        std::count_if(ends.begin(), ends.end(), [&](std::size_t end) { return end <= cut; }));
    EXPECT_EQ(loaded, Records(records.begin(), records.begin() + complete));
    EXPECT_EQ(summary.read.records, complete);
    EXPECT_EQ(summary.read.version.has_value(), cut >= 4);
    const bool at_boundary = cut <= 4 || std::find(ends.begin(), ends.end(), cut) != ends.end();
    EXPECT_EQ(summary.read.damaged, !at_boundary);
  }
}

// Loaded into the store as at start-up too, so that the sanitizers see every path.
TEST(CacheFile, GzipFilesCutShortOrWithBitsFlippedLoadWhatTheyCan) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  ASSERT_EQ(Save(file, kSample), CacheSaveFault::kNone);
  const std::string good = ReadBytes(file);
  const auto load = [&](const std::string& bytes) {
    WriteBytes(file, bytes);
    const auto [records, summary] = Load(file);
    EXPECT_EQ(summary.read.records, records.size());
    const LogAnaCache store(LogAnaCache::Options{file});
    EXPECT_LE(store.size(), records.size());  // a key may come twice
    EXPECT_FALSE(store.dirty());
    return records;
  };
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    const Records loaded = load(good.substr(0, cut));
    ASSERT_LE(loaded.size(), kSample.size());
    EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), kSample.begin())) << "cut at " << cut;
  }
  std::mt19937 random(20150714);
  for (int i = 0; i < 1500; ++i) {
    std::string bytes = good;
    for (int flips = 1 + i % 3; flips > 0; --flips) {
      bytes[random() % bytes.size()] ^= static_cast<char>(1 << random() % 8);
    }
    static_cast<void>(load(bytes));
  }
}

// A reader that reserved what a length claims would fail on 32 bits.
TEST(CacheFile, AbsurdLengthsAndOtherVersions) {
  TempFolder folder;
  const Records before = {{u"kept", u"value", u"p"}};
  const struct {
    int damaged_field;  // 0 key, 1 value, 2 player
    std::uint32_t length;
  } cases[] = {{0, 0xFFFFFFFFu}, {2, 0xFFFFFFFFu}, {1, 0x80000000u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "field " << c.damaged_field << " length " << c.length);
    std::string bytes = Layout(before);
    for (int i = 0; i <= c.damaged_field; ++i) {
      AppendWord(bytes, i == c.damaged_field ? c.length : 4);
      bytes.append("a\0b\0c\0d\0", 8);
    }
    WriteBytes(folder / "absurd.dat", bytes);
    const auto [records, summary] = Load(folder / "absurd.dat");
    EXPECT_EQ(records, before);
    EXPECT_TRUE(summary.read.damaged);
  }
  for (std::uint32_t version : {999u, 0u, 1001u, 0x03E80000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(version);
    WriteBytes(folder / "other.dat", Layout({{u"k", u"v", u"p"}}, version));
    const auto [records, summary] = Load(folder / "other.dat");
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(summary.read.version, version);
    EXPECT_FALSE(summary.read.damaged);
  }
}

TEST(CacheFile, FailedSaveLeavesThePreviousFileIntact) {
  TempFolder folder;
  const fs::path file = folder / "00.dat";
  const Records fresh = {{u"a", u"1", u""}, {u"b", u"22", u"q"}, {u"\U0001F600", u"\u3042", u"q"}};
  ASSERT_EQ(Save(file, {{u"old", u"kept", u"p"}}), CacheSaveFault::kNone);
  const std::string previous = ReadBytes(file);
  const std::size_t content = Layout(fresh).size();
  for (std::size_t budget = 0; budget <= content; ++budget) {
    SCOPED_TRACE("write budget " + std::to_string(budget));
    const bool whole = budget == content;
    const CacheSaveFault expected = budget < 4 ? CacheSaveFault::kWriteVersion
                                    : !whole   ? CacheSaveFault::kWriteRecords
                                               : CacheSaveFault::kClose;
    EXPECT_EQ(Save(file, fresh, FailingOpener(budget, whole)), expected);
    EXPECT_EQ(ReadBytes(file), previous);
    EXPECT_FALSE(fs::exists(CacheTempPath(file)));
  }
  fs::create_directory(CacheTempPath(file));  // the temporary file cannot be made
  EXPECT_EQ(Save(file, fresh), CacheSaveFault::kOpen);
  EXPECT_EQ(ReadBytes(file), previous);
  fs::remove(CacheTempPath(file));

  const fs::path blocked = folder / "blocked.dat";  // a folder cannot be replaced by a file
  fs::create_directories(blocked / "inside");
  EXPECT_EQ(Save(blocked, fresh), CacheSaveFault::kReplace);
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
  EXPECT_FALSE(fs::exists(CacheTempPath(blocked)));
}

class LogAnaCacheTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  const fs::path file_ = folder_ / "00.dat";
  const LogAnaCache::Options options_{file_, OpenGzipCacheSink};
};

// Keys sort in UTF-16 code units: a surrogate pair below U+FF21.
TEST_F(LogAnaCacheTest, ExitWritesPersistentEntriesInKeyOrderAndTheNextStartReadsThem) {
  const std::u16string log = u"20150704gm-0009-0000-0a1b2c3d&tw=0";
  const Records expected = {{u"", u"empty key", u""},       {log, u"12,3", u"\u6771"},
                            {u"A", u"upper", u""},          {u"a", u"lower", u""},
                            {u"\U0001F600", u"smile", u""}, {u"\uFF21", u"fullwidth", u"p1"}};
  Records puts(expected.rbegin(), expected.rend());
  puts.insert(puts.begin() + 2, {{u"#scratch", u"1", u""},
                                 {u"empty", u"", u""},
                                 {u".dot", u"x", u"p"},
                                 {u"!STATUS::SCRIPT_INFO", u"no", u""}});
  {
    LogAnaCache cache(options_);
    for (const RefRecord& r : puts) cache.Put(r.key, r.value, r.player);
    EXPECT_EQ(cache.size(), 9u);
  }
  EXPECT_EQ(Gunzip(file_), Layout(expected));
  LogAnaCache next(options_);
  Records entries;
  next.ForEachEntry([&](const CacheRecordView& e) {
    entries.push_back({std::u16string(e.key), std::u16string(e.value), std::u16string(e.player)});
  });
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(next.Get(u"#scratch"), std::nullopt);

  next.Put(u"a", u"lower", u"other");
  EXPECT_FALSE(next.dirty());
  next.Put(u"#t", u"1");
  next.Clear();
  EXPECT_EQ(next.size(), 0u);
  ASSERT_TRUE(next.SaveIfDirty().ok());
  EXPECT_EQ(Gunzip(file_), Layout({}));
}

// Kept once as "00.dat.bad": the next save replaces a file this store wrote itself.
TEST_F(LogAnaCacheTest, AFileThatDidNotLoadCompletelyIsKeptOnceBeforeItIsReplaced) {
  ASSERT_EQ(Save(file_, kSample), CacheSaveFault::kNone);
  const std::string whole = ReadBytes(file_);
  const fs::path bad = folder_ / "00.dat.bad";
  const struct {
    const char* what;
    std::string bytes;
    bool kept;
  } cases[] = {{"complete", whole, false},
               {"gzip cut in its trailer", whole.substr(0, whole.size() - 4), true},
               {"gzip cut in the middle", whole.substr(0, whole.size() / 2), true},
               {"plain, cut in a record", Layout(kSample).substr(0, 30), true},
               {"another version", Layout(kSample, 999), true},
               {"another format", "<html>", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(bad);
    WriteBytes(file_, c.bytes);
    LogAnaCache cache(options_);
    cache.Put(u"new", u"1");
    ASSERT_TRUE(cache.SaveIfDirty().ok());
    EXPECT_EQ(fs::exists(bad) ? ReadBytes(bad) : "none", c.kept ? c.bytes : "none");
    const Records saved = Load(file_).first;
    EXPECT_NE(std::find(saved.begin(), saved.end(), RefRecord{u"new", u"1", u""}), saved.end());
    WriteBytes(bad, "earlier");
    cache.Put(u"new", u"2");
    ASSERT_TRUE(cache.SaveIfDirty().ok());
    EXPECT_EQ(ReadBytes(bad), "earlier");
  }
}

}  // namespace
}  // namespace zuvelo::testing
