// Members of the cache object, and the process's store with its save fault box.
#include "logana/cache_object_win.h"

#include <atomic>
#include <new>
#include <optional>
#include <string>

#include "base/code_page_win.h"
#include "logana/script_results_win.h"
#include "shell/services/message_box_win.h"
#include "shell/services/program_end.h"
#include "shell/services/settings_win.h"

namespace zuvelo {
namespace {

// A BSTR argument, or none for a missing argument or one of another type.
std::optional<std::u16string_view> TextArg(const Invocation& call, UINT index) {
  const VARIANT* arg = call.arg(index);
  if (!IsType(arg, VT_BSTR)) return std::nullopt;
  return TextOf(arg);
}

bool BreaksSettingsLine(std::u16string_view text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

// Set once ProcessCacheStore() has made the store: saving must not make one.
std::atomic<bool> process_store_made{false};

}  // namespace

LogAnaCache& ProcessCacheStore() {
  static LogAnaCache& store = []() -> LogAnaCache& {
    LogAnaCache& made = LogAnaCache::Instance();
    made.SetSaveFaultHandler(ShowCacheSaveFault);
    AtProgramEnd(&SaveProcessCacheChanges);
    process_store_made = true;
    return made;
  }();
  return store;
}

// Asked before the save so that a store with nothing to save writes no "SKIP SAVE" line.
void SaveProcessCacheChanges() {
  if (!process_store_made) return;
  LogAnaCache& store = ProcessCacheStore();
  if (store.dirty()) ShowCacheSaveFault(store.SaveIfDirty());
}

void ShowCacheSaveFault(const CacheSaveResult& result) {
  if (result.message.empty()) return;
  ShowMessageBox(nullptr, result.message.c_str(), nullptr, MB_OK);
}

std::span<const Member<IDispatchCacheImpl>> IDispatchCacheImpl::Members() {
  using C = IDispatchCacheImpl;
  static constexpr Member<C> members[] = {
      {L"clear", 101, MemberKind::kMethod, &C::Clear},
      {L"get", 102, MemberKind::kMethod, &C::Get},
      {L"set", 103, MemberKind::kMethod, &C::Set},
  };
  return members;
}

com_ptr<IDispatchCacheImpl> IDispatchCacheImpl::Create() {
  return com_ptr<IDispatchCacheImpl>(new (std::nothrow) IDispatchCacheImpl(nullptr));
}

com_ptr<IDispatchCacheImpl> IDispatchCacheImpl::Create(LogAnaCache& store) {
  return com_ptr<IDispatchCacheImpl>(new (std::nothrow) IDispatchCacheImpl(&store));
}

LogAnaCache& IDispatchCacheImpl::Store() {
  if (store_ == nullptr) store_ = &ProcessCacheStore();
  return *store_;
}

HRESULT IDispatchCacheImpl::Clear(const Invocation&) {
  Store().Clear();
  return S_OK;
}

// A key that is not a non-null text, or a settings key that does not split in two, leaves
// the result unwritten: script sees undefined.
HRESULT IDispatchCacheImpl::Get(const Invocation& call) {
  LogAnaCache& store = Store();
  const VARIANT* key_arg = call.arg(0);
  if (!IsType(key_arg, VT_BSTR) || V_BSTR(key_arg) == nullptr || call.result() == nullptr) {
    return S_OK;
  }
  const std::u16string_view key = TextOf(key_arg);
  if (ClassifyCacheKey(key) == CacheKeyKind::kSettings) return ReadSettingsKey(key, call.result());
  const std::optional<std::u16string> value = store.Get(key);
  if (value) return WriteTextResult(call.result(), *value);
  // No entry: a null text, which script reads as the empty string.
  V_VT(call.result()) = VT_BSTR;
  V_BSTR(call.result()) = nullptr;
  return S_OK;
}

HRESULT IDispatchCacheImpl::Set(const Invocation& call) {
  LogAnaCache& store = Store();
  if (call.count() < 2) return S_OK;
  const std::optional<std::u16string_view> key = TextArg(call, 0);
  const std::optional<std::u16string_view> value = TextArg(call, 1);
  if (key && ClassifyCacheKey(*key) == CacheKeyKind::kSettings)
    return WriteSettingsKey(*key, value);
  if (key && value) store.Put(*key, *value, TextArg(call, 2));
  return S_OK;
}

HRESULT IDispatchCacheImpl::ReadSettingsKey(std::u16string_view key, VARIANT* result) {
  const std::optional<SettingsKey> setting = SplitSettingsKey(key);
  if (!setting) return S_OK;
  const std::wstring value = ReadScriptSetting(std::wstring(AsWide(setting->section)).c_str(),
                                               std::wstring(AsWide(setting->name)).c_str());
  return WriteTextResult(result, AsUtf16(value));
}

// An empty or missing value removes the setting. A line break would start new lines in the
// file, and with them any setting (the trusted start pages, the log folder); a zero would cut
// the text short. Such a write is refused whole.
HRESULT IDispatchCacheImpl::WriteSettingsKey(std::u16string_view key,
                                             std::optional<std::u16string_view> value) {
  if (BreaksSettingsLine(key) || (value && BreaksSettingsLine(*value))) return E_INVALIDARG;
  const std::optional<SettingsKey> setting = SplitSettingsKey(key);
  if (!setting) return S_OK;
  if (!IsWritableSetting(*setting)) return DISP_E_ARRAYISLOCKED;
  const std::wstring text(value ? AsWide(*value) : std::wstring_view());
  WriteScriptSetting(std::wstring(AsWide(setting->section)).c_str(),
                     std::wstring(AsWide(setting->name)).c_str(),
                     text.empty() ? nullptr : text.c_str());
  return S_OK;
}

}  // namespace zuvelo
