// The settings file "./config.ini" in the working folder: every key and its default, the log
// folder resolution and the layout of logs under that folder, and the script pages' access.
// Nothing is cached: each value is read from the file when it is needed, so an edit of the
// file takes effect at the next use. A missing file or key reads as the default; the first
// write makes the file; a failed write is not noticed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace zuvelo {

inline constexpr const char* kSettingsFile = "./config.ini";
inline constexpr const wchar_t* kSettingsFileW = L"./config.ini";

inline constexpr const char* kLogSection = "LOG";
inline constexpr const char* kLogPathKey = "PATH";
inline constexpr const char* kStatusSection = "STATUS";
inline constexpr const char* kGameHomeKey = "GAME_HOME";
inline constexpr const char* kScriptHomeKey = "SCRIPT_HOME";
inline constexpr const char* kScriptInfoKey = "SCRIPT_INFO";

// The shell reads into 260 bytes, so at most 259 characters; script reads into 1024 UTF-16
// units, so at most 1023.
inline constexpr DWORD kSettingBufferSize = MAX_PATH;
inline constexpr DWORD kScriptSettingBufferSize = 1024;

// The shell's own access, in the ANSI code page.
[[nodiscard]] std::string ReadSetting(const char* section, const char* key, const char* fallback);
// Writes, then flushes the platform's profile cache.
void WriteSetting(const char* section, const char* key, const char* value);
// A write with section, key and value all absent.
void FlushSettings();

[[nodiscard]] std::string LogPathSetting();     // "" by default
[[nodiscard]] std::string GameHomeSetting();    // the service's game page by default
[[nodiscard]] std::string ScriptHomeSetting();  // the service's script home page by default
void WriteLogPathSetting(const char* folder);
void WriteGameHomeSetting(const char* address);
void WriteScriptHomeSetting(const char* address);

// The page scripts' access ("!section::key" keys of the cache object): any key may be read;
// the empty text by default.
[[nodiscard]] std::wstring ReadScriptSetting(const wchar_t* section, const wchar_t* key);
// A null value removes the key. Which keys script may write is the cache object's rule. Only the
// shell's writes flush: a script write is the one profile write pages have always made.
void WriteScriptSetting(const wchar_t* section, const wchar_t* key, const wchar_t* value);

// An existing folder that is not read-only.
[[nodiscard]] bool IsUsableFolder(const std::string& path);

// "My Zuvelo" in the user's documents folder (which the platform makes if it is missing).
// Not made here. Empty when the documents folder cannot be found.
[[nodiscard]] std::string DefaultLogFolder();
// "PATH" of "LOG" when it names a usable folder, else DefaultLogFolder(). The result may not
// exist; callers check it and make it.
[[nodiscard]] std::string ResolveLogFolder();

// `folder` and `name` with a backslash between them, unless `folder` ends in one or is empty.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);
// Logs lie in the subfolder "log" of the log folder, one folder a month named by the decimal
// value of the first six characters of the log name ("201507" for July 2015), as the log name
// with ".mjlog".
[[nodiscard]] std::string LogRootFolder(std::string_view log_folder);
[[nodiscard]] std::string LogMonthFolderName(std::string_view log_name);
[[nodiscard]] std::string LogMonthFolder(std::string_view log_folder, std::string_view log_name);
[[nodiscard]] std::string LogFilePath(std::string_view log_folder, std::string_view log_name);
// A page's log name as the file name of its placeholder in `code_page`, or none when it could
// leave its month folder: it must convert exactly (see WideToAnsiExact), and the converted
// bytes, read as characters of the code page, hold no "\\", "/" or ":" and are not "." or "..".
[[nodiscard]] std::optional<std::string> PlaceholderFileName(std::wstring_view log_name,
                                                             UINT code_page = CP_ACP);

}  // namespace zuvelo
