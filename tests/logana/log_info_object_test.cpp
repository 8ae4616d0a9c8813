// The log info object: what a page reads before the first log and after each log name.
#include "logana/log_info_object_win.h"

#include "page_test.h"

namespace zuvelo::testing {
namespace {

using LogInfoObjectTest = PageTest;

TEST_F(LogInfoObjectTest, PageSeesEachLogNameAsItIsSet) {
  com_ptr<IDispatchLogInfoImpl> info = IDispatchLogInfoImpl::Create();
  ASSERT_EQ(script_.AddNamedItem(L"info", info.get()), S_OK);
  const wchar_t* kAll =
      L"[info.file, info.wGameType, info.wLobbyID, info.tw, info.dwGameType, info.dwLobbyID, "
      L"info.filetw].join('|')";
  // Before the first log: empty texts, zero numbers, and -1 for a table digit there is none of.
  EXPECT_EQ(Text(kAll), L"|0|0|-1|0|0|");
  const struct {
    const char16_t* name;
    bool valid;
    const wchar_t* seen;
  } cases[] = {
      {u"2015071412gm-0009-0000-0a1b2c3d&tw=0", true,
       L"2015071412gm-0009-0000-0a1b2c3d|9|0|0|9|0|2015071412gm-0009-0000-0a1b2c3d&tw=0"},
      // "-" at index 10; hexadecimal type, decimal lobby.
      {u"20150714gm-00e1-0217-0a1b2c3d&tw=3", true,
       L"20150714gm-00e1-0217-0a1b2c3d|225|217|3|225|217|20150714gm-00e1-0217-0a1b2c3d&tw=3"},
      // A type wider than 16 bits is not cut, for the "w" members either.
      {u"2015071412gm-12345678-0a1b2c3d&tw=2", true,
       L"2015071412gm-12345678-0a1b2c3d|305419896|678|2|305419896|678|"
       L"2015071412gm-12345678-0a1b2c3d&tw=2"},
      // Right length, wrong table digit: the name is taken, the numbers are kept.
      {u"2015071412gm-0041-1111-0a1b2c3d&tw=4", false,
       L"2015071412gm-0041-1111-0a1b2c3d|305419896|678|4|305419896|678|"
       L"2015071412gm-0041-1111-0a1b2c3d&tw=4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::u16string(c.name)));
    EXPECT_EQ(info->SetLogName(c.name), c.valid);
    EXPECT_EQ(Text(kAll), c.seen);
  }
  // Names that no log name has (a cache key is not always one) still read by the same rules.
  for (const char16_t* name : {u"", u"ab", u"abcd", u"abcde"}) {
    info->record().name = name;
    const std::u16string_view text(name);
    const auto file = text.size() < 5 ? text : text.substr(0, text.size() - 5);
    EXPECT_EQ(
        Text(L"info.file + '|' + info.filetw"),
        std::wstring(file.begin(), file.end()) + L"|" + std::wstring(text.begin(), text.end()));
  }
  // Only reads: a call is refused, an unknown number traced with the class's name.
  EXPECT_EQ(Attempt(L"info.filetw();"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  unique_variant result;
  EXPECT_EQ(InvokeWith(info.get(), 999, DISPATCH_PROPERTYGET, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{"IDispatchLogInfoImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0"});
  script_.Close();
  EXPECT_EQ(RefCount(info.get()), 1u);
  info.reset();
  EXPECT_EQ(Trace(), Lines{"IDispatchLogInfoImpl DESTRUCT\r\n"});
}

}  // namespace
}  // namespace zuvelo::testing
