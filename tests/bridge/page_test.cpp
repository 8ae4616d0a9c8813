#include "page_test.h"

#include <cstring>

#include "base/bstr_win.h"
#include "support/com_test_environment.h"

namespace zuvelo::testing {

ZUVELO_COM_TEST_ENVIRONMENT();

LRESULT TestMainWindow::Record(const char* name, WPARAM argument) {
  ReceivedCommand command{name, argument != 0, {}, {}, ::GetCurrentThreadId()};
  if (command.name == "GETEXTERNAL") {
    command.has_argument = false;
    *reinterpret_cast<IDispatch**>(argument) =
        com_ptr<IDispatch>::copy_of(external.get()).release();
  } else if (argument != 0 && (command.name == "STATUS" || command.name.starts_with("DISPID_"))) {
    command.narrow = reinterpret_cast<const char*>(argument);
  } else if (argument != 0) {
    command.wide = reinterpret_cast<const wchar_t*>(argument);
  }
  const bool give_external = command.name == "GETEXTERNAL";
  commands_.push_back(std::move(command));
  return give_external ? 0 : answer;
}

void PageTest::SetUp() {
  ASSERT_TRUE(ProcessTraceListener().ok()) << "no UDP port of 127.0.0.1 for the trace";
  ASSERT_TRUE(ProcessTraceListener().keeps_only_this_process()) << "own trace lines do not arrive";
  ASSERT_TRUE(script_.ok());
  ASSERT_EQ(script_.Run(kAttemptHelper), S_OK);
  ProcessTraceListener().Take(0);
}

void PageTest::TearDown() {
  EXPECT_TRUE(script_.TakeErrors().empty());
  EXPECT_EQ(ProcessTraceListener().malformed(), 0) << "a trace datagram lacked its zero byte";
}

std::wstring PageTest::Text(const std::wstring& expression) {
  unique_variant value;
  const HRESULT hr = script_.Evaluate(L"String(" + expression + L")", value.get());
  EXPECT_EQ(hr, S_OK) << ::testing::PrintToString(expression);
  if (value.type() != VT_BSTR) return L"<no text>";
  return std::wstring(bstr_view(V_BSTR(value.get())));
}

std::wstring PageTest::Attempt(const std::wstring& statements) {
  return Text(L"attempt(function () { " + statements + L" })");
}

}  // namespace zuvelo::testing
