// The settings file through the real profile functions in a temporary working folder: the
// defaults without a file, writes that reach the file at once, edits that the next read sees,
// buffer sizes, the log folder resolution and the layout of logs under the log folder.
#include "shell/settings_win.h"

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>

#include "net/service_address.h"
#include "shell/temp_working_folder.h"

namespace zuvelo {
namespace {

using testing::TempWorkingFolder;

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// The documents folder asked of the platform another way than the program asks.
std::string DocumentsFolder() {
  PWSTR wide = nullptr;
  std::string narrow;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &wide))) {
    char buffer[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, MAX_PATH, nullptr, nullptr);
    narrow = buffer;
  }
  ::CoTaskMemFree(wide);
  return narrow;
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Windows keeps the read-only attribute of a folder; Wine drops it, but shows a folder that
// its owner may not write to as read-only, which a DACL granting only reading makes.
bool MakeReadOnlyFolder(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr) &&
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) && IsReadOnly(path)) {
    return true;
  }
  ::RemoveDirectoryA(path.c_str());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
          "D:P(A;OICI;GRGX;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  ::CreateDirectoryA(path.c_str(), &security);
  ::LocalFree(descriptor);
  return IsReadOnly(path);
}

class SettingsTest : public ::testing::Test {
 protected:
  TempWorkingFolder folder_;
  const std::filesystem::path file_ = folder_ / "config.ini";
};

TEST_F(SettingsTest, WithoutAFileEveryKeyReadsItsDefaultAndNothingIsMade) {
  EXPECT_EQ(LogPathSetting(), "");
  EXPECT_EQ(GameHomeSetting(), std::string(kHomeAddress) + "0/");
  EXPECT_EQ(ScriptHomeSetting(), std::string(kHomeAddress) + "1/script/");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"");
  const std::string documents = DocumentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(ResolveLogFolder(), documents + "\\My Zuvelo");
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(SettingsTest, WritesReachTheFileAtOnceAndEditsOfTheFileCountAtTheNextRead) {
  WriteGameHomeSetting("http://game.example/0/");
  WriteScriptHomeSetting("http://script.example/1/");
  WriteLogPathSetting("C:\\logs");
  const std::string text = FileText(file_);
  for (const char* line : {"[STATUS]", "GAME_HOME=http://game.example/0/",
                           "SCRIPT_HOME=http://script.example/1/", "[LOG]", "PATH=C:\\logs"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  }
  EXPECT_EQ(GameHomeSetting(), "http://game.example/0/");
  EXPECT_EQ(ScriptHomeSetting(), "http://script.example/1/");
  EXPECT_EQ(LogPathSetting(), "C:\\logs");
  EXPECT_EQ(ReadScriptSetting(L"LOG", L"PATH"), L"C:\\logs");

  // Someone edits the file: nothing was kept from before.
  WriteText(file_, "[STATUS]\r\nGAME_HOME=http://edited.example/\r\nSCRIPT_INFO=page data\r\n");
  EXPECT_EQ(GameHomeSetting(), "http://edited.example/");
  EXPECT_EQ(ScriptHomeSetting(), std::string(kHomeAddress) + "1/script/");
  EXPECT_EQ(LogPathSetting(), "");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"page data");
}

TEST_F(SettingsTest, ScriptWritesKeepTheTextAndANullValueRemovesTheKey) {
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", L"a=1; b=\"two\"");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"a=1; b=\"two\"");
  WriteGameHomeSetting("http://game.example/");
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", nullptr);
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"");
  EXPECT_EQ(FileText(file_).find("SCRIPT_INFO"), std::string::npos) << FileText(file_);
  EXPECT_EQ(GameHomeSetting(), "http://game.example/");
}

TEST_F(SettingsTest, ShellReadsStopAt259CharactersAndScriptReadsAt1023) {
  const std::string long_value(1500, 'v');
  WriteText(file_, "[STATUS]\r\nGAME_HOME=" + long_value + "\r\n");
  EXPECT_EQ(GameHomeSetting(), long_value.substr(0, 259));
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"GAME_HOME"), std::wstring(1023, L'v'));
}

TEST_F(SettingsTest, LogFolderIsThePathSettingOnlyWhenItIsAUsableFolder) {
  const std::string usable = (folder_ / "usable").string();
  const std::string read_only = (folder_ / "read-only").string();
  const std::string file = (folder_ / "a-file").string();
  std::filesystem::create_directory(usable);
  ASSERT_TRUE(MakeReadOnlyFolder(read_only));
  WriteText(file, "not a folder");
  const std::string fallback = DocumentsFolder() + "\\My Zuvelo";
  struct Case {
    std::string path;
    std::string resolved;
  };
  const Case cases[] = {
      {usable, usable}, {usable + "\\", usable + "\\"},   {read_only, fallback},
      {file, fallback}, {usable + "\\missing", fallback}, {"", fallback},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    WriteLogPathSetting(c.path.c_str());
    EXPECT_EQ(ResolveLogFolder(), c.resolved);
    EXPECT_EQ(IsUsableFolder(c.path), c.resolved == c.path);
  }
  ::SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(LogLayout, LogsLieInMonthFoldersUnderLog) {
  struct Case {
    const char* folder;
    const char* name;
    const char* path;
  };
  const Case cases[] = {
      {"C:\\logs", "2015071412gm-0009-0000-0a1b2c3d&tw=0",
       "C:\\logs\\log\\201507\\2015071412gm-0009-0000-0a1b2c3d&tw=0.mjlog"},
      {"C:\\", "20150714gm-00e1-0217-0a1b2c3d&tw=3",
       "C:\\log\\201507\\20150714gm-00e1-0217-0a1b2c3d&tw=3.mjlog"},
      // The folder is the decimal value of the first six characters.
      {"D:\\m", "000123gm", "D:\\m\\log\\123\\000123gm.mjlog"},
      {"D:\\m", "2015x7gm", "D:\\m\\log\\2015\\2015x7gm.mjlog"},
      {"D:\\m", "gm-0009", "D:\\m\\log\\0\\gm-0009.mjlog"},
      {"D:\\m", "2015", "D:\\m\\log\\2015\\2015.mjlog"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LogFilePath(c.folder, c.name), c.path);
  }
  EXPECT_EQ(LogRootFolder("C:\\logs"), "C:\\logs\\log");
  EXPECT_EQ(LogMonthFolder("C:\\logs\\", "201512"), "C:\\logs\\log\\201512");
}

// In a double-byte code page 0x5C can be the second byte of a character; only a backslash of
// its own ends a folder.
TEST(LogLayout, ABackslashThatIsPartOfACharacterIsNoSeparator) {
  const std::string folder = "C:\\\x95\x5C";
  const std::string expected = ::IsDBCSLeadByte(0x95) ? folder + "\\log" : folder + "log";
  EXPECT_EQ(LogRootFolder(folder), expected);
}

}  // namespace
}  // namespace zuvelo
