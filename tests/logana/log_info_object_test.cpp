// The log info object: what a page reads before the first log and after each log name, and
// the rules of a properties-only object, from JScript and through Invoke.
#include "logana/log_info_object_win.h"

#include "bridge/jscript_host_win.h"
#include "objects_test.h"

namespace zuvelo::testing {
namespace {

constexpr char16_t kName36[] = u"2015071412gm-0009-0000-0a1b2c3d&tw=0";

class LogInfoObjectTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    ASSERT_TRUE(engine_.ok());
    ASSERT_TRUE(info_);
    ASSERT_EQ(engine_.AddNamedItem(L"info", info_.get()), S_OK);
  }
  void TearDown() override {
    EXPECT_TRUE(engine_.TakeErrors().empty());
    engine_.Close();
    EXPECT_EQ(RefCount(info_.get()), 1u);
    info_.reset();
    EXPECT_EQ(Trace(), Lines{"IDispatchLogInfoImpl DESTRUCT\r\n"});
    ObjectsTest::TearDown();
  }
  // Every member as a page sees it, in table order.
  std::wstring Seen() {
    unique_variant value;
    EXPECT_EQ(engine_.Evaluate(L"[info.file, info.wGameType, info.wLobbyID, info.tw, "
                               L"info.dwGameType, info.dwLobbyID, info.filetw].join('|')",
                               value.get()),
              S_OK);
    return TextOf(value);
  }

  JScriptHost engine_;
  com_ptr<IDispatchLogInfoImpl> info_ = IDispatchLogInfoImpl::Create();
};

TEST_F(LogInfoObjectTest, PageSeesEachLogNameAsItIsSet) {
  // Before the first log: empty texts, zero numbers, and -1 for a table digit there is none of.
  EXPECT_EQ(Seen(), L"|0|0|-1|0|0|");
  struct Case {
    const char16_t* name;
    bool valid;
    const wchar_t* seen;
  };
  const Case cases[] = {
      {kName36, true,
       L"2015071412gm-0009-0000-0a1b2c3d|9|0|0|9|0|"
       L"2015071412gm-0009-0000-0a1b2c3d&tw=0"},
      // "-" at index 10; hexadecimal type, decimal lobby.
      {u"20150714gm-00e1-0217-0a1b2c3d&tw=3", true,
       L"20150714gm-00e1-0217-0a1b2c3d|225|217|3|225|217|"
       L"20150714gm-00e1-0217-0a1b2c3d&tw=3"},
      // A type wider than 16 bits is not cut, for the "w" members either.
      {u"2015071412gm-12345678-0a1b2c3d&tw=2", true,
       L"2015071412gm-12345678-0a1b2c3d|305419896|678|2|305419896|678|"
       L"2015071412gm-12345678-0a1b2c3d&tw=2"},
      // Right length, wrong table digit: the name is taken, the numbers are kept.
      {u"2015071412gm-0041-1111-0a1b2c3d&tw=4", false,
       L"2015071412gm-0041-1111-0a1b2c3d|305419896|678|4|305419896|678|"
       L"2015071412gm-0041-1111-0a1b2c3d&tw=4"},
      // Wrong length: nothing changes.
      {u"2015071412gm-0041-1111-0a1b2c3d9x&tw=1", false,
       L"2015071412gm-0041-1111-0a1b2c3d|305419896|678|4|305419896|678|"
       L"2015071412gm-0041-1111-0a1b2c3d&tw=4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::u16string(c.name)));
    EXPECT_EQ(info_->SetLogName(c.name), c.valid);
    EXPECT_EQ(Seen(), c.seen);
  }
  EXPECT_EQ(Trace(), Lines{});
}

// Names that no log name has (a cache key is not always one) still read by the same rules.
TEST_F(LogInfoObjectTest, ShortNamesKeepTheirWholeTextAsFile) {
  for (const char16_t* name : {u"", u"ab", u"abcd", u"abcde"}) {
    info_->record().name = name;
    unique_variant file, filetw;
    ASSERT_EQ(Read(info_.get(), 101, file.get()), S_OK);
    ASSERT_EQ(Read(info_.get(), 108, filetw.get()), S_OK);
    const std::u16string_view text(name);
    const auto expected_file = text.size() < 5 ? text : text.substr(0, text.size() - 5);
    EXPECT_EQ(TextOf(file), std::wstring(expected_file.begin(), expected_file.end()));
    EXPECT_EQ(TextOf(filetw), std::wstring(text.begin(), text.end()));
  }
}

TEST_F(LogInfoObjectTest, OnlyReadsAnswerAndACallBitBesideTheReadIsIgnored) {
  ASSERT_TRUE(info_->SetLogName(kName36));
  struct Case {
    WORD flags;
    bool with_result;
    HRESULT hr;
  };
  const Case cases[] = {
      {DISPATCH_PROPERTYGET, true, S_OK},
      {DISPATCH_PROPERTYGET | DISPATCH_METHOD, true, S_OK},
      {DISPATCH_METHOD, true, DISP_E_MEMBERNOTFOUND},
      {DISPATCH_PROPERTYGET, false, DISP_E_MEMBERNOTFOUND},
      {DISPATCH_PROPERTYPUT, true, DISP_E_MEMBERNOTFOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "flags " << c.flags << " result " << c.with_result);
    unique_variant value;
    EXPECT_EQ(Call(info_.get(), 104, c.flags, {}, c.with_result ? value.get() : nullptr), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(value.type(), VT_I4);
      EXPECT_EQ(V_I4(value.get()), 0);
    } else {
      EXPECT_EQ(value.type(), VT_EMPTY);
    }
  }
  // The unknown number's line ends after the count, without a line break.
  EXPECT_EQ(Call(info_.get(), 100, DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  unique_variant unused;
  EXPECT_EQ(Call(info_.get(), 100, DISPATCH_PROPERTYGET, Args({L"a", L"b"}), unused.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{"IDispatchLogInfoImpl UNKNOWN Invoke dispid=100/0x64 cArg=2"});
}

TEST_F(LogInfoObjectTest, CacheIsTheMissingMarker) {
  unique_variant value;
  ASSERT_EQ(Read(info_.get(), 107, value.get()), S_OK);
  EXPECT_EQ(value.type(), VT_ERROR);
  EXPECT_EQ(V_ERROR(value.get()), DISP_E_PARAMNOTFOUND);
  // The page's engine decides what script sees: Windows' JScript reads the marker as
  // undefined; Wine's refuses values of this type with E_NOTIMPL.
  unique_variant seen;
  ASSERT_EQ(engine_.Evaluate(L"var seen; try { seen = typeof info.cache; } catch (e) { "
                             L"seen = (e.number >>> 0).toString(16); } seen",
                             seen.get()),
            S_OK);
  const std::wstring seen_as = TextOf(seen);
  EXPECT_TRUE(seen_as == L"undefined" || seen_as == L"80004001") << seen_as;
}

}  // namespace
}  // namespace zuvelo::testing
