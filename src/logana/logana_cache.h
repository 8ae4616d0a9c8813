// The analysis cache store: UTF-16 entries (key, value, player text) kept between runs in the
// file "00.dat". One per process, shared by the page's script objects on the UI thread and
// by the analyzer's worker; every operation holds the store's lock.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "logana/cache_file.h"

namespace zuvelo {

// Decided by the first character of a key.
enum class CacheKeyKind {
  kSettings,    // "!": a setting of the settings file, never stored here
  kTransient,   // "#" or ".": stored, never saved, never makes the store dirty
  kPersistent,  // anything else, the empty key included
};
[[nodiscard]] CacheKeyKind ClassifyCacheKey(std::u16string_view key);

// A settings key "!section::name" taken apart: the text after "!" split at every "::".
struct SettingsKey {
  std::u16string section;
  std::u16string name;
};
// None unless the key is a settings key that splits into exactly two parts.
[[nodiscard]] std::optional<SettingsKey> SplitSettingsKey(std::u16string_view key);
// Script may write only STATUS::SCRIPT_INFO (letter case included).
[[nodiscard]] bool IsWritableSetting(const SettingsKey& key);

// Where a cache file that did not load completely (damaged, or of another format) is kept
// before the first save replaces it: "00.dat.bad" beside "00.dat". One copy, the latest.
[[nodiscard]] std::filesystem::path DamagedCachePath(const std::filesystem::path& file);

struct CacheSaveResult {
  CacheSaveFault fault = CacheSaveFault::kNone;
  std::string message;  // what the user is to be shown; empty when nothing is
  [[nodiscard]] bool ok() const { return fault == CacheSaveFault::kNone; }
};

class LogAnaCache {
 public:
  struct Options {
    std::filesystem::path file = "00.dat";  // relative: the working folder
    CacheSinkOpener open_sink = OpenGzipCacheSink;
  };
  using SaveFaultHandler = std::function<void(const CacheSaveResult& result)>;
  // Runs under the store's lock: it must not call back into the store or into script.
  using EntryVisitor = std::function<void(const CacheRecordView& entry)>;

  // Loads the file; missing, unreadable or of another version, the store starts empty.
  LogAnaCache();
  explicit LogAnaCache(Options options);
  // Saves when dirty; a failed save goes to the save fault handler.
  ~LogAnaCache();
  LogAnaCache(const LogAnaCache&) = delete;
  LogAnaCache& operator=(const LogAnaCache&) = delete;

  // The process's store on "00.dat" in the current folder: made on first use, saved at exit.
  static LogAnaCache& Instance();

  // The entry's value; none when the key has no entry (script then gets a null text).
  [[nodiscard]] std::optional<std::u16string> Get(std::u16string_view key) const;
  // Creates the entry when missing. Only a changed value is stored, together with the player
  // text when one is given; an unchanged value leaves the player text too. Settings keys are
  // ignored.
  void Put(std::u16string_view key, std::u16string_view value,
           std::optional<std::u16string_view> player = std::nullopt);
  // Removes every entry, transient ones too, and makes the store dirty.
  void Clear();
  // Every entry in ascending key order (UTF-16 code units compared as unsigned numbers).
  void ForEachEntry(const EntryVisitor& visit) const;

  // Writes persistent entries with a non-empty value when the store is dirty; the first save
  // over a file that did not load completely keeps that file at DamagedCachePath first.
  CacheSaveResult SaveIfDirty();
  // Who tells the user about a failed save at destruction; the Win32 layer shows a box.
  void SetSaveFaultHandler(SaveFaultHandler handler);

  [[nodiscard]] bool dirty() const;
  [[nodiscard]] std::size_t size() const;

 private:
  struct Entry {
    std::u16string value;
    std::u16string player;
  };

  void Load();
  void PutLocked(std::u16string_view key, std::u16string_view value,
                 std::optional<std::u16string_view> player);
  bool WriteEntries(CacheRecordWriter& writer) const;

  const Options options_;
  mutable std::mutex lock_;
  std::map<std::u16string, Entry, std::less<>> entries_;
  bool dirty_ = false;
  bool keep_loaded_file_ = false;  // the file did not load completely and was not saved over
  SaveFaultHandler on_save_fault_;
};

}  // namespace zuvelo
