// The analyze worker's four phases: the cache entries offered to OnEnumCache, the log folder
// scanned and offered to OnEnumLog, placeholders downloaded, and the accepted logs read and
// handed to the main thread for replay. Script is never called here: every callback runs in a
// main-thread step while this thread waits.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/code_page_win.h"
#include "base/handle_win.h"
#include "base/trace.h"
#include "logana/log_ana_thread_win.h"
#include "logana/log_name.h"
#include "logana/logana_cache.h"
#include "logana/placeholder_download_win.h"
#include "net/service_address.h"
#include "replay/log_file.h"
#include "shell/services/message_box_win.h"
#include "shell/services/settings_win.h"

namespace zuvelo {
namespace {

// "牌譜保存フォルダが利用できません\r\n牌譜を保存する設定に変更し、対戦を行なってください" in
// Shift-JIS, shown as a wide box.
constexpr const char* kNoLogFolder =
    "\x94\x76\x95\x88\x95\xDB\x91\xB6\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xAA\x97\x98"
    "\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x0D\x0A\x94\x76\x95\x88\x82\xF0"
    "\x95\xDB\x91\xB6\x82\xB7\x82\xE9\x90\xDD\x92\xE8\x82\xC9\x95\xCF\x8D\x58\x82\xB5"
    "\x81\x41\x91\xCE\x90\xED\x82\xF0\x8D\x73\x82\xC8\x82\xC1\x82\xC4\x82\xAD\x82\xBE"
    "\x82\xB3\x82\xA2";

constexpr DWORD kCacheStatusInterval = 50;  // milliseconds
constexpr int kMaxDownloadFailures = 5;
constexpr const char* kLogExtension = ".mjlog";

std::string Format(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

bool IsFolder(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The extension is compared without regard to case: "x.MJLOG" is a log file too.
bool IsLogFileName(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot != nullptr && ::lstrcmpiA(dot, kLogExtension) == 0;
}

bool IsEmptyFile(const WIN32_FIND_DATAA& entry) {
  return entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0;
}

}  // namespace

bool LogAnaThread::RunWanted() const { return !bStop && bRunning && RefCount() > 1; }

void LogAnaThread::RunStep() {
  ::ResetEvent(hWakeEvent.get());
  // An analyzer being torn down has cleared bRunning; a step asked for now might never run.
  if (!bRunning || !::PostMessageA(MainWindow(), WM__MAINTHREAD_CALL, 0, ToLParam(this))) {
    hrStep = E_ABORT;
    return;
  }
  ::WaitForSingleObject(hWakeEvent.get(), INFINITE);
  if (!bRunning) hrStep = E_ABORT;
}

void LogAnaThread::SendStatus(std::string text) { status_.Send(MainWindow(), std::move(text)); }

void LogAnaThread::ShowWorkerBox(const std::string& text) {
  if (RunWanted()) ShowMessageBox(hwndHost, text.c_str(), nullptr, MB_ICONERROR);
}

void LogAnaThread::ShowWorkerBox(const std::wstring& text) {
  if (RunWanted()) ShowMessageBox(hwndHost, text.c_str(), nullptr, MB_ICONERROR);
}

// Keys are copied under the store's lock and offered after it is released: no script runs
// while the lock is held.
std::vector<std::u16string> LogAnaThread::OfferedCacheKeys() {
  std::vector<std::u16string> keys;
  const std::u16string_view player = AsUtf16(options.enumPlayer);
  LogAnaCache::Instance().ForEachEntry([&](const CacheRecordView& entry) {
    if (!player.empty() && entry.player != player) return;
    // A key that is not a valid log name is never left out by the game filters.
    if (LogInfo info; SetLogName(info, entry.key)) {
      if (!options.KeepsGameType(info.gameType) || !options.KeepsLobby(info.lobby)) return;
    }
    keys.emplace_back(entry.key);
  });
  if (options.iSortAs == 1) std::reverse(keys.begin(), keys.end());
  return keys;
}

// A failed OnEnumCache ends this phase only.
void LogAnaThread::EnumCachePhase() {
  bEnumLogStep = false;
  bEnumCacheStep = true;
  const std::vector<std::u16string> keys = OfferedCacheKeys();
  nTotal = static_cast<std::int32_t>(keys.size());
  nProgress = 0;
  DWORD last = ::GetTickCount() - 1000;  // the first key always gets a status
  for (const std::u16string& key : keys) {
    if (!RunWanted() || hrStep != S_OK) break;
    if (::GetTickCount() - last > kCacheStatusInterval) {
      SendStatus(Format("Analyzing cache %d/%d", nProgress.load(), nTotal.load()));
      last = ::GetTickCount();
    }
    ++nProgress;
    pCacheKey = reinterpret_cast<const wchar_t*>(key.c_str());
    RunStep();
  }
  pCacheKey = nullptr;
}

bool LogAnaThread::ScanPhase(std::vector<LogListEntry>& logs, std::set<std::string>& downloads) {
  const std::string folder = ResolveLogFolder();
  const std::string root = LogRootFolder(folder);
  if (folder.empty() || !IsUsableFolder(root)) {
    ShowWorkerBox(ShiftJisToWide(kNoLogFolder));
    return false;
  }
  hrStep = S_OK;
  bEnumLogStep = true;
  bEnumCacheStep = false;
  nProgress = 0;
  nTotal = 0;
  // Only hrStep ends this loop: after a stop each pending folder still has its first entry
  // handled before its listing stops.
  std::set<std::string> pending{root};
  while (hrStep == S_OK && !pending.empty()) {
    const std::string current = *pending.begin();
    SendStatus("Scanning ... " + FileNamePart(current));
    if (!ScanFolder(current, pending, logs, downloads)) return false;
    pending.erase(current);
  }
  return hrStep == S_OK;
}

bool LogAnaThread::ScanFolder(const std::string& folder, std::set<std::string>& pending,
                              std::vector<LogListEntry>& logs, std::set<std::string>& downloads) {
  WIN32_FIND_DATAA entry{};
  const unique_find_handle search(::FindFirstFileA(JoinPath(folder, "*").c_str(), &entry));
  if (!search) return true;
  do {
    if (IsFolder(entry)) {
      if (!IsDotEntry(entry.cFileName)) pending.insert(folder + "\\" + entry.cFileName);
    } else if (IsLogFileName(entry.cFileName)) {
      if (!OfferLogFile(folder, entry, logs, downloads)) return false;
    }
  } while (hrStep == S_OK && RunWanted() && ::FindNextFileA(search.get(), &entry));
  return true;
}

bool LogAnaThread::OfferLogFile(const std::string& folder, const WIN32_FIND_DATAA& entry,
                                std::vector<LogListEntry>& logs, std::set<std::string>& downloads) {
  nTotal += 1;
  nProgress = nTotal.load();
  bAccepted = false;
  const std::string file = entry.cFileName;
  if (!SetLogName(stepLogInfo, AnsiToUtf16(std::string_view(file).substr(0, file.rfind('.'))))) {
    ShowWorkerBox("INVALID LOG FILENAME\r\n" + file);
    return false;
  }
  if (!options.KeepsGameType(stepLogInfo.gameType)) return true;  // not offered
  RunStep();
  if (!bAccepted) return true;
  std::string path = folder + "\\" + file;
  if (IsEmptyFile(entry)) downloads.insert(path);
  logs.push_back({std::move(path), NameTimeOf(file), FileTimeValue(entry.ftCreationTime)});
  return true;
}

// A failed download is noted and the next one tried, up to the fifth failure; any failure at
// all ends the run once the loop is over. Placeholders filled before stay filled.
bool LogAnaThread::DownloadPhase(std::set<std::string>& downloads, std::size_t listed) {
  const int nDownload = static_cast<int>(downloads.size());
  trace("nDownload=%d vLogList=%d\r\n", nDownload, static_cast<int>(listed));
  int failures = 0;
  std::string failed;
  while (RunWanted() && !downloads.empty() && failures < kMaxDownloadFailures) {
    const std::string path = *downloads.begin();
    const std::string name = FileNamePart(path);
    SendStatus(Format("Downloading %d/%d %s", static_cast<int>(downloads.size()), nDownload,
                      name.c_str()));
    switch (FillPlaceholder(path, LogDownloadAddress(name), [this] { return !RunWanted(); })) {
      case DownloadOutcome::kCancelled:  // stopped or let go: the loop ends, as it would have
        continue;
      case DownloadOutcome::kFailed:
        failed += path + "\r\n";
        ++failures;
        break;
      case DownloadOutcome::kEmpty:
        ShowWorkerBox("EMPTY LOG FILE\r\n" + path);
        return false;
      case DownloadOutcome::kInvalidFormat:
        ShowWorkerBox("INVALID LOG FORMAT\r\n" + path);
        return false;
      case DownloadOutcome::kFilled:
        break;
    }
    downloads.erase(path);
  }
  if (failed.empty()) return true;
  ShowWorkerBox("DOWNLOAD FAILED\r\n" + failed);
  return false;
}

bool LogAnaThread::ReadForReplay(const LogListEntry& entry) {
  if (!SetLogName(stepLogInfo, AnsiToUtf16(FileNamePart(entry.path)))) {
    ShowWorkerBox("INVALID LOG FILENAME\r\n" + entry.path);
    return false;
  }
  // What could be read is replayed, as the reader gives it; a file that gave nothing is refused.
  static_cast<void>(ReadLogFile(entry.path.c_str(), logText));
  if (logText.empty()) {
    ShowWorkerBox("INVALID FILE\r\n" + entry.path);
    return false;
  }
  return true;
}

// A failed replay step ends the loop; the progress is still completed and traced, and the
// caller then posts no final step.
bool LogAnaThread::ReplayPhase(std::vector<LogListEntry>& logs) {
  SortLogList(logs, options.iSortAs);
  trace("vLogList=%d\r\n", static_cast<int>(logs.size()));
  hrStep = S_OK;
  bEnumLogStep = false;
  bEnumCacheStep = false;
  nTotal = static_cast<std::int32_t>(logs.size());
  nProgress = 0;
  const DWORD start = ::GetTickCount();
  for (const LogListEntry& entry : logs) {
    if (!RunWanted() || hrStep != S_OK) break;
    if (!ReadForReplay(entry)) return false;
    RunStep();
    ++nProgress;
  }
  nProgress = nTotal.load();
  trace("files=%d time=%dms\r\n", nProgress.load(), static_cast<int>(::GetTickCount() - start));
  return true;
}

}  // namespace zuvelo
