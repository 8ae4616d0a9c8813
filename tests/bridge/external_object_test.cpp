// window.external as pages use it: mjCommand and the objects it creates, the two hand
// calculators in both argument forms, the requests sent to the main window, method values,
// and the object model's particulars for this class.
#include <dispex.h>

#include <algorithm>
#include <utility>

#include "bridge/external_object_win.h"
#include "bridge/script_values.h"
#include "hand/hand_notation.h"
#include "hand/syanten.h"
#include "page_test.h"

namespace zuvelo::testing {
namespace {

const std::wstring kNotFound = ErrorNumber(DISP_E_MEMBERNOTFOUND);
const std::wstring kTypeMismatch = ErrorNumber(DISP_E_TYPEMISMATCH);
const std::wstring kFail = ErrorNumber(E_FAIL);

class ExternalTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    external_ = IDispatchBrowserExternalImpl::Create(host_.hwnd());
    ASSERT_TRUE(external_);
    ASSERT_EQ(script_.AddNamedItem(L"external", external_.get()), S_OK);
    EXPECT_EQ(Trace(), Lines{"IDispatchBrowserExternalImpl Construct\r\n"});
  }
  void TearDown() override {
    script_.Close();
    EXPECT_EQ(RefCount(external_.get()), 1u);
    external_.reset();
    EXPECT_EQ(Trace(), Lines{"IDispatchBrowserExternalImpl Destruct\r\n"});
    PageTest::TearDown();
  }

  com_ptr<IDispatchBrowserExternalImpl> external_;
};

// Tile codes of a hand in notation: the first free copy of each kind.
std::vector<int> Codes(const char* notation) {
  const ParsedHand hand = ParseTileNotation(notation);
  EXPECT_TRUE(hand.ok()) << notation << ": " << hand.message;
  std::vector<int> codes;
  for (int kind = 0; kind < kKindCount; ++kind) {
    for (int copy = 0; copy < hand.counts[static_cast<std::size_t>(kind)]; ++copy) {
      codes.push_back(kind * 4 + copy);
    }
  }
  return codes;
}

std::vector<int> Counts(const char* notation) {
  const ParsedHand hand = ParseTileNotation(notation);
  EXPECT_TRUE(hand.ok()) << notation << ": " << hand.message;
  return std::vector<int>(hand.counts.begin(), hand.counts.end());
}

std::wstring Join(const std::vector<int>& values) {
  std::wstring text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) text += L", ";
    text += std::to_wstring(values[i]);
  }
  return text;
}

std::wstring ArrayOf(const std::vector<int>& values) { return L"[" + Join(values) + L"]"; }

// The trace line of the calculator for these slots.
std::string SlotLine(std::vector<int> slots) {
  slots.resize(14, 255);
  std::string line = "CalcSyanten14 ";
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (i) line += ',';
    line += std::to_string(slots[i]);
  }
  return line + "\r\n";
}

TEST_F(ExternalTest, MjCommandAnswersItsThreeCommandsExactly) {
  EXPECT_EQ(Text(L"external.mjCommand('VERSION')"), L"1.03");
  EXPECT_EQ(Text(L"typeof external.mjCommand('VERSION')"), L"number");
  // A statement gives no result slot: nothing is made or answered then.
  for (const wchar_t* call :
       {L"external.mjCommand('version')", L"external.mjCommand()", L"external.mjCommand(5)",
        L"external.mjCommand('')", L"external.mjCommand('VERSION ')",
        L"external.mjCommand('CREATEINSTANCE::LOGANA1.1')",
        L"external.mjCommand('CREATEINSTANCE::file1.0')", L"external.mjCommand('VERSION', 5)",
        L"external.mjCommand('VERSION');", L"external.mjCommand('CREATEINSTANCE::FILE1.0');"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(call)));
    const std::wstring statement =
        std::wstring(call).back() == L';' ? call : L"var r = " + std::wstring(call) + L";";
    EXPECT_EQ(Attempt(statement), kNotFound);
  }
  // The argument stored first is the last one written.
  EXPECT_EQ(Text(L"external.mjCommand(5, 'VERSION')"), L"1.03");
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(ExternalTest, MjCommandNeedsAResultSlotAndLeavesItAloneOnFailure) {
  unique_variant result;
  std::vector<unique_variant> args;
  args.push_back(variant_text(L"CREATEINSTANCE::FILE1.0"));
  EXPECT_EQ(InvokeWith(external_.get(), 1001, DISPATCH_METHOD, std::move(args), nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{});  // nothing was made

  struct Case {
    unique_variant argument;
    VARTYPE after;  // what the preset result holds afterwards
  };
  Case cases[] = {
      {variant_i4(5), VT_I4},             // not looked at: no string
      {variant_text(L"NOPE"), VT_EMPTY},  // emptied, then unknown
      {variant_text(L"VERSION"), VT_R8},
  };
  for (Case& c : cases) {
    unique_variant preset = variant_i4(77);
    std::vector<unique_variant> one;
    one.push_back(std::move(c.argument));
    InvokeWith(external_.get(), 1001, DISPATCH_METHOD, std::move(one), preset.get());
    EXPECT_EQ(preset.type(), c.after);
  }
  EXPECT_EQ(InvokeWith(external_.get(), 1001, DISPATCH_METHOD, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(ExternalTest, CreatedObjectsAreNewIndependentAndSingleOwned) {
  ASSERT_EQ(script_.Run(L"var a1 = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"var a2 = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"var f1 = external.mjCommand('CREATEINSTANCE::FILE1.0');"
                        L"var f2 = external.mjCommand('CREATEINSTANCE::FILE1.0');"),
            S_OK);
  EXPECT_EQ(Text(L"(a1 !== a2) + ',' + (f1 !== f2) + ',' + (a1.cache !== null)"),
            L"true,true,true");
  EXPECT_EQ(Text(L"a1.nTotal + a2.nProgress"), L"0");
  ASSERT_EQ(script_.Run(L"a1.global = {n: 1}; a2.global = {n: 2};"), S_OK);
  EXPECT_EQ(Text(L"a1.global.n + ':' + a2.global.n"), L"1:2");
  EXPECT_EQ(Attempt(L"f1.open('default', '.pdf');"), ErrorNumber(E_INVALIDARG));
  const Lines made = Trace();
  EXPECT_EQ(std::count(made.begin(), made.end(), "IDispatchLogAnaImpl CONSTRUCT\r\n"), 2);
  EXPECT_EQ(std::count(made.begin(), made.end(), "IDispatchFileImpl CONSTRUCT\r\n"), 2);

  // Directly: the result holds the new object's only reference.
  for (const wchar_t* command : {L"CREATEINSTANCE::LOGANA1.0", L"CREATEINSTANCE::FILE1.0"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(command)));
    unique_variant result;
    std::vector<unique_variant> args;
    args.push_back(variant_text(command));
    ASSERT_EQ(InvokeWith(external_.get(), 1001, DISPATCH_METHOD, std::move(args), result.get()),
              S_OK);
    ASSERT_EQ(result.type(), VT_DISPATCH);
    EXPECT_EQ(RefCount(V_DISPATCH(result.get())), 1u);
  }
  Trace();
}

TEST_F(ExternalTest, AnAnalyzerThatCannotGetThePageScriptIsNotMade) {
  host_.set_script(nullptr);
  EXPECT_EQ(Attempt(L"var made = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"), kNotFound);
  const auto boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "GETSCRIPT FAILED");
  EXPECT_EQ(boxes[0].owner, host_.hwnd());
  const Lines lines = Trace();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "IDispatchLogAnaImpl CONSTRUCT\r\n"), 0);
}

TEST_F(ExternalTest, CalcSyanten14ReadsArraysAndSeparateCodes) {
  struct Case {
    const char* hand;
    int expected;  // shanten by hand: -1 complete, 0 ready
  };
  const Case hands[] = {
      {"123m456p789s11222z", -1},
      {"123m456p789s1122z", 0},
      {"19m19p19s12345677z", -1},
      {"1133557799m1122p", -1},
      {"5m+4", 0},
  };
  for (const Case& c : hands) {
    SCOPED_TRACE(c.hand);
    const std::vector<int> codes = Codes(c.hand);
    EXPECT_EQ(Text(L"external.mjCalcSyanten14(" + ArrayOf(codes) + L")"),
              std::to_wstring(c.expected));
    EXPECT_EQ(Trace(), Lines{SlotLine(codes)});
    // Separate arguments fill the slots last-first.
    EXPECT_EQ(Text(L"external.mjCalcSyanten14(" + Join(codes) + L")"), std::to_wstring(c.expected));
    const std::vector<int> reversed(codes.rbegin(), codes.rend());
    EXPECT_EQ(Trace(), Lines{SlotLine(reversed)});
  }
}

TEST_F(ExternalTest, CalcSyanten14ArrayEdges) {
  struct Case {
    const wchar_t* argument;
    std::vector<int> slots;  // what the search is given; empty: the call fails
    const std::wstring* failure;
  };
  const std::vector<int> all_four = {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52};
  const Case cases[] = {
      {L"[]", {}, nullptr},
      {L"['1', '2', true, 2.5, null]", {}, nullptr},  // no integer: no tile
      {L"[255, 0]", {255, 0}, nullptr},
      {L"{length: -1, 0: 8}", {8}, nullptr},  // a negative length reads all 14
      {L"{length: 'x', 13: 9}",
       {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 9},
       nullptr},
      {L"{length: 2, 0: 1, 1: 2, 2: 3}", {1, 2}, nullptr},
      {L"{}", {}, nullptr},
      // Twenty elements: only the first 14 are read, so the bad ones after them do no harm.
      {L"[0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, -1, 999, 'x', 1, 2, 3]", all_four,
       nullptr},
      {L"[0, -1]", {}, &kFail},
      {L"[136]", {}, &kFail},
      {L"[254]", {}, &kFail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.argument)));
    const std::wstring call = L"external.mjCalcSyanten14(" + std::wstring(c.argument) + L");";
    if (c.failure) {
      EXPECT_EQ(Attempt(call), *c.failure);
      EXPECT_EQ(Trace(), Lines{});
      continue;
    }
    std::vector<TileCode> slots(14, kNoTile);
    for (std::size_t i = 0; i < c.slots.size(); ++i) slots[i] = static_cast<TileCode>(c.slots[i]);
    EXPECT_EQ(Text(L"external.mjCalcSyanten14(" + std::wstring(c.argument) + L")"),
              std::to_wstring(CalcSyanten14(slots.data())));
    EXPECT_EQ(Trace(), Lines{SlotLine(c.slots)});
  }
}

TEST_F(ExternalTest, CalcSyanten14SeparateArgumentEdges) {
  EXPECT_EQ(Text(L"external.mjCalcSyanten14()"), L"-1");  // no tile at all
  EXPECT_EQ(Trace(), Lines{SlotLine({})});
  EXPECT_EQ(Text(L"external.mjCalcSyanten14(255, 0)"), L"0");  // one tile: a single wait
  EXPECT_EQ(Trace(), Lines{SlotLine({0, 255})});
  for (const auto& [call, expected] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"external.mjCalcSyanten14(136);", kFail},
           {L"external.mjCalcSyanten14(-1);", kFail},
           {L"external.mjCalcSyanten14(0, 300);", kFail},
           {L"external.mjCalcSyanten14('4');", kTypeMismatch},
           {L"external.mjCalcSyanten14(2.5);", kTypeMismatch},
           {L"external.mjCalcSyanten14([1], 2);", kTypeMismatch},
       }) {
    SCOPED_TRACE(::testing::PrintToString(call));
    EXPECT_EQ(Attempt(call), expected);
  }
  EXPECT_EQ(Trace(), Lines{});
  // Fifteen arguments: the one stored last (written first) is never looked at.
  const std::vector<int> codes = Codes("123m456p789s11222z");
  EXPECT_EQ(Text(L"external.mjCalcSyanten14('x', " + Join(codes) + L")"), L"-1");
  EXPECT_EQ(Trace(), Lines{SlotLine(std::vector<int>(codes.rbegin(), codes.rend()))});

  // Directly, without a result slot: computed and traced all the same.
  std::vector<unique_variant> args;
  args.push_back(variant_i4(5));
  EXPECT_EQ(InvokeWith(external_.get(), 1002, DISPATCH_METHOD, std::move(args), nullptr), S_OK);
  EXPECT_EQ(Trace(), Lines{SlotLine({5})});
}

TEST_F(ExternalTest, CalcSyanten34ReadsCountsInScriptOrder) {
  struct Case {
    const char* hand;
    int expected;
  };
  const Case hands[] = {
      {"123m456p789s11222z", -1},
      {"123m456p789s1122z", 0},
      {"1m+4", 0},
      {"1133557799m1122p", -1},
  };
  for (const Case& c : hands) {
    SCOPED_TRACE(c.hand);
    const std::vector<int> counts = Counts(c.hand);
    EXPECT_EQ(Text(L"external.mjCalcSyanten34(" + ArrayOf(counts) + L")"),
              std::to_wstring(c.expected));
    EXPECT_EQ(Text(L"external.mjCalcSyanten34(" + Join(counts) + L")"),
              std::to_wstring(c.expected));
  }
  EXPECT_EQ(Text(L"external.mjCalcSyanten34(1)"), L"0");  // one tile of kind 0
  EXPECT_EQ(Trace(), Lines{});                            // this calculator traces nothing
}

TEST_F(ExternalTest, CalcSyanten34Edges) {
  KindCounts one_red{};
  one_red[33] = 1;
  KindCounts pair_and_more{};
  pair_and_more[0] = 2;
  pair_and_more[1] = 1;
  const struct {
    std::wstring argument;
    std::wstring expected;
  } cases[] = {
      {L"5", kFail},
      {L"-1", kFail},
      {L"0, 5", kFail},
      {L"'1'", kTypeMismatch},
      {L"1.5", kTypeMismatch},
      {L"[5]", kFail},
      {L"[-1]", kFail},
      {L"[4, 4, 4, 3]", kFail},  // fifteen tiles in an array
      {L"{length: -1, 33: 1}", std::to_wstring(CalcSyanten34(one_red))},
      {L"[2, 1, '3', 2.5]", std::to_wstring(CalcSyanten34(pair_and_more))},
      {L"[]", std::to_wstring(CalcSyanten34(KindCounts{}))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.argument));
    const std::wstring call = L"external.mjCalcSyanten34(" + c.argument + L")";
    if (c.expected == kFail || c.expected == kTypeMismatch) {
      EXPECT_EQ(Attempt(call + L";"), c.expected);
    } else {
      EXPECT_EQ(Text(call), c.expected);
    }
  }
  // Thirty-five counts: the last one written is never looked at.
  std::vector<int> counts = Counts("123m456p789s11222z");
  EXPECT_EQ(Text(L"external.mjCalcSyanten34(" + Join(counts) + L", 'x')"), L"-1");
  // Separate counts may total more than 14; the search copes.
  EXPECT_EQ(Attempt(L"external.mjCalcSyanten34(4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, "
                    L"4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4);"),
            L"ok");
  // Forty elements: only the first 34 are read.
  counts.resize(40, 9);
  EXPECT_EQ(Text(L"external.mjCalcSyanten34(" + ArrayOf(counts) + L")"), L"-1");
}

TEST_F(ExternalTest, RequestsGoSynchronouslyToTheMainWindow) {
  struct Case {
    const wchar_t* arguments;
    int count;
    int type;
    const wchar_t* text;  // null: no argument sent
  };
  const Case cases[] = {
      {L"", 0, 0, nullptr},
      {L"'2015071412gm-0009-0000-0a1b2c3d&tw=0'", 1, VT_BSTR,
       L"2015071412gm-0009-0000-0a1b2c3d&tw=0"},
      {L"'\u65e5\u672c'", 1, VT_BSTR, L"\u65e5\u672c"},
      {L"5", 1, VT_I4, nullptr},
      {L"null", 1, VT_NULL, nullptr},
      {L"'a', 'b'", 2, VT_BSTR, nullptr},
      {L"'a', 5", 2, VT_I4, nullptr},
  };
  const struct {
    const wchar_t* member;
    const char* line;
    const char* command;
  } members[] = {
      {L"startGame", "__startGame", "STARTGAME"},
      {L"trayPopup", "__trayPopup", "TRAYPOPUP"},
  };
  for (const auto& m : members) {
    for (const Case& c : cases) {
      const std::wstring call = L"external." + std::wstring(m.member) + L"(" + c.arguments + L")";
      SCOPED_TRACE(::testing::PrintToString(call));
      EXPECT_EQ(Text(call), L"undefined");
      // Already there when the call returns, sent from this thread.
      ReceivedCommand expected;
      expected.name = m.command;
      expected.has_argument = c.text != nullptr;
      expected.wide = c.text ? c.text : L"";
      expected.thread = ::GetCurrentThreadId();
      EXPECT_EQ(main_.TakeCommands(), std::vector<ReceivedCommand>{expected});
      EXPECT_EQ(Trace(), Lines{std::string(m.line) + " c=" + std::to_string(c.count) +
                               " V_VT=" + std::to_string(c.type) + "\r\n"});
    }
  }
  // The result slot is not touched.
  unique_variant preset = variant_i4(9);
  EXPECT_EQ(InvokeWith(external_.get(), 1004, DISPATCH_METHOD, {}, preset.get()), S_OK);
  EXPECT_EQ(preset.type(), VT_I4);
  main_.TakeCommands();
  Trace();
}

TEST_F(ExternalTest, MembersReadAsValuesRunLater) {
  ASSERT_EQ(script_.Run(L"var f = external.mjCommand, c14 = external.mjCalcSyanten14,"
                        L"    c34 = external.mjCalcSyanten34, go = external.startGame;"),
            S_OK);
  EXPECT_EQ(Text(L"f('VERSION')"), L"1.03");
  EXPECT_EQ(Text(L"c14([0, 4, 8])"), Text(L"external.mjCalcSyanten14([0, 4, 8])"));
  EXPECT_EQ(Text(L"c34(2)"), L"-1");  // a pair beside four called sets
  // A value hides its method's failure from script.
  EXPECT_EQ(Attempt(L"f('nothing'); c14(999); c34('x');"), L"ok");
  ASSERT_EQ(script_.Run(L"go('x');"), S_OK);
  EXPECT_EQ(main_.TakeCommands().size(), 1u);
  Trace();
  ASSERT_EQ(script_.Run(L"f = c14 = c34 = go = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines(4, "CFunctionObject DESTRUCT\r\n"));
}

TEST_F(ExternalTest, NamesAndNumbers) {
  struct Name {
    const wchar_t* name;
    DISPID id;
  };
  const Name names[] = {{L"mjCommand", 1001},           {L"mjCalcSyanten14", 1002},
                        {L"mjCalcSyanten34", 1003},     {L"startGame", 1004},
                        {L"trayPopup", 1005},           {L"mjcommand", DISPID_UNKNOWN},
                        {L"StartGame", DISPID_UNKNOWN}, {L"mjCommand ", DISPID_UNKNOWN}};
  for (const Name& n : names) {
    LPOLESTR one[] = {const_cast<LPOLESTR>(n.name)};
    DISPID id = 0;
    const HRESULT hr = external_->GetIDsOfNames(IID_NULL, one, 1, 0, &id);
    EXPECT_EQ(id, n.id);
    EXPECT_EQ(hr, n.id == DISPID_UNKNOWN ? DISP_E_MEMBERNOTFOUND : S_OK);
  }
  EXPECT_EQ(Trace(), (Lines{"IDispatchBrowserExternalImpl GetIDsOfNames UNKNOWN mjcommand\r\n",
                            "IDispatchBrowserExternalImpl GetIDsOfNames UNKNOWN StartGame\r\n",
                            "IDispatchBrowserExternalImpl GetIDsOfNames UNKNOWN mjCommand \r\n"}));
  // A failure early does not stop the later names.
  LPOLESTR two[] = {const_cast<LPOLESTR>(L"nope"), const_cast<LPOLESTR>(L"trayPopup")};
  DISPID ids[2] = {};
  EXPECT_EQ(external_->GetIDsOfNames(IID_NULL, two, 2, 0, ids), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(ids[1], 1005);
  EXPECT_EQ(external_->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), S_OK);
  Trace();

  unique_variant result;
  EXPECT_EQ(InvokeWith(external_.get(), 1006, DISPATCH_METHOD, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeWith(external_.get(), 0, DISPATCH_PROPERTYGET, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeWith(external_.get(), 1001, DISPATCH_PROPERTYPUT, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{});  // unknown numbers are quiet on this class
  EXPECT_EQ(Attempt(L"external.mjCommand = 1;"), kNotFound);
  EXPECT_EQ(Text(L"typeof external.trayPopup"), L"object");  // a function object

  IUnknown* other = nullptr;
  EXPECT_EQ(external_->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&other)),
            E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  Trace();
}

}  // namespace
}  // namespace zuvelo::testing
