// The cache store over real files in a temporary folder: what an exit writes and the next
// start reads, the key kinds, the player text rule, failed saves, damaged files, trace lines.
#include "logana/logana_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cache_test_util.h"
#include "trace_capture.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;
using testing::ReferenceLayout;
using testing::RefRecord;

class LogAnaCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::TraceListening()) << "cannot listen on 127.0.0.1:514";
  }
  LogAnaCache::Options Options(CacheSinkOpener open = OpenGzipCacheSink) const {
    return {file_, std::move(open)};
  }
  void WriteFile(const std::vector<RefRecord>& records) {
    testing::WriteGzip(file_, ReferenceLayout(1000, records));
  }
  [[nodiscard]] std::string Content() const { return testing::Gunzip(file_); }
  // Port 514 is shared by every program on the machine, and another test listening there at
  // the same moment takes some of our lines; so a scenario runs again until its line is seen.
  // A line that is never traced still fails every attempt.
  static ::testing::AssertionResult TracedWhile(const std::string& line,
                                                const std::function<void()>& scenario) {
    std::vector<std::string> lines;
    for (int attempt = 0; attempt < 5; ++attempt) {
      testing::TakeTraceLines();
      scenario();
      lines = testing::TakeTraceLines();
      if (std::find(lines.begin(), lines.end(), line) != lines.end())
        return ::testing::AssertionSuccess();
    }
    auto failure = ::testing::AssertionFailure() << "not traced; last received:";
    for (const std::string& l : lines) failure << "\n  " << ::testing::PrintToString(l);
    return failure;
  }

  testing::TempFolder folder_;
  const fs::path file_ = folder_ / "00.dat";
};

std::vector<std::u16string> Keys(const LogAnaCache& cache) {
  std::vector<std::u16string> keys;
  cache.ForEachEntry([&](const CacheRecordView& e) { keys.emplace_back(e.key); });
  return keys;
}

std::u16string PlayerOf(const LogAnaCache& cache, std::u16string_view key) {
  std::u16string player = u"<none>";
  cache.ForEachEntry([&](const CacheRecordView& e) {
    if (e.key == key) player = e.player;
  });
  return player;
}

TEST_F(LogAnaCacheTest, ExitWritesPersistentEntriesAndTheNextStartReadsThem) {
  EXPECT_TRUE(TracedWhile("LogAnaCache Save 9\r\n", [&] {
    fs::remove(file_);
    LogAnaCache cache(Options());
    cache.Put(u"\uFF21", u"fullwidth", u"p1");
    cache.Put(u"#scratch", u"1");
    cache.Put(u"20150704gm-0009-0000-0a1b2c3d&tw=0", u"12,3", u"\u6771");
    cache.Put(u"empty", u"");
    cache.Put(u".dot", u"x", u"p");
    cache.Put(u"\U0001F600", u"smile");
    cache.Put(u"!STATUS::SCRIPT_INFO", u"not here");
    cache.Put(u"a", u"lower");
    cache.Put(u"", u"empty key");
    cache.Put(u"A", u"upper", u"");
    EXPECT_TRUE(cache.dirty());
  }));
  const std::vector<RefRecord> expected = {
      {u"", u"empty key", u""},       {u"20150704gm-0009-0000-0a1b2c3d&tw=0", u"12,3", u"\u6771"},
      {u"A", u"upper", u""},          {u"a", u"lower", u""},
      {u"\U0001F600", u"smile", u""}, {u"\uFF21", u"fullwidth", u"p1"},
  };
  EXPECT_EQ(Content(), ReferenceLayout(1000, expected));

  std::optional<LogAnaCache> next;
  EXPECT_TRUE(TracedWhile("LogAnaCache Load 6 / dwVersion=1000/1000\r\n",
                          [&] { next.emplace(Options()); }));
  EXPECT_FALSE(next->dirty());
  for (const RefRecord& r : expected) {
    EXPECT_EQ(next->Get(r.key), r.value);
    EXPECT_EQ(PlayerOf(*next, r.key), r.player);
  }
  for (const char16_t* gone : {u"#scratch", u".dot", u"empty", u"!STATUS::SCRIPT_INFO"})
    EXPECT_EQ(next->Get(gone), std::nullopt);
}

// Unsigned code units, not code points: surrogates (U+D800..U+DFFF) sort below U+E000.
TEST_F(LogAnaCacheTest, KeysAreOrderedByUtf16CodeUnits) {
  const std::vector<std::u16string> ordered = {
      u"",           u"A",          u"AB",         u"B",      u"a",      u"\u00E9", u"\uD7FF",
      u"\U00010000", u"\U0001F600", u"\U0010FFFF", u"\uE000", u"\uFF21", u"\uFFFF",
  };
  LogAnaCache cache(Options());
  for (std::size_t i = 0; i < ordered.size(); ++i)
    cache.Put(ordered[(i * 5) % ordered.size()], u"v");
  EXPECT_EQ(Keys(cache), ordered);
}

TEST_F(LogAnaCacheTest, UnchangedValueKeepsTheStoreCleanAndSkipsTheSave) {
  WriteFile({{u"k", u"v", u"p"}});
  const std::string before = testing::ReadBytes(file_);
  EXPECT_TRUE(TracedWhile("SKIP SAVE\r\n", [&] {
    LogAnaCache cache(Options());
    cache.Put(u"k", u"v", u"other");
    EXPECT_FALSE(cache.dirty());
    EXPECT_EQ(PlayerOf(cache, u"k"), u"p");
  }));
  EXPECT_EQ(testing::ReadBytes(file_), before);
}

TEST_F(LogAnaCacheTest, TransientKeysNeverMakeTheStoreDirty) {
  {
    LogAnaCache cache(Options());
    cache.Put(u"#x", u"1");
    cache.Put(u".y", u"2", u"p");
    EXPECT_EQ(cache.Get(u"#x"), u"1");
    EXPECT_FALSE(cache.dirty());
  }
  EXPECT_FALSE(fs::exists(file_));
  LogAnaCache next(Options());
  EXPECT_EQ(next.size(), 0u);
}

TEST_F(LogAnaCacheTest, EmptyValueIsKeptInMemoryButNotInTheFile) {
  LogAnaCache cache(Options());
  cache.Put(u"k", u"");
  EXPECT_EQ(cache.Get(u"k"), u"");
  EXPECT_FALSE(cache.dirty());
  cache.Put(u"k", u"v");
  cache.Put(u"other", u"o");
  ASSERT_TRUE(cache.SaveIfDirty().ok());
  cache.Put(u"k", u"");
  EXPECT_TRUE(cache.dirty());
  ASSERT_TRUE(cache.SaveIfDirty().ok());
  EXPECT_EQ(Content(), ReferenceLayout(1000, {{u"other", u"o", u""}}));
  EXPECT_EQ(cache.Get(u"k"), u"");
}

TEST_F(LogAnaCacheTest, PlayerTextChangesOnlyWithTheValue) {
  LogAnaCache cache(Options());
  cache.Put(u"k", u"red", u"p");
  cache.Put(u"k", u"red", u"q");
  EXPECT_EQ(PlayerOf(cache, u"k"), u"p");
  cache.Put(u"k", u"blue", u"q");
  EXPECT_EQ(PlayerOf(cache, u"k"), u"q");
  cache.Put(u"k", u"green");
  EXPECT_EQ(PlayerOf(cache, u"k"), u"q");
  EXPECT_EQ(cache.Get(u"k"), u"green");
  EXPECT_EQ(cache.Get(u"never"), std::nullopt);
}

TEST_F(LogAnaCacheTest, ClearRemovesEverythingAndTheExitWritesNoRecords) {
  EXPECT_TRUE(TracedWhile("LogAnaCache clear\r\n", [&] {
    WriteFile({{u"k", u"v", u"p"}});
    LogAnaCache cache(Options());
    cache.Put(u"#t", u"1");
    cache.Clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_TRUE(cache.dirty());
  }));
  EXPECT_EQ(Content(), ReferenceLayout(1000, {}));
}

TEST_F(LogAnaCacheTest, FailedSaveKeepsTheFileAndTellsTheUser) {
  struct Case {
    std::size_t budget;
    bool fail_close;
    const char* message;
  };
  const Case cases[] = {
      {0, false, "SaveCache WriteVersion failed"}, {3, false, "SaveCache WriteVersion failed"},
      {4, false, "SaveCache failed\r\n"},          {20, false, "SaveCache failed\r\n"},
      {1 << 20, true, "SaveCache failed\r\n"},
  };
  WriteFile({{u"old", u"kept", u"p"}});
  const std::string before = testing::ReadBytes(file_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.budget);
    std::vector<std::string> shown;
    {
      LogAnaCache cache(Options(testing::FailingOpener(c.budget, c.fail_close)));
      cache.SetSaveFaultHandler([&](const CacheSaveResult& r) { shown.push_back(r.message); });
      cache.Put(u"new", u"value");
      EXPECT_EQ(cache.SaveIfDirty().message, c.message);
      EXPECT_TRUE(cache.dirty());
      EXPECT_EQ(testing::ReadBytes(file_), before);
    }
    EXPECT_EQ(shown, std::vector<std::string>{c.message});
    EXPECT_EQ(testing::ReadBytes(file_), before);
  }
}

TEST_F(LogAnaCacheTest, DamagedFilesLoadWhatPrecedesTheDamage) {
  const std::vector<RefRecord> two = {{u"a", u"1", u""}, {u"b", u"2", u"p"}};
  std::string absurd = ReferenceLayout(1000, two);
  testing::AppendWord(absurd, 0xFFFFFFF0u);
  absurd += "tail";
  const std::string whole = ReferenceLayout(1000, two);
  struct Case {
    const char* name;
    std::string content;
    std::size_t entries;
    const char* line;
  };
  const Case cases[] = {
      {"version 999", ReferenceLayout(999, two), 0, "LogAnaCache Load 0 / dwVersion=999/1000\r\n"},
      {"empty file", "", 0, "LogAnaCache Load 0 / dwVersion=-1/1000\r\n"},
      {"three bytes", whole.substr(0, 3), 0, "LogAnaCache Load 0 / dwVersion=-1/1000\r\n"},
      {"absurd length", absurd, 2, "LogAnaCache Load 2 / dwVersion=1000/1000\r\n"},
      {"cut in a record", whole.substr(0, whole.size() - 1), 1,
       "LogAnaCache Load 1 / dwVersion=1000/1000\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::WriteGzip(file_, c.content);
    EXPECT_TRUE(TracedWhile(c.line, [&] {
      LogAnaCache cache(Options());
      EXPECT_EQ(cache.size(), c.entries);
      EXPECT_FALSE(cache.dirty());
    }));
  }
}

TEST_F(LogAnaCacheTest, MissingFileStartsEmptyWithoutATraceLine) {
  testing::TakeTraceLines();
  LogAnaCache cache(Options());
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_FALSE(cache.dirty());
  for (const std::string& line : testing::TakeTraceLines())
    EXPECT_EQ(line.rfind("LogAnaCache Load", 0), std::string::npos) << line;
}

TEST(CacheKeys, KindsAndSettingsKeys) {
  struct Case {
    std::u16string key;
    CacheKeyKind kind;
    bool splits;
    std::u16string section, name;
    bool writable;
  };
  const Case cases[] = {
      {u"!STATUS::SCRIPT_INFO", CacheKeyKind::kSettings, true, u"STATUS", u"SCRIPT_INFO", true},
      {u"!LOG::PATH", CacheKeyKind::kSettings, true, u"LOG", u"PATH", false},
      {u"!status::SCRIPT_INFO", CacheKeyKind::kSettings, true, u"status", u"SCRIPT_INFO", false},
      {u"!::", CacheKeyKind::kSettings, true, u"", u"", false},
      {u"!A:::B", CacheKeyKind::kSettings, true, u"A", u":B", false},
      {u"!A", CacheKeyKind::kSettings, false, {}, {}, false},
      {u"!A::B::C", CacheKeyKind::kSettings, false, {}, {}, false},
      {u"#STATUS::SCRIPT_INFO", CacheKeyKind::kTransient, false, {}, {}, false},
      {u".x", CacheKeyKind::kTransient, false, {}, {}, false},
      {u"x!", CacheKeyKind::kPersistent, false, {}, {}, false},
      {u"", CacheKeyKind::kPersistent, false, {}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key.begin(), c.key.end()));
    EXPECT_EQ(ClassifyCacheKey(c.key), c.kind);
    const std::optional<SettingsKey> split = SplitSettingsKey(c.key);
    ASSERT_EQ(split.has_value(), c.splits);
    if (!split) continue;
    EXPECT_EQ(split->section, c.section);
    EXPECT_EQ(split->name, c.name);
    EXPECT_EQ(IsWritableSetting(*split), c.writable);
  }
}

}  // namespace
}  // namespace zuvelo
