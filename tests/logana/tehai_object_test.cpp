// The hand object: its slot names, its methods as a page calls them and reads them as values,
// its arrays built by the page's own Array, and the script object it asks its host for.
#include "logana/tehai_object_win.h"

#include <algorithm>
#include <memory>

#include "bridge/jscript_host_win.h"
#include "hand_codes.h"
#include "objects_test.h"

namespace zuvelo::testing {
namespace {

// ES3 only: no JSON.
constexpr const wchar_t* kHelpers =
    LR"(
function attempt(f) {
  try { return 'ok:' + f(); } catch (e) { return 'error:' + (e.number >>> 0).toString(16); }
}
function list(a) { return (a instanceof Array) + ':' + a.join(','); }
function slots(h) {
  var out = [];
  for (var i = 0; i < 14; i++) out.push(h[i]);
  return out.join(',');
}
)";

// Waits on 1m (three held), 4m (none) and 5s (two held): 1 + 4 + 2 left to draw.
constexpr std::string_view kReady = "11123m456p789p55s";

std::wstring Join(const std::vector<int>& codes) {
  std::wstring joined;
  for (int code : codes) joined += (joined.empty() ? L"" : L",") + std::to_wstring(code);
  return joined;
}

class TehaiObjectTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    ASSERT_TRUE(engine_.ok());
    ASSERT_EQ(engine_.Run(kHelpers), S_OK);
    hand_ = IDispatchTehaiImpl::Create(record_, host_.hwnd());
    ASSERT_TRUE(hand_);
    ASSERT_EQ(engine_.AddNamedItem(L"h", hand_.get()), S_OK);
  }
  void TearDown() override {
    EXPECT_TRUE(engine_.TakeErrors().empty());
    engine_.Close();
    EXPECT_EQ(RefCount(hand_.get()), 1u);
    hand_.reset();
    EXPECT_EQ(Trace(), Lines{"IDispatchTehaiImpl DESTRUCT\r\n"});
    EXPECT_TRUE(boxes_.Take().empty());
    ObjectsTest::TearDown();
  }
  std::wstring Eval(const wchar_t* expression) {
    unique_variant value;
    EXPECT_EQ(engine_.Evaluate(expression, value.get()), S_OK)
        << "in " << ::testing::PrintToString(std::wstring(expression));
    return ScriptText(value);
  }

  JScriptHost engine_;
  ScriptHostWindow host_{engine_.Global().get()};
  std::shared_ptr<Tehai> record_ = std::make_shared<Tehai>();
  com_ptr<IDispatchTehaiImpl> hand_;
};

TEST_F(TehaiObjectTest, DigitNamesAreSlotsAndOutOfRangeNumbersAreBadIndexes) {
  static constexpr const char* kSomeLine = "<one line>";
  struct Case {
    const wchar_t* name;
    DISPID id;
    HRESULT hr;
    const char* line;  // null: none
  };
  const Case cases[] = {
      {L"0", 200, S_OK, nullptr},
      {L"13", 213, S_OK, nullptr},
      {L"007", 207, S_OK, nullptr},
      {L"", 200, S_OK, nullptr},
      {L"000000000000000000000013", 213, S_OK, nullptr},
      {L"14", DISPID_UNKNOWN, DISP_E_BADINDEX, nullptr},
      {L"99", DISPID_UNKNOWN, DISP_E_BADINDEX, nullptr},
      {L"4294967309", DISPID_UNKNOWN, DISP_E_BADINDEX, nullptr},  // 13 modulo 2^32
      {L"-1", DISPID_UNKNOWN, DISP_E_MEMBERNOTFOUND,
       "IDispatchTehaiImpl GetIDsOfNames UNKNOWN -1\r\n"},
      {L"1 ", DISPID_UNKNOWN, DISP_E_MEMBERNOTFOUND,
       "IDispatchTehaiImpl GetIDsOfNames UNKNOWN 1 \r\n"},
      {L"1a", DISPID_UNKNOWN, DISP_E_MEMBERNOTFOUND,
       "IDispatchTehaiImpl GetIDsOfNames UNKNOWN 1a\r\n"},
      // A fullwidth digit is no digit (how the trace shows the name is the trace's business).
      {L"\xFF11", DISPID_UNKNOWN, DISP_E_MEMBERNOTFOUND, kSomeLine},
      {L"length", 100, S_OK, nullptr},
      {L"toArray", 106, S_OK, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.name)));
    HRESULT hr = S_OK;
    EXPECT_EQ(IdOf(hand_.get(), c.name, &hr), c.id);
    EXPECT_EQ(hr, c.hr);
    const Lines lines = Trace();
    if (c.line == kSomeLine) {
      EXPECT_EQ(lines.size(), 1u);
    } else {
      EXPECT_EQ(lines, c.line ? Lines{c.line} : Lines{});
    }
  }
  // A bad index anywhere decides the lookup; the other names are still found.
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"length"), const_cast<LPOLESTR>(L"14"),
                      const_cast<LPOLESTR>(L"5")};
  DISPID ids[3] = {};
  EXPECT_EQ(hand_->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_BADINDEX);
  EXPECT_EQ(ids[0], 100);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(ids[2], 205);
}

TEST_F(TehaiObjectTest, SlotsReadLikeArrayElementsAndCannotBeWritten) {
  const std::vector<int> codes = CodesOf(kReady);
  const std::vector<int> dealt(codes.rbegin(), codes.rend());  // slots keep the deal's order
  Deal(*record_, dealt);
  EXPECT_EQ(Eval(L"slots(h)"), Join(dealt) + L",255");
  EXPECT_EQ(Eval(L"h.length + ':' + h[''] + ':' + h['012'] + ':' + h['013']"),
            L"13:" + std::to_wstring(dealt[0]) + L":" + std::to_wstring(dealt[12]) + L":255");
  // Out of range the lookup fails, and script gets the failure.
  EXPECT_EQ(Eval(L"attempt(function () { return h[14]; })"), L"error:8002000b");

  unique_variant value;
  EXPECT_EQ(Call(hand_.get(), 203, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, {}, value.get()),
            DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(Call(hand_.get(), 203, DISPATCH_PROPERTYPUT, {}, value.get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(hand_.get(), 203, DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Eval(L"attempt(function () { h[3] = 1; return h[3]; })"), L"error:80020003");
  EXPECT_EQ(record_->hai[3], dealt[3]);
  EXPECT_EQ(Trace(), Lines{});
  // Slots and the length are no methods.
  EXPECT_EQ(Call(hand_.get(), 213, DISPATCH_METHOD, {}, value.get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(hand_.get(), 100, DISPATCH_METHOD, Args({L"x"}), value.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), (Lines{"IDispatchTehaiImpl UNKNOWN Invoke dispid=213/0xD5 cArg=0",
                            "IDispatchTehaiImpl UNKNOWN Invoke dispid=100/0x64 cArg=1"}));
}

TEST_F(TehaiObjectTest, MethodsFollowTheLiveRecord) {
  const wchar_t* kAll =
      L"[h.length, h.syanten(), list(h.machi()), h.machiCount(), h.furiten(), "
      L"list(h.toArray())].join(' ')";
  EXPECT_EQ(Eval(kAll), L"0 8 true: 0 false true:");

  Deal(*record_, CodesOf(kReady));
  EXPECT_EQ(Eval(kAll), L"13 0 true:0,3,22 7 false true:" + Join(CodesOf(kReady)));

  // A winning draw: 3n+2 tiles read the second shanten number.
  ASSERT_TRUE(record_->AddHai(13).ok());
  ASSERT_TRUE(record_->UpdateSyanten2().ok());
  EXPECT_EQ(Eval(L"h.length + ' ' + h.syanten() + ' ' + h.toArray().length"), L"14 -1 14");

  // Discarded 4m earlier in the round: the ready hand is furiten.
  record_->ResetTehai();
  record_->MarkDiscard(14);
  const std::vector<int> codes = CodesOf(kReady);
  record_->SetHaipai(codes.data());
  ASSERT_TRUE(record_->UpdateSyanten1().ok());
  EXPECT_EQ(Eval(L"h.furiten() === true"), L"true");
  unique_variant furiten;
  ASSERT_EQ(Call(hand_.get(), 105, DISPATCH_METHOD, {}, furiten.get()), S_OK);
  EXPECT_EQ(furiten.type(), VT_BOOL);
  EXPECT_EQ(V_BOOL(furiten.get()), VARIANT_TRUE);
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(TehaiObjectTest, SortOrdersTheFilledSlotsAndLeavesTheEmptyOneLast) {
  const std::vector<int> codes = CodesOf(kReady);
  Deal(*record_, std::vector<int>(codes.rbegin(), codes.rend()));
  EXPECT_EQ(Eval(L"typeof h.sort()"), L"undefined");
  EXPECT_EQ(Eval(L"slots(h)"), Join(codes) + L",255");
  EXPECT_EQ(Eval(L"h.syanten()"), L"0");
}

TEST_F(TehaiObjectTest, MethodsReadAsValuesRunLaterOnTheHand) {
  Deal(*record_, CodesOf(kReady));
  ASSERT_EQ(engine_.Run(L"var s = h.syanten, m = h.machi, n = h.machiCount, t = h.toArray;"), S_OK);
  EXPECT_EQ(Trace(), Lines{});
  EXPECT_EQ(Eval(L"s() + ' ' + list(m()) + ' ' + n() + ' ' + t().length"), L"0 true:0,3,22 7 13");
  record_->ResetTehai();
  EXPECT_EQ(Eval(L"s() + ' ' + list(m()) + ' ' + n() + ' ' + t().length"), L"8 true: 0 0");
  ASSERT_EQ(engine_.Run(L"s = m = n = t = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines(4, "CFunctionObject DESTRUCT\r\n"));
}

// Without a result nothing is built, and nothing is left behind.
TEST_F(TehaiObjectTest, CallsWithoutAResultOnlyRun) {
  const std::vector<int> codes = CodesOf(kReady);
  Deal(*record_, std::vector<int>(codes.rbegin(), codes.rend()));
  for (DISPID id : {102, 103, 104, 105, 106}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Call(hand_.get(), id, DISPATCH_METHOD, {}, nullptr), S_OK);
  }
  EXPECT_EQ(record_->hai[0], codes.back());
  EXPECT_EQ(Call(hand_.get(), 101, DISPATCH_METHOD, {}, nullptr), S_OK);
  EXPECT_EQ(record_->hai[0], codes.front());
  // A read without a result hands nothing out.
  EXPECT_EQ(Call(hand_.get(), 103, DISPATCH_PROPERTYGET, {}, nullptr), S_OK);
  EXPECT_EQ(Trace(), Lines{});
}

class TehaiHostTest : public ObjectsTest {
 protected:
  JScriptHost engine_;
};

TEST_F(TehaiHostTest, KeepsTheOneReferenceItsHostGaveAndDropsItAtTheEnd) {
  com_ptr<IDispatch> global = engine_.Global();
  ScriptHostWindow host(global.get());
  const ULONG before = RefCount(global.get());
  com_ptr<IDispatchTehaiImpl> hand =
      IDispatchTehaiImpl::Create(std::make_shared<Tehai>(), host.hwnd());
  ASSERT_TRUE(hand);
  EXPECT_EQ(host.requests(), 1);
  EXPECT_EQ(host.last_argument(), 0u);
  EXPECT_EQ(RefCount(global.get()), before + 1);
  hand.reset();
  EXPECT_EQ(RefCount(global.get()), before);
  EXPECT_EQ(Trace(), Lines{"IDispatchTehaiImpl DESTRUCT\r\n"});
}

TEST_F(TehaiHostTest, AHostWithoutAScriptObjectFailsTheHandWithABox) {
  ScriptHostWindow host(nullptr);
  EXPECT_FALSE(IDispatchTehaiImpl::Create(std::make_shared<Tehai>(), host.hwnd()));
  EXPECT_EQ(host.requests(), 1);
  const std::vector<MessageBoxCall> boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, host.hwnd());
  EXPECT_EQ(boxes[0].text, "GETSCRIPT FAILED");
  EXPECT_FALSE(boxes[0].caption.has_value());
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(Trace(), Lines{"IDispatchTehaiImpl DESTRUCT\r\n"});
}

}  // namespace
}  // namespace zuvelo::testing
