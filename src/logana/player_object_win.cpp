// Members of the player object, and the four seats.
#include "logana/player_object_win.h"

#include <new>

#include "logana/script_results_win.h"

namespace zuvelo {

std::span<const Member<IDispatchPlayerImpl>> IDispatchPlayerImpl::Members() {
  using P = IDispatchPlayerImpl;
  constexpr auto kProperty = MemberKind::kProperty;
  static constexpr Member<P> members[] = {
      {nullptr, DISPID_VALUE, kProperty, &P::Self},
      {L"un", 101, kProperty, &P::Un},
      {L"dan", 102, kProperty, &P::Dan},
      {L"rate", 103, kProperty, &P::Rate},
      {L"gold", 104, kProperty, &P::Gold},
      {L"rc", 105, kProperty, &P::Rc},
      {L"sx", 106, kProperty, &P::Sx},
      {L"ten", 107, kProperty, &P::Ten},
      {L"tehai", 108, kProperty, &P::Hand},
  };
  return members;
}

com_ptr<IDispatchPlayerImpl> IDispatchPlayerImpl::Create(std::shared_ptr<Player> record,
                                                         HWND host) {
  std::shared_ptr<Tehai> hand(record, &record->tehai);
  com_ptr<IDispatchPlayerImpl> player(new (std::nothrow) IDispatchPlayerImpl(std::move(record)));
  if (!player) return {};
  player->tehai_ = IDispatchTehaiImpl::Create(std::move(hand), host);
  if (!player->tehai_) return {};
  return player;
}

HRESULT IDispatchPlayerImpl::Self(const Invocation& call) {
  return WriteObjectResult(call.result(), this);
}

HRESULT IDispatchPlayerImpl::Un(const Invocation& call) {
  return WriteTextResult(call.result(), record_->un);
}

HRESULT IDispatchPlayerImpl::Dan(const Invocation& call) {
  return WriteIntResult(call.result(), record_->dan);
}

HRESULT IDispatchPlayerImpl::Rate(const Invocation& call) {
  return WriteIntResult(call.result(), record_->rate);
}

HRESULT IDispatchPlayerImpl::Gold(const Invocation& call) {
  return WriteIntResult(call.result(), record_->gold);
}

HRESULT IDispatchPlayerImpl::Rc(const Invocation& call) {
  return WriteIntResult(call.result(), record_->rc);
}

HRESULT IDispatchPlayerImpl::Sx(const Invocation& call) {
  return WriteIntResult(call.result(), record_->sx);
}

HRESULT IDispatchPlayerImpl::Ten(const Invocation& call) {
  return WriteIntResult(call.result(), record_->ten);
}

HRESULT IDispatchPlayerImpl::Hand(const Invocation& call) {
  return WriteObjectResult(call.result(), tehai_.get());
}

std::optional<PlayerSeats> PlayerSeats::Create(HWND host) {
  PlayerSeats seats;
  seats.records = std::make_shared<Players>();
  for (std::size_t seat = 0; seat < seats.faces.size(); ++seat) {
    std::shared_ptr<Player> record(seats.records, &(*seats.records)[seat]);
    seats.faces[seat] = IDispatchPlayerImpl::Create(std::move(record), host);
    if (!seats.faces[seat]) return std::nullopt;
  }
  return seats;
}

}  // namespace zuvelo
