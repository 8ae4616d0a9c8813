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
  // A valid name sets every member (a type wider than 16 bits is not cut, for the "w" members
  // either); one of the right length with a wrong table digit only the name.
  EXPECT_TRUE(info->SetLogName(u"2015071412gm-12345678-0a1b2c3d&tw=2"));
  EXPECT_EQ(Text(kAll),
            L"2015071412gm-12345678-0a1b2c3d|305419896|678|2|305419896|678|"
            L"2015071412gm-12345678-0a1b2c3d&tw=2");
  EXPECT_FALSE(info->SetLogName(u"2015071412gm-0041-1111-0a1b2c3d&tw=4"));
  EXPECT_EQ(Text(kAll),
            L"2015071412gm-0041-1111-0a1b2c3d|305419896|678|4|305419896|678|"
            L"2015071412gm-0041-1111-0a1b2c3d&tw=4");
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
