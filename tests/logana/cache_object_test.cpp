// The cache object as pages use it, over "./00.dat" and a real "./config.ini".
#include "logana/cache_object_win.h"

#include <optional>

#include "logana_page_test.h"
#include "shell/services/settings_win.h"
#include "shell/temp_working_folder.h"
#include "support/file_bytes.h"

namespace zuvelo::testing {
namespace {

class CacheObjectTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    store_.emplace();
    store_->SetSaveFaultHandler(ShowCacheSaveFault);
    cache_ = IDispatchCacheImpl::Create(*store_);
    ASSERT_EQ(script_.AddNamedItem(L"cache", cache_.get()), S_OK);
    EXPECT_EQ(Trace(), Lines{"IDispatchCacheImpl CONSTRUCT\r\n"});
  }
  void Exit() {
    script_.Close();
    EXPECT_EQ(RefCount(cache_.get()), 1u);
    store_.reset();
  }
  void TearDown() override {
    PageTest::TearDown();
    Exit();
  }

  TempWorkingFolder folder_;
  std::optional<LogAnaCache> store_;
  com_ptr<IDispatchCacheImpl> cache_;
};

TEST_F(CacheObjectTest, GetAndSetGoToTheStoreAndOtherArgumentTypesChangeNothing) {
  const struct {
    const wchar_t* code;
    const wchar_t* seen;
    bool dirty;
  } steps[] = {{L"cache.get('k')", L"", false},
               {L"cache.set('k', 'red', 'p'), cache.get('k')", L"red", true},
               {L"cache.set('k', 'blue'), cache.get('k')", L"blue", true},
               {L"cache.set('#x', '1'), cache.get('#x')", L"1", false},
               {L"cache.set('e', ''), typeof cache.get('e')", L"string", false},
               {L"cache.set('', 'no key'), cache.get('')", L"no key", true},
               {L"cache.get(5)", L"undefined", false},
               {L"cache.set('k')", L"undefined", false},
               {L"cache.set('k', 5)", L"undefined", false},
               {L"cache.set(5, 'w')", L"undefined", false},
               {L"cache.set('k', 'v', 'p2', 'more')", L"undefined", true},
               {L"cache.get('k', 'ignored')", L"v", false},
               {L"cache.set('k', 'w', 7), cache.get('k')", L"w", true},
               {L"cache.set('k', ''), cache.get('k')", L"", true}};
  for (const auto& s : steps) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(s.code)));
    store_->SaveIfDirty();
    EXPECT_EQ(Text(L"(" + std::wstring(s.code) + L")"), s.seen);
    EXPECT_EQ(store_->dirty(), s.dirty);
  }
  std::u16string entries;
  store_->ForEachEntry([&](const CacheRecordView& e) {
    entries.append(e.key).append(u"=").append(e.value).append(u"/").append(e.player).append(u";");
  });
  EXPECT_EQ(entries, u"=no key/;#x=1/;e=/;k=/p2;");

  Trace();
  unique_variant missing;
  ASSERT_EQ(
      InvokeWith(cache_.get(), 102, DISPATCH_METHOD, Args(variant_text(L"none")), missing.get()),
      S_OK);
  EXPECT_TRUE(missing.type() == VT_BSTR && V_BSTR(missing.get()) == nullptr);
  EXPECT_EQ(Attempt(L"cache.get = 1;"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(Attempt(L"cache.Get('k');"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(Trace(), Lines{"IDispatchCacheImpl GetIDsOfNames UNKNOWN Get\r\n"});
}

// A line break would let the page's own key set the trusted start pages and the log folder.
TEST_F(CacheObjectTest, SettingsKeysReadAnySettingAndWriteOnlyTheScriptsOwnWithoutLineBreaks) {
  WriteLogPathSetting("C:\\logs");
  ASSERT_EQ(
      script_.Run(L"function tryset(k, v) { return attempt(function () { cache.set(k, v); }); }"),
      S_OK);
  const std::wstring locked = ErrorNumber(DISP_E_ARRAYISLOCKED),
                     invalid = ErrorNumber(E_INVALIDARG);
  const struct {
    const wchar_t* code;
    std::wstring seen;
    const char* script_info;  // in the file afterwards; null: no such key
  } cases[] = {
      {L"cache.set('!STATUS::SCRIPT_INFO', 'x=1;y=2')", L"undefined", "x=1;y=2"},
      {L"cache.get('!STATUS::SCRIPT_INFO')", L"x=1;y=2", "x=1;y=2"},
      {L"cache.get('!LOG::PATH')", L"C:\\logs", "x=1;y=2"},
      {L"cache.get('!NO::SUCH')", L"", "x=1;y=2"},
      {L"typeof cache.get('!A::B::C')", L"undefined", "x=1;y=2"},
      {L"tryset('!LOG::PATH', 'D:\\\\')", locked, "x=1;y=2"},
      {L"tryset('!status::SCRIPT_INFO', 'z')", locked, "x=1;y=2"},
      {L"tryset('!A', 'z')", L"ok", "x=1;y=2"},
      {L"tryset('!STATUS::SCRIPT_INFO::x', 'z')", L"ok", "x=1;y=2"},
      {L"cache.set('!STATUS::SCRIPT_INFO')", L"undefined", "x=1;y=2"},  // one argument
      {LR"(tryset('!STATUS::SCRIPT_INFO', 'x\nSCRIPT_HOME=http://e/'))", invalid, "x=1;y=2"},
      {LR"(tryset('!STATUS::SCRIPT_INFO', 'x\rGAME_HOME=http://e/'))", invalid, "x=1;y=2"},
      {LR"(tryset('!STATUS::SCRIPT_INFO', 'x\u0000y'))", invalid, "x=1;y=2"},
      {LR"(tryset('!STATUS::SCRIPT_INFO\r\nGAME_HOME=http://e/', 'v'))", invalid, "x=1;y=2"},
      {LR"(tryset('!STATUS\n[LOG]::SCRIPT_INFO', 'v'))", invalid, "x=1;y=2"},
      {LR"(tryset('!STATUS::SCRIPT_INFO\u0000', 'v'))", invalid, "x=1;y=2"},
      {LR"(tryset('!A\r\n', 'v'))", invalid, "x=1;y=2"},
      {L"cache.set('!STATUS::SCRIPT_INFO', 'again')", L"undefined", "again"},
      {L"cache.set('!STATUS::SCRIPT_INFO', '')", L"undefined", nullptr},
      {L"cache.set('!STATUS::SCRIPT_INFO', 'back')", L"undefined", "back"},
      {L"cache.set('!STATUS::SCRIPT_INFO', 0)", L"undefined", nullptr}  // not a text: none
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.code)));
    const std::string before = ReadBytes("config.ini");
    EXPECT_EQ(Text(c.code), c.seen);
    const std::string text = ReadBytes("config.ini");
    if (c.seen == locked || c.seen == invalid) {
      EXPECT_EQ(text, before);
    }
    if (c.script_info) {
      EXPECT_NE(text.find(std::string("SCRIPT_INFO=") + c.script_info), std::string::npos) << text;
    } else {
      EXPECT_EQ(text.find("SCRIPT_INFO"), std::string::npos) << text;
    }
  }
  EXPECT_EQ(store_->size(), 0u);
  EXPECT_FALSE(store_->dirty());
  ASSERT_EQ(script_.Run(L"cache.set('!STATUS::SCRIPT_INFO', new Array(1501).join('w'));"), S_OK);
  EXPECT_EQ(Text(L"cache.get('!STATUS::SCRIPT_INFO').length"), L"1023");
}

TEST_F(CacheObjectTest, AFailedSaveAtExitIsShown) {
  std::filesystem::create_directories(folder_ / "00.dat" / "inside");
  ASSERT_EQ(script_.Run(L"cache.set('k', 'v');"), S_OK);
  Exit();
  ExpectOneBox(boxes_, nullptr, MB_OK, "SaveCache failed\r\n");
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "00.dat" / "inside"));
}

}  // namespace
}  // namespace zuvelo::testing
