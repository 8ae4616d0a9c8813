// The cache object as pages use it: entries and their key kinds, the player text rule, the
// settings keys on a real "./config.ini", argument types, clear, method values, and what one
// run leaves in "00.dat" for the next. Each test runs in a temporary working folder.
#include "logana/cache_object_win.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "bridge/jscript_host_win.h"
#include "objects_test.h"
#include "shell/settings_win.h"
#include "shell/temp_working_folder.h"

namespace zuvelo::testing {
namespace {

constexpr const wchar_t* kHelpers =
    LR"(
function attempt(f) {
  try { return 'ok:' + f(); } catch (e) { return 'error:' + (e.number >>> 0).toString(16); }
}
)";

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Entry {
  std::u16string key, value, player;
  bool operator==(const Entry&) const = default;
};
using Entries = std::vector<Entry>;

Entries EntriesOf(const LogAnaCache& store) {
  Entries entries;
  store.ForEachEntry([&](const CacheRecordView& e) {
    entries.push_back({std::u16string(e.key), std::u16string(e.value), std::u16string(e.player)});
  });
  return entries;
}

Entries EntriesInFile(const std::filesystem::path& file) {
  Entries entries;
  LoadCacheFile(file, [&](const CacheRecord& r) { entries.push_back({r.key, r.value, r.player}); });
  return entries;
}

// One run of the program as far as the cache goes: the store loaded from "00.dat" at the
// start, a page with a cache object, and the save at the exit.
class CacheRun {
 public:
  explicit CacheRun(const std::filesystem::path& file, CacheSinkOpener open = OpenGzipCacheSink)
      : store_(LogAnaCache::Options{file, std::move(open)}) {
    store_.SetSaveFaultHandler(ShowCacheSaveFault);
    cache_ = IDispatchCacheImpl::Create(store_);
    engine_.AddNamedItem(L"cache", cache_.get());
    engine_.Run(kHelpers);
  }
  ~CacheRun() {
    EXPECT_TRUE(engine_.TakeErrors().empty());
    engine_.Close();
    EXPECT_EQ(RefCount(cache_.get()), 1u);
  }

  std::wstring Eval(const std::wstring& expression) {
    unique_variant value;
    EXPECT_EQ(engine_.Evaluate(expression, value.get()), S_OK)
        << "in " << ::testing::PrintToString(expression);
    return ScriptText(value);
  }
  HRESULT Run(const wchar_t* code) { return engine_.Run(code); }
  LogAnaCache& store() { return store_; }
  IDispatchCacheImpl* cache() { return cache_.get(); }

 private:
  LogAnaCache store_;  // last to go: the exit
  JScriptHost engine_;
  com_ptr<IDispatchCacheImpl> cache_;
};

class CacheObjectTest : public ObjectsTest {
 protected:
  TempWorkingFolder folder_;
  const std::filesystem::path file_ = folder_ / "00.dat";
};

TEST_F(CacheObjectTest, EntriesKeepTheirValueAndTheFirstPlayerOfThatValue) {
  CacheRun run(file_);
  EXPECT_EQ(Trace(), Lines{"IDispatchCacheImpl CONSTRUCT\r\n"});
  struct Step {
    const wchar_t* code;
    const wchar_t* seen;
    bool dirty;
  };
  const Step steps[] = {
      {L"cache.get('k')", L"", false},  // never set: a null text, empty in script
      {L"cache.set('k', 'red', 'p'); cache.get('k')", L"red", true},
      {L"cache.set('k', 'red', 'q'); cache.get('k')", L"red", false},
      {L"cache.set('k', 'blue', 'q'); cache.get('k')", L"blue", true},
      {L"cache.set('k', 'blue'); cache.get('k')", L"blue", false},
      {L"cache.set('#x', '1'); cache.set('.y', '2'); cache.get('#x') + cache.get('.y')", L"12",
       false},
      {L"cache.set('e', ''); typeof cache.get('e')", L"string", false},
      {L"cache.set('', 'no key'); cache.get('')", L"no key", true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(s.code)));
    run.store().SaveIfDirty();
    EXPECT_FALSE(run.store().dirty());
    EXPECT_EQ(run.Eval(s.code), s.seen);
    EXPECT_EQ(run.store().dirty(), s.dirty);
  }
  EXPECT_EQ(EntriesOf(run.store()), (Entries{{u"", u"no key", u""},
                                             {u"#x", u"1", u""},
                                             {u".y", u"2", u""},
                                             {u"e", u"", u""},
                                             {u"k", u"blue", u"q"}}));
}

TEST_F(CacheObjectTest, ArgumentsOfOtherTypesChangeNothing) {
  CacheRun run(file_);
  ASSERT_EQ(run.Run(L"cache.set('k', 'v', 'p');"), S_OK);
  run.store().SaveIfDirty();
  EXPECT_EQ(Trace(), (Lines{"IDispatchCacheImpl CONSTRUCT\r\n", "LogAnaCache Save 1\r\n"}));
  struct Case {
    const wchar_t* code;
    const wchar_t* seen;
  };
  const Case cases[] = {
      {L"cache.get()", L"undefined"},       {L"cache.get(5)", L"undefined"},
      {L"cache.get(null)", L"undefined"},   {L"cache.set()", L"undefined"},
      {L"cache.set('k')", L"undefined"},    {L"cache.set('k', 5)", L"undefined"},
      {L"cache.set(5, 'w')", L"undefined"}, {L"cache.set('k', 'v', 'p2', 'more')", L"undefined"},
      {L"cache.get('k', 'ignored')", L"v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.code)));
    EXPECT_EQ(run.Eval(c.code), c.seen);
  }
  EXPECT_FALSE(run.store().dirty());
  // A player text that is not a text is no player text: the value changes, the player not.
  EXPECT_EQ(run.Eval(L"cache.set('k', 'w', 7); cache.get('k')"), L"w");
  EXPECT_EQ(EntriesOf(run.store()), (Entries{{u"k", u"w", u"p"}}));

  // The null text of a missing entry, and a result that is never written.
  unique_variant missing;
  ASSERT_EQ(Call(run.cache(), 102, DISPATCH_METHOD, Args({L"none"}), missing.get()), S_OK);
  ASSERT_EQ(missing.type(), VT_BSTR);
  EXPECT_EQ(V_BSTR(missing.get()), nullptr);
  unique_variant untouched = variant_i4(42);
  ASSERT_EQ(Call(run.cache(), 103, DISPATCH_METHOD, Args({L"a", L"b"}), untouched.get()), S_OK);
  EXPECT_EQ(untouched.type(), VT_I4);
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(CacheObjectTest, SettingsKeysReadAnySettingAndWriteOnlyTheScriptsOwn) {
  CacheRun run(file_);
  WriteLogPathSetting("C:\\logs");
  struct Case {
    const wchar_t* code;
    const wchar_t* seen;
    const char* script_info;  // in the file afterwards; null: no such key
  };
  const Case cases[] = {
      {L"cache.set('!STATUS::SCRIPT_INFO', 'x=1;y=2')", L"undefined", "x=1;y=2"},
      {L"cache.get('!STATUS::SCRIPT_INFO')", L"x=1;y=2", "x=1;y=2"},
      {L"cache.get('!LOG::PATH')", L"C:\\logs", "x=1;y=2"},
      {L"cache.get('!NO::SUCH')", L"", "x=1;y=2"},
      {L"typeof cache.get('!A::B::C')", L"undefined", "x=1;y=2"},
      {L"typeof cache.get('!LOG')", L"undefined", "x=1;y=2"},
      {L"attempt(function () { return cache.set('!LOG::PATH', 'D:\\\\'); })", L"error:8002000d",
       "x=1;y=2"},
      {L"attempt(function () { return cache.set('!status::SCRIPT_INFO', 'z'); })",
       L"error:8002000d", "x=1;y=2"},
      {L"attempt(function () { return cache.set('!STATUS::GAME_HOME', 'z'); })", L"error:8002000d",
       "x=1;y=2"},
      {L"attempt(function () { return cache.set('!A', 'z'); })", L"ok:undefined", "x=1;y=2"},
      {L"attempt(function () { return cache.set('!STATUS::SCRIPT_INFO::x', 'z'); })",
       L"ok:undefined", "x=1;y=2"},
      {L"cache.set('!STATUS::SCRIPT_INFO')", L"undefined", "x=1;y=2"},  // one argument
      {L"cache.set('!STATUS::SCRIPT_INFO', 'again')", L"undefined", "again"},
      {L"cache.set('!STATUS::SCRIPT_INFO', '')", L"undefined", nullptr},
      {L"cache.set('!STATUS::SCRIPT_INFO', 'back')", L"undefined", "back"},
      {L"cache.set('!STATUS::SCRIPT_INFO', 0)", L"undefined", nullptr},  // not a text: none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.code)));
    EXPECT_EQ(run.Eval(c.code), c.seen);
    const std::string text = FileText(folder_ / "config.ini");
    if (c.script_info) {
      EXPECT_NE(text.find(std::string("SCRIPT_INFO=") + c.script_info), std::string::npos) << text;
    } else {
      EXPECT_EQ(text.find("SCRIPT_INFO"), std::string::npos) << text;
    }
    EXPECT_EQ(LogPathSetting(), "C:\\logs");
  }
  // None of it touched the cache.
  EXPECT_EQ(run.store().size(), 0u);
  EXPECT_FALSE(run.store().dirty());
}

TEST_F(CacheObjectTest, ScriptReadsOfSettingsStopAt1023Characters) {
  CacheRun run(file_);
  ASSERT_EQ(
      run.Run(L"var long = new Array(1501).join('w'); cache.set('!STATUS::SCRIPT_INFO', long);"),
      S_OK);
  EXPECT_EQ(run.Eval(L"cache.get('!STATUS::SCRIPT_INFO').length"), L"1023");
}

TEST_F(CacheObjectTest, ClearEmptiesEverythingAndTheNextExitWritesNoRecords) {
  {
    CacheRun first(file_);
    ASSERT_EQ(first.Run(L"cache.set('a', '1'); cache.set('#t', '2');"), S_OK);
  }
  ASSERT_EQ(EntriesInFile(file_), (Entries{{u"a", u"1", u""}}));
  Trace();
  {
    CacheRun second(file_);
    EXPECT_EQ(second.Eval(L"cache.clear(); cache.get('a') + '|' + cache.get('#t')"), L"|");
    EXPECT_EQ(second.store().size(), 0u);
    EXPECT_TRUE(second.store().dirty());
  }
  EXPECT_EQ(Trace(), (Lines{"LogAnaCache Load 1 / dwVersion=1000/1000\r\n",
                            "IDispatchCacheImpl CONSTRUCT\r\n", "LogAnaCache clear\r\n",
                            "IDispatchCacheImpl DESTRUCT\r\n", "LogAnaCache Save 0\r\n"}));
  EXPECT_TRUE(std::filesystem::exists(file_));
  EXPECT_EQ(EntriesInFile(file_), Entries{});
}

TEST_F(CacheObjectTest, WhatOneRunSetsTheNextRunGets) {
  {
    CacheRun first(file_);
    ASSERT_EQ(first.Run(LR"(
cache.set('2015071412gm-0009-0000-0a1b2c3d&tw=0', '12,3', '\u6771');
cache.set('#scratch', 'gone');
cache.set('.dot', 'gone');
cache.set('empty', '');
cache.set('z', 'last', 'p');
cache.set('\uFF21', 'fullwidth');
)"),
              S_OK);
  }
  EXPECT_EQ(Trace(), (Lines{"IDispatchCacheImpl CONSTRUCT\r\n", "IDispatchCacheImpl DESTRUCT\r\n",
                            "LogAnaCache Save 6\r\n"}));
  CacheRun second(file_);
  EXPECT_EQ(second.Eval(L"[cache.get('2015071412gm-0009-0000-0a1b2c3d&tw=0'), cache.get('z'), "
                        L"cache.get('\\uFF21'), cache.get('#scratch'), cache.get('.dot'), "
                        L"cache.get('empty')].join('|')"),
            L"12,3|last|fullwidth|||");
  // Player texts came along; transient and empty entries did not.
  EXPECT_EQ(EntriesOf(second.store()),
            (Entries{{u"2015071412gm-0009-0000-0a1b2c3d&tw=0", u"12,3", u"\u6771"},
                     {u"z", u"last", u"p"},
                     {u"\uFF21", u"fullwidth", u""}}));
  EXPECT_FALSE(second.store().dirty());
  // The same value again is no change: the next exit skips its save.
  ASSERT_EQ(second.Run(L"cache.set('z', 'last', 'other');"), S_OK);
  EXPECT_EQ(second.store().SaveIfDirty().fault, CacheSaveFault::kNone);
  EXPECT_EQ(Trace(), (Lines{"LogAnaCache Load 3 / dwVersion=1000/1000\r\n",
                            "IDispatchCacheImpl CONSTRUCT\r\n", "SKIP SAVE\r\n"}));
}

// A sink that takes `budget` bytes and refuses the rest.
class ShortSink final : public CacheFileSink {
 public:
  explicit ShortSink(std::size_t budget) : budget_(budget) {}
  bool Write(const void*, std::size_t size) override {
    if (size > budget_) return false;
    budget_ -= size;
    return true;
  }
  bool Close() override { return true; }

 private:
  std::size_t budget_;
};

TEST_F(CacheObjectTest, AFailedSaveAtExitIsShownAndKeepsTheLastGoodFile) {
  {
    CacheRun good(file_);
    ASSERT_EQ(good.Run(L"cache.set('kept', 'yes');"), S_OK);
  }
  const std::string before = FileText(file_);
  struct Case {
    std::size_t budget;
    const char* message;
  };
  for (const Case& c :
       {Case{0, "SaveCache WriteVersion failed"}, Case{4, "SaveCache failed\r\n"}}) {
    SCOPED_TRACE(c.message);
    {
      CacheRun failing(file_, [&](const std::filesystem::path&) {
        return std::unique_ptr<CacheFileSink>(new ShortSink(c.budget));
      });
      ASSERT_EQ(failing.Run(L"cache.set('kept', 'no');"), S_OK);
    }
    const std::vector<MessageBoxCall> boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_FALSE(boxes[0].caption.has_value());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(FileText(file_), before);
  }
}

TEST_F(CacheObjectTest, MethodsReadAsValuesWorkOnTheSameStoreAndHideFailures) {
  CacheRun run(file_);
  ASSERT_EQ(run.Run(L"var get = cache.get, set = cache.set, clear = cache.clear;"), S_OK);
  EXPECT_EQ(run.Eval(L"set('k', 'v'); get('k')"), L"v");
  EXPECT_EQ(run.Eval(L"attempt(function () { return set('!LOG::PATH', 'x'); })"), L"ok:undefined");
  EXPECT_EQ(run.Eval(L"clear(); get('k')"), L"");
  ASSERT_EQ(run.Run(L"get = set = clear = null; CollectGarbage();"), S_OK);
  // An unknown name reaches the trace; a write to a method is refused without a line.
  EXPECT_EQ(run.Eval(L"attempt(function () { return cache.Get('k'); })"), L"error:80020003");
  EXPECT_EQ(run.Eval(L"attempt(function () { cache.get = 1; return 0; })"), L"error:80020003");
  EXPECT_EQ(Trace(), (Lines{"IDispatchCacheImpl CONSTRUCT\r\n", "LogAnaCache clear\r\n",
                            "CFunctionObject DESTRUCT\r\n", "CFunctionObject DESTRUCT\r\n",
                            "CFunctionObject DESTRUCT\r\n",
                            "IDispatchCacheImpl GetIDsOfNames UNKNOWN Get\r\n"}));
}

}  // namespace
}  // namespace zuvelo::testing
