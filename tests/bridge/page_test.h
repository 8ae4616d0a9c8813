// Fixture for objects page script creates: the headless page, the trace, recorded message boxes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/variant_win.h"
#include "headless_page_win.h"
#include "support/invoke_with.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

using Lines = std::vector<std::string>;
using headless::PumpUntil;
using headless::PumpWaiting;
using TestHostWindow = headless::HostWindow;

// STATUS and the browser's DISPID_ events carry a narrow text, the others a wide text or null.
struct ReceivedCommand {
  std::string name;
  bool has_argument = false;
  std::wstring wide;
  std::string narrow;
  DWORD thread = 0;  // the thread that sent it

  bool operator==(const ReceivedCommand&) const = default;
};

class TestMainWindow {
 public:
  [[nodiscard]] HWND hwnd() const { return window_.hwnd(); }
  [[nodiscard]] AttachedObjects& attached() { return window_.attached(); }
  std::vector<ReceivedCommand> TakeCommands() { return std::exchange(commands_, {}); }

  LRESULT answer = 0;           // to every named command but GETEXTERNAL
  com_ptr<IDispatch> external;  // what GETEXTERNAL hands out

 private:
  LRESULT Record(const char* name, WPARAM argument);

  std::vector<ReceivedCommand> commands_;
  headless::MainWindow window_{
      [this](const char* name, WPARAM argument) { return Record(name, argument); }};
};

class PageTest : public ::testing::Test {
 protected:
  PageTest() : host_(main_.hwnd(), script_.Global().get()) {}
  void SetUp() override;
  void TearDown() override;

  static Lines Trace() { return ProcessTraceListener().Take(); }

  std::wstring Text(const std::wstring& expression);
  // "ok", or the number of the error the statements throw.
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

inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

inline std::wstring ErrorNumber(HRESULT hr) { return std::to_wstring(static_cast<int>(hr)); }

}  // namespace zuvelo::testing
