// IDispatchLogInfoImpl: the script face of the replay's LogInfo, the current game log's name
// and the game type and lobby coded in it. Properties only.
//
// Before the first log the name is empty; "tw" then has no last character to read and gives
// -1, a value no log name can give.
#pragma once

#include <span>
#include <string_view>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"
#include "replay/replay_types.h"

namespace zuvelo {

class IDispatchLogInfoImpl final : public AutomationObject<IDispatchLogInfoImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kPropertiesOnly,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      "IDispatchLogInfoImpl DESTRUCT\r\n",
      "IDispatchLogInfoImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchLogInfoImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchLogInfoImpl>> Members();

  // With an empty name; null when memory runs out.
  [[nodiscard]] static com_ptr<IDispatchLogInfoImpl> Create();

  // The record the replay reads and the worker refills.
  [[nodiscard]] LogInfo& record() { return record_; }
  [[nodiscard]] const LogInfo& record() const { return record_; }
  // Fills the record from a log name (see log_name.h); true for a valid name.
  bool SetLogName(std::u16string_view name);

  HRESULT File(const Invocation& call);
  HRESULT GameType(const Invocation& call);
  HRESULT LobbyId(const Invocation& call);
  HRESULT Tw(const Invocation& call);
  HRESULT Cache(const Invocation& call);
  HRESULT FileTw(const Invocation& call);

 private:
  IDispatchLogInfoImpl() = default;
  ~IDispatchLogInfoImpl() override = default;

  LogInfo record_;
};

}  // namespace zuvelo
