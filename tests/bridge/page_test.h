// Fixture for objects that page script creates: one trace receiver for the program, a real
// JScript engine, the stand-in windows (the host hands out the engine's global object), and
// message boxes recorded instead of shown.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/variant_win.h"
#include "bridge/automation/jscript_host_win.h"
#include "host_windows.h"
#include "support/invoke_with.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

using Lines = std::vector<std::string>;

// Bound once for the program (waiting while other programs hold the port), keeping only this
// process's lines.

class PageTest : public ::testing::Test {
 protected:
  PageTest();
  void SetUp() override;
  void TearDown() override;

  static Lines Trace() { return ProcessTraceListener().Take(); }

  // String(expression) as script computes it.
  std::wstring Text(const std::wstring& expression);
  // "ok", or the number of the error that the statements throw.
  std::wstring Attempt(const std::wstring& statements);

  TestMainWindow main_;
  JScriptHost script_;
  TestHostWindow host_;
  MessageBoxRecorder boxes_;
};

template <class... Values>
std::vector<unique_variant> Args(Values&&... values) {
  std::vector<unique_variant> args;
  (args.push_back(std::forward<Values>(values)), ...);
  return args;
}

// The count as the object keeps it, seen through AddRef/Release.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// HRESULTs as script sees them in a caught error's number.
inline std::wstring ErrorNumber(HRESULT hr) { return std::to_wstring(static_cast<int>(hr)); }

}  // namespace zuvelo::testing
