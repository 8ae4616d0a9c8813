// IDispatchPlayerImpl: the script face of one seat's record (the values of the log's player
// line, the score and the hand), and the four seats an analyzer replays into. Properties only;
// the default member is the player itself.
//
// The faces share their records with the seats, so a player or hand that script still holds
// after the analyzer has gone keeps its last values.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"
#include "logana/tehai_object_win.h"
#include "replay/replay_types.h"

namespace zuvelo {

class IDispatchPlayerImpl final : public AutomationObject<IDispatchPlayerImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kPropertiesOnly,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      "IDispatchPlayerImpl DESTRUCT\r\n",
      "IDispatchPlayerImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchPlayerImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchPlayerImpl>> Members();

  // The player, then its hand over the record's hand (which asks `host` for the page's script
  // object). Null when the hand could not be made; its box has been shown then.
  [[nodiscard]] static com_ptr<IDispatchPlayerImpl> Create(std::shared_ptr<Player> record,
                                                           HWND host);

  [[nodiscard]] Player& record() { return *record_; }
  [[nodiscard]] IDispatchTehaiImpl* tehai() const { return tehai_.get(); }

  HRESULT Self(const Invocation& call);
  HRESULT Un(const Invocation& call);
  HRESULT Dan(const Invocation& call);
  HRESULT Rate(const Invocation& call);
  HRESULT Gold(const Invocation& call);
  HRESULT Rc(const Invocation& call);
  HRESULT Sx(const Invocation& call);
  HRESULT Ten(const Invocation& call);
  HRESULT Hand(const Invocation& call);

 private:
  explicit IDispatchPlayerImpl(std::shared_ptr<Player> record) : record_(std::move(record)) {}
  ~IDispatchPlayerImpl() override = default;

  std::shared_ptr<Player> record_;
  com_ptr<IDispatchTehaiImpl> tehai_;  // the same hand for the player's whole life
};

// The records of seats 0..3, which the replay fills, and their script faces.
struct PlayerSeats {
  std::shared_ptr<Players> records;
  std::array<com_ptr<IDispatchPlayerImpl>, 4> faces;

  // None when a hand could not be made (its box has been shown; no further seat is tried).
  [[nodiscard]] static std::optional<PlayerSeats> Create(HWND host);
};

}  // namespace zuvelo
