// Page fixtures of the analyzer and its objects; the analyzer is known to script as `ana`.
#pragma once

#include <tuple>

#include "logana/analyzer_object_win.h"
#include "page_test.h"

namespace zuvelo::testing {

inline void ExpectOneBox(MessageBoxRecorder& boxes, HWND owner, UINT style, const char* text) {
  const std::vector<MessageBoxCall> taken = boxes.Take();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(std::tuple(taken[0].owner, taken[0].style, taken[0].text, taken[0].caption.has_value()),
            std::tuple(owner, style, std::string(text), false));
}

class AnalyzerTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ASSERT_EQ(script_.Run(L"var calls = [];"
                          L"function note(name) { return function () { calls.push(name); }; }"),
              S_OK);
    analyzer_ = IDispatchLogAnaImpl::Create(host_.hwnd());
    ASSERT_TRUE(analyzer_);
    ASSERT_EQ(script_.AddNamedItem(L"ana", analyzer_.get()), S_OK);
    EXPECT_EQ(Trace(),
              (Lines{"IDispatchCacheImpl CONSTRUCT\r\n", "IDispatchLogAnaImpl CONSTRUCT\r\n"}));
  }
  void TearDown() override {
    if (analyzer_ && main_.attached().contains(analyzer_.get())) RunToDetach(analyzer_.get());
    EXPECT_TRUE(boxes_.Take().empty());
    PageTest::TearDown();
  }
  void RunToDetach(IDispatchLogAnaImpl* analyzer) {
    EXPECT_TRUE(PumpUntil([&] { return !main_.attached().contains(analyzer); }))
        << "the run did not detach";
  }
  com_ptr<IDispatch> Object(const std::wstring& expression) {
    unique_variant value;
    EXPECT_EQ(script_.Evaluate(L"(" + expression + L")", value.get()), S_OK);
    if (value.type() != VT_DISPATCH) return {};
    return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
  }

  com_ptr<IDispatchLogAnaImpl> analyzer_;
};

}  // namespace zuvelo::testing
