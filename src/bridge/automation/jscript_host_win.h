// A host for the platform's JScript engine that runs scripts against our automation objects
// the way a page does: logana-run uses it, and the tests drive the objects through it.
#pragma once

#include <activscp.h>
#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/com_ptr_win.h"

namespace zuvelo {

struct ScriptError {
  HRESULT code = S_OK;
  std::wstring description;
  ULONG line = 0;
};

// One engine in the connected state, on the calling thread (which must have COM started,
// single-threaded apartment). Everything the engine holds is released by Close or destruction.
class JScriptHost {
 public:
  JScriptHost();
  ~JScriptHost();
  JScriptHost(const JScriptHost&) = delete;
  JScriptHost& operator=(const JScriptHost&) = delete;

  [[nodiscard]] bool ok() const { return SUCCEEDED(status_); }
  [[nodiscard]] HRESULT status() const { return status_; }

  // Makes `object` a global of the script under `name`; the host keeps a reference.
  HRESULT AddNamedItem(const wchar_t* name, IDispatch* object);
  // Runs statements. A script error gives a failure result and an entry in TakeErrors.
  HRESULT Run(std::wstring_view code);
  // Evaluates one expression.
  HRESULT Evaluate(std::wstring_view expression, VARIANT* result);
  // The script's global object, which has the "Array" constructor and the script's functions.
  [[nodiscard]] com_ptr<IDispatch> Global();
  // Calls a global function with arguments in script order (first argument first).
  HRESULT Call(const wchar_t* function, std::span<const VARIANT> args, VARIANT* result);
  // Errors the engine reported since the last take.
  std::vector<ScriptError> TakeErrors();

  // Ends the engine: script variables let go of what they held.
  void Close();

  class Site;

 private:
  HRESULT status_ = E_FAIL;
  com_ptr<IActiveScript> engine_;
  com_ptr<IActiveScriptParse> parser_;
  Site* site_ = nullptr;  // owned through engine_ and one reference of ours
};

}  // namespace zuvelo
