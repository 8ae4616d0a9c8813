// window.external as pages use it, from real JScript.
#include <algorithm>
#include <tuple>

#include "bridge/external_object_win.h"
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

  // The value as text, or the error's number.
  std::wstring Result(const wchar_t* member, const std::wstring& arguments) {
    return Text(L"(function () { try { return String(external." + std::wstring(member) + L"(" +
                arguments + L")); } catch (e) { return String(e.number); } })()");
  }
  HRESULT Invoke(DISPID id, std::vector<unique_variant> args, VARIANT* result) {
    return InvokeWith(external_.get(), id, DISPATCH_METHOD, std::move(args), result);
  }

  com_ptr<IDispatchBrowserExternalImpl> external_;
};

// 123m456p789s11222z, a won hand: its tile codes (kind * 4 + copy).
const std::vector<int> kWon = {0, 4, 8, 48, 52, 56, 96, 100, 104, 108, 109, 112, 113, 114};

std::vector<int> CountsOf(const std::vector<int>& codes) {
  std::vector<int> counts(kKindCount);
  for (int code : codes) ++counts[static_cast<std::size_t>(code / 4)];
  return counts;
}

std::wstring Join(const std::vector<int>& values, const wchar_t* separator = L", ") {
  std::wstring text;
  for (int value : values) {
    if (!text.empty()) text += separator;
    text += std::to_wstring(value);
  }
  return text;
}

std::wstring ArrayOf(const std::vector<int>& values) { return L"[" + Join(values) + L"]"; }

TEST_F(ExternalTest, MjCommandAnswersItsThreeCommandsExactlyAndOnlyIntoAResultSlot) {
  EXPECT_EQ(Text(L"typeof external.mjCommand('VERSION')"), L"number");
  EXPECT_EQ(Result(L"mjCommand", L"'VERSION'"), L"1.03");
  EXPECT_EQ(Result(L"mjCommand", L"5, 'VERSION'"), L"1.03");  // the argument stored first counts
  for (const wchar_t* arguments :
       {L"'version'", L"", L"5", L"''", L"'VERSION '", L"'CREATEINSTANCE::LOGANA1.1'",
        L"'CREATEINSTANCE::file1.0'", L"'VERSION', 5"}) {
    EXPECT_EQ(Result(L"mjCommand", arguments), kNotFound) << ::testing::PrintToString(arguments);
  }
  // A statement gives no result slot.
  EXPECT_EQ(Attempt(L"external.mjCommand('CREATEINSTANCE::FILE1.0');"), kNotFound);
  EXPECT_EQ(Trace(), Lines{});
  std::pair<unique_variant, VARTYPE> cases[] = {
      {variant_i4(5), VT_I4}, {variant_text(L"NOPE"), VT_EMPTY}, {variant_text(L"VERSION"), VT_R8}};
  for (auto& [argument, after] : cases) {
    unique_variant preset = variant_i4(77);
    Invoke(1001, Args(std::move(argument)), preset.get());
    EXPECT_EQ(preset.type(), after);
  }
}

TEST_F(ExternalTest, CreatedObjectsAreNewIndependentAndSingleOwned) {
  ASSERT_EQ(script_.Run(L"var a1 = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"var a2 = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"var f1 = external.mjCommand('CREATEINSTANCE::FILE1.0');"
                        L"var f2 = external.mjCommand('CREATEINSTANCE::FILE1.0');"
                        L"a1.global = {n: 1}; a2.global = {n: 2};"),
            S_OK);
  EXPECT_EQ(Text(L"[a1 !== a2, f1 !== f2, a1.cache !== null, a1.nTotal + a2.nProgress, "
                 L"a1.global.n, a2.global.n]"),
            L"true,true,true,0,1,2");
  EXPECT_EQ(Attempt(L"f1.open('default', '.pdf');"), ErrorNumber(E_INVALIDARG));
  unique_variant file;  // the analyzer's single owner is its page's: see the analyzer's tests
  ASSERT_EQ(Invoke(1001, Args(variant_text(L"CREATEINSTANCE::FILE1.0")), file.get()), S_OK);
  ASSERT_EQ(file.type(), VT_DISPATCH);
  EXPECT_EQ(RefCount(V_DISPATCH(file.get())), 1u) << "the result holds the only reference";
  file.clear();
  Trace();
}

TEST_F(ExternalTest, AnAnalyzerThatCannotGetThePageScriptIsNotMade) {
  host_.set_script(nullptr);
  EXPECT_EQ(Result(L"mjCommand", L"'CREATEINSTANCE::LOGANA1.0'"), kNotFound);
  EXPECT_EQ(boxes_.Take().size(), 1u);  // its text and owner: the hand objects' tests
  Trace();
}

// An array is read in order, separate codes last-first.
TEST_F(ExternalTest, CalcSyanten14ReadsUpToFourteenSlots) {
  const std::vector<int>& won = kWon;
  std::vector<int> padded(13, 255);
  padded.push_back(9);
  const std::pair<std::wstring, std::vector<int>> read[] = {
      {ArrayOf(won), won},
      {Join(won), {won.rbegin(), won.rend()}},
      {L"'x', " + Join(won), {won.rbegin(), won.rend()}},
      {L"", {}},
      {L"255, 0", {0, 255}},
      {L"['1', '2', true, 2.5, null]", {}},  // no integer: no tile
      {L"{length: -1, 0: 8}", {8}},          // a length that is no count reads all 14
      {L"{length: 'x', 13: 9}", padded},
      {L"{length: 2, 0: 1, 1: 2, 2: 3}", {1, 2}},
      {ArrayOf(won) + L".concat([-1, 999, 'x'])", won},  // what follows the 14th does no harm
  };
  for (const auto& [arguments, given] : read) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    std::vector<TileCode> slots(14, kNoTile);
    std::copy(given.begin(), given.end(), slots.begin());
    EXPECT_EQ(Result(L"mjCalcSyanten14", arguments), std::to_wstring(CalcSyanten14(slots.data())));
    std::vector<int> traced(slots.begin(), slots.end());
    const std::wstring codes = Join(traced, L",");
    EXPECT_EQ(Trace(), Lines{"CalcSyanten14 " + std::string(codes.begin(), codes.end()) + "\r\n"});
  }
  for (const wchar_t* arguments : {L"[0, -1]", L"[136]", L"[254]", L"136", L"-1", L"0, 300"}) {
    EXPECT_EQ(Result(L"mjCalcSyanten14", arguments), kFail) << ::testing::PrintToString(arguments);
  }
  for (const wchar_t* arguments : {L"'4'", L"2.5", L"[1], 2"}) {
    EXPECT_EQ(Result(L"mjCalcSyanten14", arguments), kTypeMismatch);
  }
  EXPECT_EQ(Trace(), Lines{});
  EXPECT_EQ(Invoke(1002, Args(variant_i4(5)), nullptr), S_OK);  // without a slot all the same
  EXPECT_EQ(Trace(),
            Lines{"CalcSyanten14 5,255,255,255,255,255,255,255,255,255,255,255,255,255\r\n"});
}

// Separate counts may total more than 14: the search copes.
TEST_F(ExternalTest, CalcSyanten34ReadsUpToThirtyFourCounts) {
  const std::vector<int> won = CountsOf(kWon);
  std::vector<int> forty = won;
  forty.resize(40, 9);
  const std::pair<std::wstring, std::vector<int>> read[] = {
      {ArrayOf(won), won},
      {Join(won), won},
      {Join(won) + L", 'x'", won},
      {ArrayOf(forty), won},
      // Rows whose value would differ if the count left out were read.
      {L"{length: -1, 33: 2}", CountsOf({132, 133})},
      {L"[2, 2, 2, '2']", {2, 2, 2}},
      {L"[2, 2, 2, 2.5]", {2, 2, 2}},
      {Join(std::vector<int>(34, 4)), std::vector<int>(34, 4)},
  };
  for (const auto& [arguments, given] : read) {
    KindCounts counts{};
    std::copy(given.begin(), given.end(), counts.begin());
    EXPECT_EQ(Result(L"mjCalcSyanten34", arguments), std::to_wstring(CalcSyanten34(counts)))
        << ::testing::PrintToString(arguments);
  }
  for (const wchar_t* arguments : {L"5", L"-1", L"0, 5", L"[5]", L"[-1]", L"[4, 4, 4, 3]"}) {
    EXPECT_EQ(Result(L"mjCalcSyanten34", arguments), kFail) << ::testing::PrintToString(arguments);
  }
  EXPECT_EQ(Result(L"mjCalcSyanten34", L"'1'"), kTypeMismatch);
  EXPECT_EQ(Result(L"mjCalcSyanten34", L"1.5"), kTypeMismatch);
  EXPECT_EQ(Trace(), Lines{});  // this calculator traces nothing
}

TEST_F(ExternalTest, RequestsGoSynchronouslyToTheMainWindow) {
  // Arguments, their count and the type of the one stored first as traced, the text sent.
  const std::tuple<const wchar_t*, int, int, const wchar_t*> cases[] = {
      {L"", 0, 0, nullptr},
      {L"'2015071412gm-0009-0000-0a1b2c3d'", 1, VT_BSTR, L"2015071412gm-0009-0000-0a1b2c3d"},
      {L"5", 1, VT_I4, nullptr},
      {L"null", 1, VT_NULL, nullptr},
      {L"'a', 'b'", 2, VT_BSTR, nullptr},
      {L"'a', 5", 2, VT_I4, nullptr},
  };
  for (const auto& [member, line, command] :
       {std::tuple{L"startGame", "__startGame", "STARTGAME"},
        std::tuple{L"trayPopup", "__trayPopup", "TRAYPOPUP"}}) {
    for (const auto& [arguments, count, type, text] : cases) {
      SCOPED_TRACE(::testing::PrintToString(std::wstring(member) + L"(" + arguments + L")"));
      EXPECT_EQ(Result(member, arguments), L"undefined");
      const ReceivedCommand expected{command, text != nullptr, text ? text : L"", "",
                                     ::GetCurrentThreadId()};
      EXPECT_EQ(main_.TakeCommands(), std::vector<ReceivedCommand>{expected});
      EXPECT_EQ(Trace(), Lines{std::string(line) + " c=" + std::to_string(count) +
                               " V_VT=" + std::to_string(type) + "\r\n"});
    }
  }
}

}  // namespace
}  // namespace zuvelo::testing
