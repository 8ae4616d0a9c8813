// Start-up's pure decisions and the working folder: the program name as _splitpath cuts it, the
// two conditions of the analyzer-only mode, and the folder under local application data.
#include "shell/startup_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <string>

namespace zuvelo {
namespace {

TEST(StartupTest, TheProgramNameIsTheFileNameWithoutFolderAndExtension) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"C:\\Games\\logana.exe", "logana"},
      {"C:\\Games\\zuvelo.exe", "zuvelo"},
      {"D:/tools/logana.EXE", "logana"},
      {"C:\\a.b\\logana", "logana"},
      {"C:\\Games\\logana.old.exe", "logana.old"},
      {"C:logana.exe", "logana"},
      {"logana.exe", "logana"},
      {"C:\\Games\\", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ProgramName(c.path), c.name);
  }
}

TEST(StartupTest, AnalyzerOnlyNeedsTheWorkingFolderCurrentAndTheNameLogana) {
  const std::string working = "C:\\Users\\me\\AppData\\Local\\Q-ORB\\zuvelo\\130";
  struct Case {
    std::string current;
    const char* program;
    bool analyzer_only;
  };
  const Case cases[] = {
      {working, "C:\\Games\\logana.exe", true},
      {working, "C:\\Games\\zuvelo.exe", false},
      {working, "C:\\Games\\LOGANA.exe", false},
      {working, "C:\\Games\\Logana.exe", false},
      {working, "C:\\Games\\logana2.exe", false},
      {"C:\\Games", "C:\\Games\\logana.exe", false},
      {"c:\\users\\me\\appdata\\local\\q-orb\\zuvelo\\130", "C:\\Games\\logana.exe", false},
      {working + "\\", "C:\\Games\\logana.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current + " " + c.program);
    EXPECT_EQ(IsAnalyzerOnlyStart(c.current, working, c.program), c.analyzer_only);
  }
}

TEST(StartupTest, TheWorkingFolderIsMadeLevelByLevelUnderLocalApplicationData) {
  PWSTR local = nullptr;
  ASSERT_TRUE(SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)));
  const std::filesystem::path expected = std::filesystem::path(local) / "Q-ORB" / "zuvelo" / "130";
  ::CoTaskMemFree(local);
  const std::string first = MakeWorkingFolder();
  EXPECT_EQ(std::filesystem::path(first), expected);
  EXPECT_TRUE(std::filesystem::is_directory(first));
  EXPECT_EQ(MakeWorkingFolder(), first) << "existing levels are fine";
}

}  // namespace
}  // namespace zuvelo
