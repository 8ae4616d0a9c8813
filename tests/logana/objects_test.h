// Shared by the script object tests: COM, sockets and one trace receiver for the program, a
// host window that answers "GETSCRIPT", and short ways to call an object as script does.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "bridge/com_ptr.h"
#include "bridge/variant.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

using Lines = std::vector<std::string>;

// Bound once (waiting while other programs hold the port), keeping only this process's lines.
TraceListener& TraceReceiver();

// Stands in for the browser host: answers "GETSCRIPT" with the script object it was given
// (with a reference for the receiver), or 0 when it was given none.
class ScriptHostWindow {
 public:
  explicit ScriptHostWindow(IDispatch* script);
  ~ScriptHostWindow();
  ScriptHostWindow(const ScriptHostWindow&) = delete;
  ScriptHostWindow& operator=(const ScriptHostWindow&) = delete;

  [[nodiscard]] HWND hwnd() const { return window_; }
  [[nodiscard]] int requests() const { return requests_; }
  [[nodiscard]] WPARAM last_argument() const { return last_argument_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT GetScript(WPARAM argument);

  HWND window_ = nullptr;
  com_ptr<IDispatch> script_;
  int requests_ = 0;
  WPARAM last_argument_ = 0;
};

// Every test checks its trace lines and sees no real message box.
class ObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TraceReceiver().ok()) << "UDP 127.0.0.1:514 is not free";
    ASSERT_TRUE(TraceReceiver().keeps_only_this_process()) << "own trace lines do not arrive";
    TraceReceiver().Take(0);
  }
  void TearDown() override {
    EXPECT_EQ(TraceReceiver().malformed(), 0) << "a trace datagram lacked its zero byte";
  }
  static Lines Trace() { return TraceReceiver().Take(); }

  MessageBoxRecorder boxes_;
};

// The count as the object keeps it, seen through AddRef/Release.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// Member number of one name, and the lookup's result.
DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* hr = nullptr);

// Invoke with arguments given in script order.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<unique_variant> args,
             VARIANT* result);
HRESULT Read(IDispatch* object, DISPID id, VARIANT* result);

std::vector<unique_variant> Args(std::initializer_list<const wchar_t*> texts);

// A BSTR result as text; "<vt N>" for other types.
std::wstring TextOf(const unique_variant& value);
// A script value as String() shows it: "undefined", "true", numbers in decimal.
std::wstring ScriptText(const unique_variant& value);

}  // namespace zuvelo::testing
