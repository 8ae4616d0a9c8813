// The settings file through the real profile functions, the log folder and its layout.
#include "shell/services/settings_win.h"

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "net/service_address.h"
#include "shell/temp_working_folder.h"

namespace zuvelo {
namespace {

// The documents folder asked of the platform another way than the program asks.
std::string MyZuvelo() {
  PWSTR wide = nullptr;
  char narrow[MAX_PATH] = {};
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &wide)))
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, MAX_PATH, nullptr, nullptr);
  ::CoTaskMemFree(wide);
  return narrow[0] ? std::string(narrow) + "\\My Zuvelo" : "";
}

// Nothing is kept between reads. The shell reads at most 259 characters, script 1023.
TEST(SettingsTest, KeysReadTheirDefaultsUntilWrittenAndTheFileAsItIsNow) {
  const testing::TempWorkingFolder folder;
  const auto text = [] {
    std::ifstream in("config.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(LogPathSetting(), "");
  EXPECT_EQ(GameHomeSetting(), std::string(kHomeAddress) + "0/");
  EXPECT_EQ(ScriptHomeSetting(), std::string(kHomeAddress) + "1/script/");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"");
  ASSERT_FALSE(MyZuvelo().empty());
  EXPECT_EQ(ResolveLogFolder(), MyZuvelo());
  EXPECT_FALSE(std::filesystem::exists("config.ini")) << "reading makes no file";

  WriteGameHomeSetting("http://game.example/0/");
  WriteScriptHomeSetting("http://script.example/1/");
  WriteLogPathSetting("C:\\logs");
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", L"a=1; b=\"two\"");
  for (const char* line : {"[STATUS]", "GAME_HOME=http://game.example/0/",
                           "SCRIPT_HOME=http://script.example/1/", "[LOG]", "PATH=C:\\logs"}) {
    EXPECT_NE(text().find(line), std::string::npos) << line << " in\n" << text();
  }
  EXPECT_EQ(GameHomeSetting(), "http://game.example/0/");
  EXPECT_EQ(ScriptHomeSetting(), "http://script.example/1/");
  EXPECT_EQ(LogPathSetting(), "C:\\logs");
  EXPECT_EQ(ReadScriptSetting(L"LOG", L"PATH"), L"C:\\logs");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"a=1; b=\"two\"");
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", nullptr);
  EXPECT_EQ(text().find("SCRIPT_INFO"), std::string::npos) << text();
  EXPECT_EQ(GameHomeSetting(), "http://game.example/0/");

  std::ofstream("config.ini")
      << "[STATUS]\nGAME_HOME=http://edited.example/\nSCRIPT_INFO=page data\n";
  EXPECT_EQ(GameHomeSetting(), "http://edited.example/");
  EXPECT_EQ(ScriptHomeSetting(), std::string(kHomeAddress) + "1/script/");
  EXPECT_EQ(LogPathSetting(), "");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"page data");
  std::ofstream("config.ini") << "[STATUS]\nGAME_HOME=" << std::string(1500, 'v') << "\n";
  EXPECT_EQ(GameHomeSetting(), std::string(259, 'v'));
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"GAME_HOME"), std::wstring(1023, L'v'));
}

TEST(SettingsTest, LogFolderIsThePathSettingOnlyWhenItIsAUsableFolder) {
  const testing::TempWorkingFolder folder;
  const std::string usable = (folder / "usable").string(), file = (folder / "a-file").string();
  const std::string fallback = MyZuvelo();
  std::filesystem::create_directory(usable);
  std::ofstream(file) << "not a folder";
  const std::pair<std::string, std::string> cases[] = {{usable, usable},
                                                       {usable + "\\", usable + "\\"},
                                                       {file, fallback},
                                                       {usable + "\\missing", fallback},
                                                       {"", fallback}};
  for (const auto& [path, resolved] : cases) {
    SCOPED_TRACE(path);
    WriteLogPathSetting(path.c_str());
    EXPECT_EQ(ResolveLogFolder(), resolved);
    EXPECT_EQ(IsUsableFolder(path), resolved == path);
  }
}

// The month folder is the decimal value of the first six characters of the name.
TEST(LogLayout, LogsLieInMonthFoldersUnderLog) {
  const char* const cases[][3] = {
      {"C:\\logs", "2015071412gm-0009&tw=0", "C:\\logs\\log\\201507\\2015071412gm-0009&tw=0.mjlog"},
      {"C:\\", "20150714gm-00e1", "C:\\log\\201507\\20150714gm-00e1.mjlog"},
      {"D:\\m", "000123gm", "D:\\m\\log\\123\\000123gm.mjlog"},
      {"D:\\m", "2015x7gm", "D:\\m\\log\\2015\\2015x7gm.mjlog"},
      {"D:\\m", "gm-0009", "D:\\m\\log\\0\\gm-0009.mjlog"},
      {"D:\\m", "2015", "D:\\m\\log\\2015\\2015.mjlog"},
  };
  for (const auto& c : cases) EXPECT_EQ(LogFilePath(c[0], c[1]), c[2]) << c[1];
  EXPECT_EQ(LogRootFolder("C:\\logs"), "C:\\logs\\log");
  EXPECT_EQ(LogMonthFolder("C:\\logs\\", "201512"), "C:\\logs\\log\\201512");
  // In a double-byte code page 0x5C can be the second byte of a character: no separator.
  const std::string folder = "C:\\\x95\x5C";
  EXPECT_EQ(LogRootFolder(folder), folder + (::IsDBCSLeadByte(0x95) ? "\\log" : "log"));
}

// A page's log name becomes a file name only when it converts exactly and, as converted, cannot
// leave its month folder. Best fit would turn full-width signs into separators (code page 1252)
// and the yen sign into a backslash (932); in 932 a backslash byte may also be the second byte
// of a character, which is no separator.
TEST(LogLayout, PlaceholderNamesConvertExactlyAndStayInTheirFolder) {
  const std::wstring log = L"2015070112gm-0009-0000-0123abcd&tw=0";
  const std::string ansi(log.begin(), log.end());
  const struct {
    UINT code_page;
    std::wstring name;
    std::optional<std::string> file;
  } cases[] = {
      {1252, log, ansi},
      {1252, L"caf\u00E9", "caf\xE9"},
      {1252, L"\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3Cesc", std::nullopt},
      {1252, L"201507\uFF0F..\uFF0Fesc", std::nullopt},
      {1252, L"C\uFF1Aesc", std::nullopt},
      {1252, L"\uFF0E\uFF0E", std::nullopt},
      {1252, L"\u724C", std::nullopt},  // no such character: a default one would stand in
      {1252, L"a\\b", std::nullopt},
      {1252, L"a/b", std::nullopt},
      {1252, L"C:b", std::nullopt},
      {1252, L"..", std::nullopt},
      {1252, L".", std::nullopt},
      {1252, L"", std::nullopt},
      {932, log, ansi},
      {932, L"\u00A5..\u00A5esc", std::nullopt},
      {932, L"..\\esc", std::nullopt},
      {932, L"\u8868\u8868", "\x95\x5C\x95\x5C"},
      {932, L"\uFF3C\uFF0F\uFF0E\uFF1A", "\x81\x5F\x81\x5E\x81\x44\x81\x46"},
      {932, L"\u724C\u8B5C", "\x94\x76\x95\x88"},
      {932, L"\u00E9", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.code_page << " " << ::testing::PrintToString(c.name));
    EXPECT_EQ(PlaceholderFileName(c.name, c.code_page), c.file);
  }
}

}  // namespace
}  // namespace zuvelo
