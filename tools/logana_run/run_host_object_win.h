// IDispatchRunHostImpl: the `host` object of a logana-run script: output lines, files, the
// exit code and the script's arguments.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "base/com_ptr_win.h"
#include "bridge/automation/automation_object.h"

namespace zuvelo::run {

class IDispatchRunHostImpl final : public AutomationObject<IDispatchRunHostImpl> {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_UNKNOWNNAME,
      nullptr,
      nullptr,
      "IDispatchRunHostImpl GetIDsOfNames UNKNOWN %s\r\n",
      "IDispatchRunHostImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d\r\n",
  };
  static std::span<const Member<IDispatchRunHostImpl>> Members();

  // Lines go to `out` as UTF-8. Null when memory runs out.
  [[nodiscard]] static com_ptr<IDispatchRunHostImpl> Create(std::vector<std::wstring> args,
                                                            std::FILE* out);

  HRESULT Print(const Invocation& call);      // print(text)
  HRESULT WriteFile(const Invocation& call);  // writeFile(path, text): VT_BOOL
  HRESULT ExitCode(const Invocation& call);   // exitCode: VT_I4
  HRESULT PutExitCode(const Invocation& call);
  HRESULT ArgCount(const Invocation& call);  // argCount: VT_I4
  HRESULT Arg(const Invocation& call);       // arg(i): VT_BSTR, empty past the end

  [[nodiscard]] int exit_code() const { return exit_code_; }

 private:
  IDispatchRunHostImpl(std::vector<std::wstring> args, std::FILE* out) noexcept
      : args_(std::move(args)), out_(out) {}
  ~IDispatchRunHostImpl() override = default;

  std::vector<std::wstring> args_;
  std::FILE* out_;
  int exit_code_ = 0;
};

}  // namespace zuvelo::run
