// The process's own store across two real runs of a program: this test program starts itself
// twice in one working folder, once to set entries through a page's cache object and exit,
// once to read them back through a new one. Only the exit itself writes "00.dat".
#include <windows.h>

#include <string>

#include "bridge/handle.h"
#include "bridge/jscript_host_win.h"
#include "logana/cache_object_win.h"
#include "objects_test.h"
#include "shell/temp_working_folder.h"

namespace zuvelo::testing {
namespace {

// The children's script, as one page would run it in each run.
constexpr const wchar_t* kFirstRun =
    LR"(
cache.set('2015071412gm-0009-0000-0a1b2c3d&tw=0', 'first', 'p1');
cache.set('#transient', 'gone');
cache.set('\u6771', '\u5357', '\u897F');
)";
constexpr const wchar_t* kSecondRun =
    L"[cache.get('2015071412gm-0009-0000-0a1b2c3d&tw=0'), cache.get('#transient'), "
    L"cache.get('\\u6771')].join('|')";

// Runs this program with one test, in `folder`; the exit code, or -1 when it did not end.
DWORD RunChild(const char* test, const std::filesystem::path& folder) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self +
                        "\" --gtest_also_run_disabled_tests --gtest_filter=CacheExitChild." + test;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const std::string where = folder.string();
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, where.c_str(),
                        &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  unique_kernel_handle child(process.hProcess), thread(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(child.get(), 120000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(child.get(), &code);
  } else {
    ::TerminateProcess(child.get(), code);  // a box would wait for ever
  }
  return code;
}

using Entries = std::vector<std::u16string>;

class CacheExitTest : public ObjectsTest {};

TEST_F(CacheExitTest, TheExitWritesTheStoreAndTheNextStartReadsItThroughTheObject) {
  TempWorkingFolder folder;
  ASSERT_EQ(RunChild("DISABLED_SetsEntriesAndExits", folder.path()), 0u);
  Entries written;
  LoadCacheFile(folder / "00.dat", [&](const CacheRecord& r) {
    written.push_back(std::u16string(r.key) + u"=" + r.value + u"/" + r.player);
  });
  EXPECT_EQ(written,
            (Entries{u"2015071412gm-0009-0000-0a1b2c3d&tw=0=first/p1", u"\u6771=\u5357/\u897F"}));
  EXPECT_EQ(RunChild("DISABLED_ReadsEntriesAtStart", folder.path()), 0u);
}

// The children: no trace receiver (the parent holds the port), no box hook.
class CacheExitChild : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine_.ok());
    ASSERT_EQ(engine_.AddNamedItem(L"cache", cache_.get()), S_OK);
  }
  void TearDown() override { engine_.Close(); }

  JScriptHost engine_;
  com_ptr<IDispatchCacheImpl> cache_ = IDispatchCacheImpl::Create();
};

TEST_F(CacheExitChild, DISABLED_SetsEntriesAndExits) {
  ASSERT_EQ(engine_.Run(kFirstRun), S_OK);
  EXPECT_FALSE(std::filesystem::exists("00.dat"));
  EXPECT_TRUE(ProcessCacheStore().dirty());
}

TEST_F(CacheExitChild, DISABLED_ReadsEntriesAtStart) {
  unique_variant seen;
  ASSERT_EQ(engine_.Evaluate(kSecondRun, seen.get()), S_OK);
  EXPECT_EQ(TextOf(seen), L"first||\u5357");
  EXPECT_FALSE(ProcessCacheStore().dirty());
}

}  // namespace
}  // namespace zuvelo::testing
