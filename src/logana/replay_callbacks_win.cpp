// Replay events as script callbacks, and replay faults as message boxes.
#include "logana/replay_callbacks_win.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/code_page_win.h"
#include "bridge/automation/script_values.h"
#include "logana/script_results_win.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {
namespace {

// The replay's events are the callbacks from OnLogBegin to OnLogEnd, in the same order.
Callback CallbackOf(ReplayEvent event) {
  return static_cast<Callback>(static_cast<std::size_t>(Callback::kOnLogBegin) +
                               static_cast<std::size_t>(event));
}

EventSet SuppliedEvents(const CallbackTable& callbacks) {
  EventSet supplied;
  for (int i = 0; i < kReplayEventCount; ++i) {
    const auto event = static_cast<ReplayEvent>(i);
    if (callbacks.has(CallbackOf(event))) supplied.Add(event);
  }
  return supplied;
}

std::span<const std::uint8_t> AsBytes(const std::array<bool, 4>& flags,
                                      std::array<std::uint8_t, 4>& bytes) {
  std::transform(flags.begin(), flags.end(), bytes.begin(),
                 [](bool flag) { return static_cast<std::uint8_t>(flag ? 1 : 0); });
  return bytes;
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

CallArgs::CallArgs(std::size_t count) : count_(std::min(count, kMost)) {
  for (VARIANT& v : stored_) ::VariantInit(&v);
}

CallArgs::~CallArgs() {
  for (std::size_t i = 0; i < count_; ++i) ::VariantClear(&stored_[i]);
}

void CallArgs::SetInt(std::size_t index, LONG value) { variant_i4(value).release_to(at(index)); }

void CallArgs::SetObject(std::size_t index, IDispatch* object) {
  variant_dispatch(object).release_to(at(index));
}

void CallArgs::SetText(std::size_t index, std::u16string_view text) {
  WriteTextResult(at(index), text);
}

ScriptReplayEvents::ScriptReplayEvents(CallbackTable& callbacks, IDispatch* target,
                                       IDispatchLogInfoImpl* log_info, const PlayerSeats& seats)
    : callbacks_(callbacks),
      target_(target),
      log_info_(log_info),
      seats_(seats),
      supplied_(SuppliedEvents(callbacks)) {}

int ScriptReplayEvents::Call(Callback which, CallArgs& args) {
  return static_cast<int>(callbacks_.Call(which, target_, args.stored(), nullptr));
}

int ScriptReplayEvents::CallWithInts(Callback which, std::initializer_list<LONG> values) {
  if (!has(which)) return 0;
  CallArgs args(values.size());
  std::size_t i = 0;
  for (const LONG value : values) args.SetInt(i++, value);
  return Call(which, args);
}

int ScriptReplayEvents::OnLogBegin(const LogInfo&, const Players&) {
  if (!has(Callback::kOnLogBegin)) return 0;
  CallArgs args(2);
  args.SetObject(0, log_info_);
  std::array<IDispatch*, 4> players{};
  for (std::size_t seat = 0; seat < players.size(); ++seat)
    players[seat] = seats_.faces[seat].get();
  BuildObjectArray(target_, players, args.at(1));
  return Call(Callback::kOnLogBegin, args);
}

int ScriptReplayEvents::OnSceneBegin(std::span<const std::int32_t, 5> seed,
                                     std::span<const std::int32_t> rest) {
  if (!has(Callback::kOnSceneBegin)) return 0;
  CallArgs args(6);
  for (std::size_t i = 0; i < seed.size(); ++i) args.SetInt(i, seed[i]);
  BuildIntArray(target_, rest, args.at(5));
  return Call(Callback::kOnSceneBegin, args);
}

int ScriptReplayEvents::OnTsumo(int who, int hai) {
  return CallWithInts(Callback::kOnTsumo, {who, hai});
}

int ScriptReplayEvents::OnDahai(int who, int hai) {
  return CallWithInts(Callback::kOnDahai, {who, hai});
}

int ScriptReplayEvents::OnNaki(const NakiEvent& naki) {
  const auto& t = naki.call.tiles;
  return CallWithInts(Callback::kOnNaki, {naki.who, naki.m, static_cast<LONG>(naki.call.type),
                                          naki.call.from, t[0], t[1], t[2], t[3]});
}

int ScriptReplayEvents::OnDora(int hai) { return CallWithInts(Callback::kOnDora, {hai}); }

int ScriptReplayEvents::OnReach(int who) { return CallWithInts(Callback::kOnReach, {who}); }

int ScriptReplayEvents::OnAgari(const AgariEvent& agari) {
  if (!has(Callback::kOnAgari)) return 0;
  CallArgs args(10);
  args.SetInt(0, agari.who);
  for (std::size_t i = 0; i < agari.ten.size(); ++i) args.SetInt(1 + i, agari.ten[i]);
  BuildIntArray(target_, agari.yaku, args.at(4));
  BuildIntArray(target_, agari.yakuman, args.at(5));
  BuildIntArray(target_, agari.doraHaiUra, args.at(6));
  BuildRealArray(target_, agari.sc, args.at(7));
  args.SetInt(8, agari.paoWho);
  args.SetInt(9, agari.fromWho);
  return Call(Callback::kOnAgari, args);
}

int ScriptReplayEvents::OnRyuukyoku(const RyuukyokuEvent& ryuukyoku) {
  if (!has(Callback::kOnRyuukyoku)) return 0;
  CallArgs args(3);
  const std::u16string type(ryuukyoku.type.begin(), ryuukyoku.type.end());
  args.SetText(0, type);
  BuildIntArray(target_, ryuukyoku.sc, args.at(1));
  std::array<std::uint8_t, 4> shown{};
  BuildBoolArray(target_, AsBytes(ryuukyoku.shown, shown), args.at(2));
  return Call(Callback::kOnRyuukyoku, args);
}

int ScriptReplayEvents::OnSceneEnd() {
  if (!has(Callback::kOnSceneEnd)) return 0;
  CallArgs args(0);
  return Call(Callback::kOnSceneEnd, args);
}

int ScriptReplayEvents::OnLogEnd(std::span<const double> owari) {
  if (!has(Callback::kOnLogEnd)) return 0;
  CallArgs args(1);
  BuildRealArray(target_, owari, args.at(0));
  return Call(Callback::kOnLogEnd, args);
}

// The system's own messages are ASCII and go out byte for byte; anything else is shown from
// its UTF-8 as UTF-16, so that no code page mangles it.
void MessageBoxReplayReporter::Report(const ReplayMessage& message) {
  const UINT style = MB_OK | (message.icon == MessageIcon::kError ? MB_ICONERROR : 0);
  if (IsAscii(message.text)) {
    ShowMessageBox(nullptr, message.text.c_str(), nullptr, style);
  } else {
    ShowMessageBox(nullptr, AnsiToWide(message.text, CP_UTF8).c_str(), nullptr, style);
  }
}

}  // namespace zuvelo
