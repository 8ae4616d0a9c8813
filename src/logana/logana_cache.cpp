// The analysis cache store and its trace lines.
#include "logana/logana_cache.h"

#include <utility>

#include "base/trace.h"

namespace zuvelo {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kSettingsSeparator = u"::";

std::string SaveFaultMessage(CacheSaveFault fault) {
  switch (fault) {
    case CacheSaveFault::kNone:
    case CacheSaveFault::kOpen:  // like a cache file that cannot be made: nothing to say
      return {};
    case CacheSaveFault::kWriteVersion:
      return "SaveCache WriteVersion failed";
    case CacheSaveFault::kWriteRecords:
    case CacheSaveFault::kClose:
    case CacheSaveFault::kReplace:
    case CacheSaveFault::kKeep:
      return "SaveCache failed\r\n";
  }
  return {};
}

}  // namespace

fs::path DamagedCachePath(const fs::path& file) {
  fs::path kept = file;
  kept += ".bad";
  return kept;
}

CacheKeyKind ClassifyCacheKey(std::u16string_view key) {
  if (key.empty()) return CacheKeyKind::kPersistent;
  switch (key.front()) {
    case u'!':
      return CacheKeyKind::kSettings;
    case u'#':
    case u'.':
      return CacheKeyKind::kTransient;
    default:
      return CacheKeyKind::kPersistent;
  }
}

std::optional<SettingsKey> SplitSettingsKey(std::u16string_view key) {
  if (ClassifyCacheKey(key) != CacheKeyKind::kSettings) return std::nullopt;
  const std::u16string_view rest = key.substr(1);
  const std::size_t split = rest.find(kSettingsSeparator);
  if (split == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view name = rest.substr(split + kSettingsSeparator.size());
  if (name.find(kSettingsSeparator) != std::u16string_view::npos) return std::nullopt;
  return SettingsKey{std::u16string(rest.substr(0, split)), std::u16string(name)};
}

bool IsWritableSetting(const SettingsKey& key) {
  return key.section == u"STATUS" && key.name == u"SCRIPT_INFO";
}

LogAnaCache::LogAnaCache() : LogAnaCache(Options{}) {}

LogAnaCache::LogAnaCache(Options options) : options_(std::move(options)) { Load(); }

LogAnaCache::~LogAnaCache() {
  const CacheSaveResult result = SaveIfDirty();
  if (!result.message.empty() && on_save_fault_) on_save_fault_(result);
}

LogAnaCache& LogAnaCache::Instance() {
  // Statics die in the reverse order of their making, and the store traces when it dies:
  // making the trace channel first (an empty line sends nothing) keeps it alive until then.
  [[maybe_unused]] static const int trace_ready = trace("%s", "");
  static LogAnaCache cache;
  return cache;
}

std::optional<std::u16string> LogAnaCache::Get(std::u16string_view key) const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  return found->second.value;
}

void LogAnaCache::Put(std::u16string_view key, std::u16string_view value,
                      std::optional<std::u16string_view> player) {
  std::lock_guard<std::mutex> hold(lock_);
  PutLocked(key, value, player);
}

void LogAnaCache::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  trace("LogAnaCache clear\r\n");
  entries_.clear();
  dirty_ = true;
}

void LogAnaCache::ForEachEntry(const EntryVisitor& visit) const {
  std::lock_guard<std::mutex> hold(lock_);
  for (const auto& [key, entry] : entries_) visit({key, entry.value, entry.player});
}

CacheSaveResult LogAnaCache::SaveIfDirty() {
  std::lock_guard<std::mutex> hold(lock_);
  if (!dirty_) {
    trace("SKIP SAVE\r\n");
    return {};
  }
  trace("LogAnaCache Save %d\r\n", static_cast<int>(entries_.size()));
  CacheSaveResult result;
  result.fault = SaveCacheFile(
      options_.file, [this](CacheRecordWriter& writer) { return WriteEntries(writer); },
      options_.open_sink, keep_loaded_file_ ? DamagedCachePath(options_.file) : fs::path());
  result.message = SaveFaultMessage(result.fault);
  if (result.ok()) {
    dirty_ = false;
    keep_loaded_file_ = false;
  }
  return result;
}

void LogAnaCache::SetSaveFaultHandler(SaveFaultHandler handler) {
  std::lock_guard<std::mutex> hold(lock_);
  on_save_fault_ = std::move(handler);
}

bool LogAnaCache::dirty() const {
  std::lock_guard<std::mutex> hold(lock_);
  return dirty_;
}

std::size_t LogAnaCache::size() const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_.size();
}

void LogAnaCache::Load() {
  std::lock_guard<std::mutex> hold(lock_);
  const CacheLoadSummary loaded = LoadCacheFile(options_.file, [this](const CacheRecord& record) {
    PutLocked(record.key, record.value, record.player);
  });
  if (!loaded.opened) return;
  dirty_ = false;
  keep_loaded_file_ = !loaded.complete();
  const int version = loaded.read.version ? static_cast<int>(*loaded.read.version) : -1;
  trace("LogAnaCache Load %d / dwVersion=%d/%d\r\n", static_cast<int>(entries_.size()), version,
        static_cast<int>(kCacheFileVersion));
}

void LogAnaCache::PutLocked(std::u16string_view key, std::u16string_view value,
                            std::optional<std::u16string_view> player) {
  const CacheKeyKind kind = ClassifyCacheKey(key);
  if (kind == CacheKeyKind::kSettings) return;
  auto at = entries_.lower_bound(key);
  if (at == entries_.end() || at->first != key) at = entries_.emplace_hint(at, key, Entry{});
  Entry& entry = at->second;
  if (entry.value == value) return;
  entry.value = value;
  if (player) entry.player = *player;
  if (kind == CacheKeyKind::kPersistent) dirty_ = true;
}

bool LogAnaCache::WriteEntries(CacheRecordWriter& writer) const {
  for (const auto& [key, entry] : entries_) {
    if (entry.value.empty() || ClassifyCacheKey(key) != CacheKeyKind::kPersistent) continue;
    if (!writer.WriteRecord({key, entry.value, entry.player})) return false;
  }
  return true;
}

}  // namespace zuvelo
