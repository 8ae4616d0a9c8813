// The settings file through the real profile functions, the log folder and its layout.
#include "shell/services/settings_win.h"

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <tuple>

#include "net/service_address.h"
#include "shell/temp_working_folder.h"
#include "support/file_bytes.h"

namespace zuvelo {
namespace {

// Asked of the platform another way than the program asks.
std::string MyZuvelo() {
  PWSTR wide = nullptr;
  char narrow[MAX_PATH] = {};
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &wide)))
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, MAX_PATH, nullptr, nullptr);
  ::CoTaskMemFree(wide);
  return narrow[0] ? std::string(narrow) + "\\My Zuvelo" : "";
}

TEST(SettingsTest, KeysReadTheirDefaultsUntilWrittenAndTheFileAsItIsNow) {
  const testing::TempWorkingFolder folder;
  const auto text = [] { return testing::ReadBytes("config.ini"); };
  EXPECT_EQ(LogPathSetting(), "");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"");
  EXPECT_FALSE(std::filesystem::exists("config.ini")) << "reading makes no file";

  WriteGameHomeSetting("http://game.example/0/");
  WriteScriptHomeSetting("http://script.example/1/");
  WriteLogPathSetting("C:\\logs");
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", L"a=1; b=\"two\"");
  for (const char* line : {"[STATUS]", "GAME_HOME=http://game.example/0/",
                           "SCRIPT_HOME=http://script.example/1/", "[LOG]", "PATH=C:\\logs"})
    EXPECT_NE(text().find(line), std::string::npos) << line << " in\n" << text();
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"a=1; b=\"two\"");
  WriteScriptSetting(L"STATUS", L"SCRIPT_INFO", nullptr);
  EXPECT_EQ(text().find("SCRIPT_INFO"), std::string::npos) << text();
  EXPECT_EQ(GameHomeSetting(), "http://game.example/0/");

  testing::WriteBytes("config.ini", "[STATUS]\nGAME_HOME=http://edited.example/\nSCRIPT_INFO=x\n");
  EXPECT_EQ(GameHomeSetting(), "http://edited.example/");
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"SCRIPT_INFO"), L"x");
  testing::WriteBytes("config.ini", "[STATUS]\nGAME_HOME=" + std::string(1500, 'v') + "\n");
  EXPECT_EQ(GameHomeSetting(), std::string(259, 'v'));
  EXPECT_EQ(ReadScriptSetting(L"STATUS", L"GAME_HOME"), std::wstring(1023, L'v'));
}

TEST(SettingsTest, LogFolderIsThePathSettingOnlyWhenItIsAUsableFolder) {
  const testing::TempWorkingFolder folder;
  const std::string usable = (folder / "usable").string(), file = (folder / "a-file").string(),
                    fallback = MyZuvelo();
  ASSERT_FALSE(fallback.empty());
  std::filesystem::create_directory(usable);
  testing::WriteBytes(file, "not a folder");
  const auto resolved = [](const std::string& path) {
    WriteLogPathSetting(path.c_str());
    return ResolveLogFolder();
  };
  for (const std::string& path : {usable, usable + "\\"}) EXPECT_EQ(resolved(path), path);
  for (const std::string& path : {file, usable + "\\missing", std::string()})
    EXPECT_EQ(resolved(path), fallback) << path;
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
  // In a double-byte code page 0x5C can be the second byte of a character: no separator.
  const std::string folder = "C:\\\x95\x5C";
  EXPECT_EQ(LogRootFolder(folder), folder + (::IsDBCSLeadByte(0x95) ? "\\log" : "log"));
}

// Best fit would turn full-width signs (1252) and yen (932) into separators, or add default chars.
TEST(LogLayout, PlaceholderNamesConvertExactlyAndStayInTheirFolder) {
  const std::wstring log = L"2015070112gm-0009-0000-0123abcd&tw=0";
  const std::string ansi(log.begin(), log.end());
  const std::tuple<UINT, std::wstring, std::string> converted[] = {
      {1252, log, ansi},
      {1252, L"caf\u00E9", "caf\xE9"},
      {932, log, ansi},
      {932, L"\u8868\u8868", "\x95\x5C\x95\x5C"},
      {932, L"\uFF3C\uFF0F\uFF0E\uFF1A", "\x81\x5F\x81\x5E\x81\x44\x81\x46"},
      {932, L"\u724C\u8B5C", "\x94\x76\x95\x88"}};
  for (const auto& [code_page, name, file] : converted)
    EXPECT_EQ(PlaceholderFileName(name, code_page), file) << code_page << " " << file;
  for (const wchar_t* name :
       {L"\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3Cesc", L"201507\uFF0F..\uFF0Fesc", L"C\uFF1Aesc",
        L"\uFF0E\uFF0E", L"\u724C", L"a\\b", L"a/b", L"C:b", L"..", L".", L""})
    EXPECT_EQ(PlaceholderFileName(name, 1252), std::nullopt) << ::testing::PrintToString(name);
  for (const wchar_t* name : {L"\u00A5..\u00A5esc", L"..\\esc", L"\u00E9"})
    EXPECT_EQ(PlaceholderFileName(name, 932), std::nullopt) << ::testing::PrintToString(name);
}

}  // namespace
}  // namespace zuvelo
