// Members of the log info object.
#include "logana/log_info_object_win.h"

#include <new>

#include "logana/log_name.h"
#include "logana/script_results_win.h"

namespace zuvelo {
namespace {

// "file" drops "&tw=" and the table digit.
constexpr std::size_t kTableSuffixLength = 5;

}  // namespace

std::span<const Member<IDispatchLogInfoImpl>> IDispatchLogInfoImpl::Members() {
  using L = IDispatchLogInfoImpl;
  static constexpr Member<L> members[] = {
      {L"file", 101, MemberKind::kProperty, &L::File},
      {L"wGameType", 102, MemberKind::kProperty, &L::GameType},
      {L"wLobbyID", 103, MemberKind::kProperty, &L::LobbyId},
      {L"tw", 104, MemberKind::kProperty, &L::Tw},
      // Not cut to 16 bits: the "w" and "dw" members give the same numbers.
      {L"dwGameType", 105, MemberKind::kProperty, &L::GameType},
      {L"dwLobbyID", 106, MemberKind::kProperty, &L::LobbyId},
      {L"cache", 107, MemberKind::kProperty, &L::Cache},
      {L"filetw", 108, MemberKind::kProperty, &L::FileTw},
  };
  return members;
}

com_ptr<IDispatchLogInfoImpl> IDispatchLogInfoImpl::Create() {
  return com_ptr<IDispatchLogInfoImpl>(new (std::nothrow) IDispatchLogInfoImpl);
}

bool IDispatchLogInfoImpl::SetLogName(std::u16string_view name) {
  return zuvelo::SetLogName(record_, name);
}

HRESULT IDispatchLogInfoImpl::File(const Invocation& call) {
  const std::u16string_view name = record_.name;
  if (name.size() < kTableSuffixLength) return WriteTextResult(call.result(), name);
  return WriteTextResult(call.result(), name.substr(0, name.size() - kTableSuffixLength));
}

HRESULT IDispatchLogInfoImpl::GameType(const Invocation& call) {
  return WriteIntResult(call.result(), record_.gameType);
}

HRESULT IDispatchLogInfoImpl::LobbyId(const Invocation& call) {
  return WriteIntResult(call.result(), record_.lobby);
}

HRESULT IDispatchLogInfoImpl::Tw(const Invocation& call) {
  if (record_.name.empty()) return WriteIntResult(call.result(), -1);
  return WriteIntResult(call.result(), static_cast<LONG>(record_.name.back()) - u'0');
}

// The "missing" marker, which script sees as undefined.
HRESULT IDispatchLogInfoImpl::Cache(const Invocation& call) {
  V_VT(call.result()) = VT_ERROR;
  V_ERROR(call.result()) = DISP_E_PARAMNOTFOUND;
  return S_OK;
}

HRESULT IDispatchLogInfoImpl::FileTw(const Invocation& call) {
  return WriteTextResult(call.result(), record_.name);
}

}  // namespace zuvelo
