// The settings file through the platform's profile functions.
#include "shell/services/settings_win.h"

#include <shlobj.h>

#include <cstdlib>

#include "base/code_page_win.h"
#include "net/service_address.h"

namespace zuvelo {
namespace {

constexpr std::string_view kDefaultLogFolderName = "My Zuvelo";
constexpr std::string_view kLogSubfolder = "log";
constexpr std::string_view kLogExtension = ".mjlog";
constexpr std::size_t kMonthPrefixLength = 6;

// A Shift-JIS trail byte can be 0x5C, so the last character is found in the ANSI code page.
bool EndsInBackslash(const std::string& path) {
  if (path.empty()) return false;
  const char* end = path.c_str() + path.size();
  const char* last = ::CharPrevA(path.c_str(), end);
  return end - last == 1 && *last == '\\';
}

// A separator byte that is the second byte of a double-byte character is none.
bool HasSeparator(std::string_view name, UINT code_page) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (::IsDBCSLeadByteEx(code_page, static_cast<BYTE>(name[i]))) {
      ++i;
    } else if (name[i] == '\\' || name[i] == '/' || name[i] == ':') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string ReadSetting(const char* section, const char* key, const char* fallback) {
  char buffer[kSettingBufferSize] = {};
  const DWORD length =
      ::GetPrivateProfileStringA(section, key, fallback, buffer, kSettingBufferSize, kSettingsFile);
  return std::string(buffer, length);
}

void WriteSetting(const char* section, const char* key, const char* value) {
  ::WritePrivateProfileStringA(section, key, value, kSettingsFile);
  FlushSettings();
}

void FlushSettings() { ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, kSettingsFile); }

std::string LogPathSetting() { return ReadSetting(kLogSection, kLogPathKey, ""); }

std::string GameHomeSetting() {
  return ReadSetting(kStatusSection, kGameHomeKey, GameHomeAddress().c_str());
}

std::string ScriptHomeSetting() {
  return ReadSetting(kStatusSection, kScriptHomeKey, ScriptHomeAddress().c_str());
}

void WriteLogPathSetting(const char* folder) { WriteSetting(kLogSection, kLogPathKey, folder); }

void WriteGameHomeSetting(const char* address) {
  WriteSetting(kStatusSection, kGameHomeKey, address);
}

void WriteScriptHomeSetting(const char* address) {
  WriteSetting(kStatusSection, kScriptHomeKey, address);
}

std::wstring ReadScriptSetting(const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[kScriptSettingBufferSize] = {};
  const DWORD length = ::GetPrivateProfileStringW(section, key, L"", buffer,
                                                  kScriptSettingBufferSize, kSettingsFileW);
  return std::wstring(buffer, length);
}

void WriteScriptSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  ::WritePrivateProfileStringW(section, key, value, kSettingsFileW);
}

bool IsUsableFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_READONLY);
}

std::string DefaultLogFolder() {
  char documents[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, TRUE) || !documents[0]) {
    return {};
  }
  return JoinPath(documents, kDefaultLogFolderName);
}

std::string ResolveLogFolder() {
  std::string configured = LogPathSetting();
  if (!configured.empty() && IsUsableFolder(configured)) return configured;
  return DefaultLogFolder();
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !EndsInBackslash(joined)) joined += '\\';
  joined += name;
  return joined;
}

std::string LogRootFolder(std::string_view log_folder) {
  return JoinPath(log_folder, kLogSubfolder);
}

// Read as atoi reads it: a name that does not begin with digits lies in the folder "0".
std::string LogMonthFolderName(std::string_view log_name) {
  const std::string prefix(log_name.substr(0, kMonthPrefixLength));
  return std::to_string(std::atoi(prefix.c_str()));
}

std::string LogMonthFolder(std::string_view log_folder, std::string_view log_name) {
  return JoinPath(LogRootFolder(log_folder), LogMonthFolderName(log_name));
}

std::string LogFilePath(std::string_view log_folder, std::string_view log_name) {
  std::string file(log_name);
  file += kLogExtension;
  return JoinPath(LogMonthFolder(log_folder, log_name), file);
}

std::optional<std::string> PlaceholderFileName(std::wstring_view log_name, UINT code_page) {
  std::optional<std::string> name = WideToAnsiExact(log_name, code_page);
  if (!name || name->empty() || *name == "." || *name == ".." || HasSeparator(*name, code_page))
    return std::nullopt;
  return name;
}

}  // namespace zuvelo
