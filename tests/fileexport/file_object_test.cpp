// The file writer as pages drive it: the dialog request, argument faults, exact bytes in the
// file, the open/closed states, method values and the object's life.
#include <cstddef>
#include <fstream>
#include <utility>

#include "base/handle_win.h"
#include "base/variant_win.h"
#include "fileexport_test.h"

namespace zuvelo::testing {
namespace {

constexpr char kFilter[] = "Text File(*.txt)\0*.txt\0HTML File(*.html)\0*.html\0All(*.*)\0*.*\0";

TEST_F(FileExportTest, OpenAsksTheDialogForTheChosenKindOfFile) {
  MakeWriter();
  struct Case {
    const wchar_t* call;
    DWORD filter_index;
    const char* extension;
    const char* title;
  };
  const Case cases[] = {
      {L"file.open('default', '.txt')", 1, ".txt", ""},
      {L"file.open('default', '.html')", 2, ".html", ""},
      {L"file.open('default', '.txt', 'Save the summary')", 1, ".txt", "Save the summary"},
      {L"file.open('default', '.html', 42)", 2, ".html", ""},
      {L"file.open('default', '.txt', 'T', 'ignored')", 1, ".txt", "T"},
  };
  CancelDialogs();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.call)));
    dialogs_.clear();
    EXPECT_EQ(Text(c.call), L"false");
    ASSERT_EQ(dialogs_.size(), 1u);
    const DialogRequest& asked = dialogs_[0];
    const OPENFILENAMEA& f = asked.fields;
    EXPECT_EQ(f.lStructSize, sizeof(void*) == 4 ? 76u : OPENFILENAME_SIZE_VERSION_400A);
    EXPECT_EQ(f.hwndOwner, owner_);
    EXPECT_EQ(f.hInstance, ::GetModuleHandleA(nullptr));
    EXPECT_EQ(asked.filter, std::string(kFilter, sizeof kFilter));
    EXPECT_EQ(f.nFilterIndex, c.filter_index);
    EXPECT_EQ(asked.default_extension, c.extension);
    EXPECT_EQ(asked.title, c.title);
    EXPECT_EQ(asked.initial_file, "");
    EXPECT_EQ(f.nMaxFile, 260u);
    EXPECT_EQ(f.Flags, 0x88C0Eu);
    // Everything else is zero.
    EXPECT_EQ(f.lpstrCustomFilter, nullptr);
    EXPECT_EQ(f.nMaxCustFilter, 0u);
    EXPECT_EQ(f.lpstrFileTitle, nullptr);
    EXPECT_EQ(f.nMaxFileTitle, 0u);
    EXPECT_EQ(f.lpstrInitialDir, nullptr);
    EXPECT_EQ(f.nFileOffset, 0u);
    EXPECT_EQ(f.nFileExtension, 0u);
    EXPECT_EQ(f.lCustData, 0);
    EXPECT_EQ(f.lpfnHook, nullptr);
    EXPECT_EQ(f.lpTemplateName, nullptr);
  }
  EXPECT_TRUE(boxes_.Take().empty());
  EXPECT_FALSE(writer_->is_open());
}

TEST_F(FileExportTest, ArgumentFaultsShowNoDialog) {
  MakeWriter();
  ChooseFile("never.txt");
  struct Case {
    const wchar_t* statement;
    HRESULT expected;
  };
  const Case cases[] = {
      {L"file.open();", E_INVALIDARG},
      {L"file.open('default');", E_INVALIDARG},
      {L"file.open(5, '.txt');", E_INVALIDARG},
      {L"file.open(null, '.txt');", E_INVALIDARG},
      {L"file.open('default', '.htm');", E_INVALIDARG},
      {L"file.open('default', '.TXT');", E_INVALIDARG},
      {L"file.open('default', 'txt');", E_INVALIDARG},
      {L"file.open('default', 5);", E_INVALIDARG},
      {L"file.write('x');", STG_E_INVALIDFUNCTION},
      {L"file.write();", STG_E_INVALIDFUNCTION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.statement)));
    EXPECT_EQ(Attempt(c.statement), ErrorNumber(c.expected));
  }
  EXPECT_TRUE(dialogs_.empty());
  EXPECT_TRUE(boxes_.Take().empty());
  EXPECT_FALSE(std::filesystem::exists(PathOf("never.txt")));
}

TEST_F(FileExportTest, AModeOtherThanDefaultIsShownToTheUser) {
  MakeWriter();
  ChooseFile("never.txt");
  for (const wchar_t* mode : {L".txt", L"Default", L""}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(mode)));
    const std::wstring statement = L"file.open('" + std::wstring(mode) + L"', '.txt');";
    EXPECT_EQ(Attempt(statement.c_str()), ErrorNumber(E_INVALIDARG));
    const auto boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].wide);
    EXPECT_EQ(boxes[0].wide_text, mode);
    EXPECT_FALSE(boxes[0].wide_caption.has_value());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes[0].owner, owner_);
  }
  EXPECT_TRUE(dialogs_.empty());
}

TEST_F(FileExportTest, WritesLandExactlyAsGiven) {
  MakeWriter();
  struct Case {
    const wchar_t* writes;
    std::string bytes;
  };
  const Case cases[] = {
      {L"file.write('a'); file.write('b');", "ab"},
      {L"file.write('');", ""},
      {L"file.write('one\\r\\ntwo\\nthree\\r');", "one\r\ntwo\nthree\r"},
      {L"file.write('<p>x</p>'); file.write(''); file.write('!');", "<p>x</p>!"},
      // The text ends at its first zero code unit.
      {L"file.write('cut\\u0000here'); file.write('.');", "cut."},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.writes)));
    const std::string name = "out" + std::to_string(++n) + ".txt";
    ChooseFile(name);
    ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
    ASSERT_EQ(host_.Run(c.writes), S_OK);
    EXPECT_EQ(Contents(name), c.bytes);  // readable while still open
    ASSERT_EQ(host_.Run(L"file.close();"), S_OK);
    EXPECT_EQ(Contents(name), c.bytes);
  }
}

TEST_F(FileExportTest, TitleAndTextGoThroughTheWritersCodePage) {
  MakeWriter(932);
  ChooseFile("ja.html");
  ASSERT_EQ(Text(L"file.open('default', '.html', '\u4fdd\u5b58')"), L"true");
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].title, "\x95\xdb\x91\xb6");  // the two kanji in Shift-JIS
  // Kanji and kana take two bytes each, ASCII one; Hangul is not in the code page.
  ASSERT_EQ(host_.Run(L"file.write('<b>\u65e5\u672c\u8a9e</b>\u3042\uff71');"
                      L"file.write('\ud55c!'); file.close();"),
            S_OK);
  EXPECT_EQ(Contents("ja.html"), "<b>\x93\xfa\x96\x7b\x8c\xea</b>\x82\xa0\xb1?!");
}

TEST_F(FileExportTest, TheSystemCodePageIsTheDefault) {
  MakeWriter();
  ChooseFile("acp.txt");
  ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
  ASSERT_EQ(host_.Run(L"file.write('abc \u65e5'); file.close();"), S_OK);
  const std::string expected = ::GetACP() == 932 ? "abc \x93\xfa" : "abc ?";
  EXPECT_EQ(Contents("acp.txt"), expected) << "code page " << ::GetACP();
}

TEST_F(FileExportTest, OneFileAtATimeAndOnlyAfterTheDialogChoseOne) {
  MakeWriter();
  CancelDialogs();
  EXPECT_EQ(Text(L"file.open('default', '.txt')"), L"false");
  EXPECT_FALSE(writer_->is_open());
  EXPECT_EQ(Attempt(L"file.write('x');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  {
    std::ofstream old(PathOf("first.txt"), std::ios::binary);
    old << "previous content";
  }
  dialogs_.clear();
  ChooseFile("first.txt");
  ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
  ASSERT_EQ(host_.Run(L"file.write('1');"), S_OK);
  ChooseFile("second.txt");
  EXPECT_EQ(Attempt(L"file.open('default', '.txt');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  EXPECT_EQ(dialogs_.size(), 1u);
  ASSERT_EQ(host_.Run(L"file.write('2'); file.close(); file.close();"), S_OK);
  EXPECT_EQ(Contents("first.txt"), "12");  // an existing file is emptied first
  EXPECT_FALSE(std::filesystem::exists(PathOf("second.txt")));
  // Closed again: a new file may follow, and a write without one fails.
  EXPECT_EQ(Attempt(L"file.write('3');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
  ASSERT_EQ(host_.Run(L"file.write('3'); file.close();"), S_OK);
  EXPECT_EQ(Contents("second.txt"), "3");
  EXPECT_EQ(Contents("first.txt"), "12");
}

TEST_F(FileExportTest, AFileThatCannotBeCreatedFailsWithoutAResult) {
  MakeWriter();
  ChooseFile("missing-folder\\x.txt");
  EXPECT_EQ(Text(L"var r = 'unset'; attempt(function () { r = file.open('default', '.txt'); })"),
            ErrorNumber(TYPE_E_IOERROR));
  EXPECT_EQ(Text(L"r"), L"unset");
  EXPECT_FALSE(writer_->is_open());
  // Directly, the result slot is left as it was.
  std::vector<unique_variant> args;
  args.push_back(variant_text(L"default"));
  args.push_back(variant_text(L".txt"));
  unique_variant result;
  EXPECT_EQ(InvokeWith(writer_.get(), 101, DISPATCH_METHOD, std::move(args), result.get()),
            TYPE_E_IOERROR);
  EXPECT_EQ(result.type(), VT_EMPTY);
}

TEST_F(FileExportTest, MethodValuesWriteLikeDirectCallsAndHideFailures) {
  MakeWriter();
  ChooseFile("values.txt");
  ASSERT_EQ(host_.Run(L"var open = file.open, write = file.write, close = file.close;"), S_OK);
  EXPECT_EQ(Text(L"open('default', '.txt')"), L"true");
  EXPECT_EQ(Attempt(L"write('via value'); write(); write(1, 2); open('default', '.txt');"), L"ok");
  ASSERT_EQ(host_.Run(L"file.write('+direct'); close(); close();"), S_OK);
  EXPECT_EQ(Contents("values.txt"), "via value+direct");
  EXPECT_FALSE(writer_->is_open());
}

TEST_F(FileExportTest, WriteTakesExactlyOneText) {
  MakeWriter();
  ChooseFile("args.txt");
  ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
  for (const wchar_t* statement :
       {L"file.write();", L"file.write('a', 'b');", L"file.write(7);", L"file.write(null);"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(statement)));
    EXPECT_EQ(Attempt(statement), ErrorNumber(E_INVALIDARG));
  }
  ASSERT_EQ(host_.Run(L"file.close();"), S_OK);
  EXPECT_EQ(Contents("args.txt"), "");
}

TEST_F(FileExportTest, ReleasingTheObjectClosesItsFile) {
  Trace();
  MakeWriter();
  ChooseFile("kept.txt");
  ASSERT_EQ(Text(L"file.open('default', '.txt')"), L"true");
  ASSERT_EQ(host_.Run(L"file.write('kept');"), S_OK);
  host_.Close();
  EXPECT_TRUE(writer_->is_open());
  writer_.reset();
  // The open whose value script used went through the hand-out rule first.
  EXPECT_EQ(Trace(), (Lines{"IDispatchFileImpl CONSTRUCT\r\n", "CFunctionObject DESTRUCT\r\n",
                            "IDispatchFileImpl DESTRUCT\r\n"}));
  // Closed: nobody holds the file any more, so it can be opened without sharing.
  unique_file_handle reopened(::CreateFileA(PathOf("kept.txt").string().c_str(), GENERIC_WRITE, 0,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(reopened.valid());
  reopened.reset();
  EXPECT_EQ(Contents("kept.txt"), "kept");
}

TEST_F(FileExportTest, UnknownNamesAndNumbers) {
  MakeWriter();
  Trace();
  EXPECT_NE(Attempt(L"file.Open('default', '.txt');"), L"ok");
  EXPECT_EQ(Trace(), Lines{"IDispatchFileImpl GetIDsOfNames UNKNOWN Open\r\n"});
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"WRITE"), const_cast<LPOLESTR>(L"close")};
  DISPID ids[2] = {};
  EXPECT_EQ(writer_->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(ids[1], 102);
  EXPECT_EQ(Trace(), Lines{"IDispatchFileImpl GetIDsOfNames UNKNOWN WRITE\r\n"});

  unique_variant result;
  EXPECT_EQ(InvokeWith(writer_.get(), 999, DISPATCH_METHOD, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  std::vector<unique_variant> two;
  two.push_back(variant_i4(7));
  two.push_back(variant_i4(8));
  EXPECT_EQ(InvokeWith(writer_.get(), 100, DISPATCH_PROPERTYGET, std::move(two), result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), (Lines{"IDispatchFileImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0",
                            "IDispatchFileImpl UNKNOWN Invoke dispid=100/0x64 cArg=2"}));
  // A known member with neither call nor read bit does nothing.
  EXPECT_EQ(InvokeWith(writer_.get(), 101, DISPATCH_PROPERTYPUT, {}, result.get()), S_OK);
  EXPECT_TRUE(dialogs_.empty());
}

}  // namespace
}  // namespace zuvelo::testing
