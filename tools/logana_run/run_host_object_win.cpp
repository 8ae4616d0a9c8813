// The host object's members: any script value is printed or written as its text.
#include "run_host_object_win.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <optional>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "base/variant_win.h"

namespace zuvelo::run {
namespace {

// The argument as text, converted the way script would ("1", "true"); nothing for a missing
// argument or one without a text form.
std::optional<std::wstring> TextArg(const Invocation& call, UINT index) {
  const VARIANT* value = call.arg(index);
  if (value == nullptr) return std::nullopt;
  unique_variant text;
  if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(value), VARIANT_ALPHABOOL,
                                 VT_BSTR))) {
    return std::nullopt;
  }
  return std::wstring(bstr_view(V_BSTR(text.get())));
}

std::optional<LONG> IntArg(const Invocation& call, UINT index) {
  const VARIANT* value = call.arg(index);
  if (value == nullptr) return std::nullopt;
  unique_variant number;
  if (FAILED(::VariantChangeType(number.get(), const_cast<VARIANT*>(value), 0, VT_I4)))
    return std::nullopt;
  return V_I4(number.get());
}

void SetResult(const Invocation& call, unique_variant value) {
  if (call.result() != nullptr) value.release_to(call.result());
}

}  // namespace

std::span<const Member<IDispatchRunHostImpl>> IDispatchRunHostImpl::Members() {
  using H = IDispatchRunHostImpl;
  static constexpr Member<H> kMembers[] = {
      {L"print", 101, MemberKind::kMethod, &H::Print},
      {L"writeFile", 102, MemberKind::kMethod, &H::WriteFile},
      {L"exitCode", 103, MemberKind::kProperty, &H::ExitCode, &H::PutExitCode},
      {L"argCount", 104, MemberKind::kProperty, &H::ArgCount},
      {L"arg", 105, MemberKind::kMethod, &H::Arg},
  };
  return kMembers;
}

com_ptr<IDispatchRunHostImpl> IDispatchRunHostImpl::Create(std::vector<std::wstring> args,
                                                           std::FILE* out) {
  return com_ptr<IDispatchRunHostImpl>(new (std::nothrow)
                                           IDispatchRunHostImpl(std::move(args), out));
}

HRESULT IDispatchRunHostImpl::Print(const Invocation& call) {
  const std::string line = WideToAnsi(TextArg(call, 0).value_or(L""), CP_UTF8) + "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  return S_OK;
}

HRESULT IDispatchRunHostImpl::WriteFile(const Invocation& call) {
  const auto path = TextArg(call, 0);
  const auto text = TextArg(call, 1);
  if (!path || !text || path->empty()) return E_INVALIDARG;
  const std::string bytes = WideToAnsi(*text, CP_UTF8);
  std::ofstream file(std::filesystem::path(*path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  SetResult(call, variant_bool(!file.fail()));
  return S_OK;
}

HRESULT IDispatchRunHostImpl::ExitCode(const Invocation& call) {
  SetResult(call, variant_i4(exit_code_));
  return S_OK;
}

HRESULT IDispatchRunHostImpl::PutExitCode(const Invocation& call) {
  const auto code = IntArg(call, 0);
  if (call.count() != 1 || !code) return DISP_E_TYPEMISMATCH;
  exit_code_ = *code;
  return S_OK;
}

HRESULT IDispatchRunHostImpl::ArgCount(const Invocation& call) {
  SetResult(call, variant_i4(static_cast<LONG>(args_.size())));
  return S_OK;
}

HRESULT IDispatchRunHostImpl::Arg(const Invocation& call) {
  const auto index = IntArg(call, 0);
  if (!index) return DISP_E_TYPEMISMATCH;
  const bool inside = *index >= 0 && static_cast<std::size_t>(*index) < args_.size();
  SetResult(call, variant_text(inside ? args_[static_cast<std::size_t>(*index)] : L""));
  return S_OK;
}

}  // namespace zuvelo::run
