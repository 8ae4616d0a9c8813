// IDispatchCacheImpl: the page's access to the analysis cache (get, set, clear). Keys that
// begin with "!" address the settings file instead; of those, script may write only
// STATUS::SCRIPT_INFO. The object holds nothing of its own: it works on a store that outlives
// it, normally the process's.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"
#include "logana/logana_cache.h"

namespace zuvelo {

// The process's store, made at the first use, with a failed save at exit shown in a box.
LogAnaCache& ProcessCacheStore();
// The box of a failed save: no owner, no caption, OK button.
void ShowCacheSaveFault(const CacheSaveResult& result);
// Saves the process's store, if it has been made and changed, with the box of a failed save.
// A run's end calls it, and every way the program ends (the store's making registers it).
void SaveProcessCacheChanges();

class IDispatchCacheImpl final : public AutomationObject<IDispatchCacheImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      "IDispatchCacheImpl CONSTRUCT\r\n",
      "IDispatchCacheImpl DESTRUCT\r\n",
      "IDispatchCacheImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchCacheImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d wFlags=%X\r\n",
      true,
  };
  static std::span<const Member<IDispatchCacheImpl>> Members();

  // Over the process's store, which comes into being at the first get, set or clear.
  [[nodiscard]] static com_ptr<IDispatchCacheImpl> Create();
  // Over a store that must outlive the object.
  [[nodiscard]] static com_ptr<IDispatchCacheImpl> Create(LogAnaCache& store);

  HRESULT Clear(const Invocation& call);
  HRESULT Get(const Invocation& call);
  HRESULT Set(const Invocation& call);

 private:
  explicit IDispatchCacheImpl(LogAnaCache* store) : store_(store) {}
  ~IDispatchCacheImpl() override = default;

  LogAnaCache& Store();
  // The "!section::key" paths; they take no lock of the store.
  static HRESULT ReadSettingsKey(std::u16string_view key, VARIANT* result);
  static HRESULT WriteSettingsKey(std::u16string_view key,
                                  std::optional<std::u16string_view> value);

  LogAnaCache* store_;  // null: the process's, looked up at the first use
};

}  // namespace zuvelo
