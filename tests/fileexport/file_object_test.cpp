// The file writer as pages drive it, with the save dialog answered by the test.
#include <windows.h>

#include <string>
#include <tuple>

#include "fileexport/file_object_win.h"
#include "fileexport/save_dialog_win.h"
#include "page_test.h"
#include "shell/temp_working_folder.h"
#include "support/file_bytes.h"

namespace zuvelo::testing {
namespace {

constexpr char kFilter[] = "Text File(*.txt)\0*.txt\0HTML File(*.html)\0*.html\0All(*.*)\0*.*\0";
constexpr const wchar_t* kOpen = L"file.open('default', '.txt')";

class FileExportTest : public PageTest {
 protected:
  void TearDown() override {
    PageTest::TearDown();
    script_.Close();
    writer_.reset();  // closes its file before the folder goes
  }
  void MakeWriter(UINT code_page = CP_ACP, const wchar_t* name = L"file") {
    writer_ = IDispatchFileImpl::Create(host_.hwnd(), code_page);
    ASSERT_TRUE(writer_);
    ASSERT_EQ(script_.AddNamedItem(name, writer_.get()), S_OK);
  }
  void ChooseFile(const std::string& name) { answer_ = name; }
  std::string Contents(const std::string& name) { return ReadBytes(folder_.path() / name); }

  TempWorkingFolder folder_;
  com_ptr<IDispatchFileImpl> writer_;
  Lines dialogs_;  // "<filter index> <default extension> <title>" of each dialog asked for

 private:
  bool Answer(OPENFILENAMEA& d) {
    if (!d.lpstrFilter || !d.lpstrFile || !d.lpstrDefExt || !d.lpstrTitle) return false;
    EXPECT_EQ(std::tuple(d.lStructSize, d.hwndOwner, d.hInstance, d.Flags, d.nMaxFile,
                         d.lpstrInitialDir, d.lpstrFile[0]),
              std::tuple(sizeof(void*) == 4 ? 76u : OPENFILENAME_SIZE_VERSION_400A, host_.hwnd(),
                         ::GetModuleHandleA(nullptr), 0x88C0Eu, 260u, LPCSTR{}, '\0'));
    const char* end = d.lpstrFilter;
    while (end[0] != '\0' || end[1] != '\0') ++end;
    EXPECT_EQ(std::string(d.lpstrFilter, end + 2), std::string(kFilter, sizeof kFilter));
    dialogs_.push_back(std::to_string(d.nFilterIndex) + " " + d.lpstrDefExt + " " + d.lpstrTitle);
    const std::string path = (folder_.path() / answer_).string();
    if (answer_.empty() || path.size() >= d.nMaxFile) return false;
    path.copy(d.lpstrFile, path.size());
    d.lpstrFile[path.size()] = '\0';
    return true;
  }

  std::string answer_;
  ScopedSaveDialogHook hook_{[this](OPENFILENAMEA& d) { return Answer(d); }};
};

TEST_F(FileExportTest, OpenAsksTheDialogForTheChosenKindOfFile) {
  MakeWriter();
  for (const wchar_t* call :
       {kOpen, L"file.open('default', '.html')",
        L"file.open('default', '.txt', 'Save the summary')", L"file.open('default', '.html', 42)",
        L"file.open('default', '.txt', 'T', 'ignored')"}) {
    EXPECT_EQ(Text(call), L"false") << ::testing::PrintToString(std::wstring(call));
  }
  EXPECT_EQ(dialogs_,
            (Lines{"1 .txt ", "2 .html ", "1 .txt Save the summary", "2 .html ", "1 .txt T"}));
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_F(FileExportTest, ArgumentAndStateFaults) {
  MakeWriter();
  ChooseFile("args.txt");
  const auto refused = [&](HRESULT hr, std::initializer_list<std::wstring> statements) {
    for (const std::wstring& statement : statements) {
      EXPECT_EQ(Attempt(statement), ErrorNumber(hr)) << ::testing::PrintToString(statement);
    }
  };
  refused(E_INVALIDARG, {L"file.open();", L"file.open('default');", L"file.open(5, '.txt');",
                         L"file.open(null, '.txt');", L"file.open('default', '.htm');",
                         L"file.open('default', '.TXT');", L"file.open('default', 'txt');",
                         L"file.open('default', 5);"});
  refused(STG_E_INVALIDFUNCTION, {L"file.write('x');", L"file.write();"});
  for (const std::wstring mode : {L".txt", L"Default", L""}) {
    refused(E_INVALIDARG, {L"file.open('" + mode + L"', '.txt');"});
    const auto boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].wide && boxes[0].wide_text == mode && !boxes[0].wide_caption &&
                boxes[0].style == MB_OK && boxes[0].owner == host_.hwnd());
  }
  ASSERT_EQ(Attempt(L"file.open('default', '.txt');"), L"ok");
  refused(E_INVALIDARG,
          {L"file.write();", L"file.write('a', 'b');", L"file.write(7);", L"file.write(null);"});
  EXPECT_TRUE(boxes_.Take().empty());
  EXPECT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(Contents("args.txt"), "");
}

TEST_F(FileExportTest, WritesLandExactlyAsGivenThroughTheWritersCodePage) {
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "\x8c\xea.";
  const std::tuple<UINT, const wchar_t*, std::string> cases[] = {
      {1252, L"w.write('a'); w.write(''); w.write('b');", "ab"},
      {1252, L"w.write('one\\r\\ntwo\\nthree\\r');", "one\r\ntwo\nthree\r"},
      {1252, L"w.write('cut\\u0000here'); w.write('\\u0000x'); w.write('.');", "cut."},
      {1252, L"w.write('caf\\u00e9 \\u65e5');", "caf\xe9 ?"},
      {932, L"w.write('<b>\\u65e5\\u672c\\u8a9e</b>\\u3042\\uff71\\uff76'); w.write('\\ud55c!');",
       "<b>\x93\xfa\x96\x7b\x8c\xea</b>\x82\xa0\xb1\xb6?!"},
      {932, L"w.write(new Array(5001).join('\\u8a9e.'));", long_text},
      {CP_ACP, L"w.write('abc \\u65e5');", ::GetACP() == 932 ? "abc \x93\xfa" : "abc ?"},
  };
  int n = 0;
  for (const auto& [code_page, writes, bytes] : cases) {
    const std::wstring item = L"w" + std::to_wstring(++n);
    MakeWriter(code_page, item.c_str());
    ChooseFile("out.txt");
    ASSERT_EQ(
        script_.Run(L"var w = " + item + L"; w.open('default', '.txt', '\u4fdd\u5b58');" + writes),
        S_OK);
    EXPECT_EQ(Contents("out.txt"), bytes) << ::testing::PrintToString(std::wstring(writes));
    ASSERT_EQ(script_.Run(L"w.close();"), S_OK);
  }
  // The title goes through the code page too: the two kanji in Shift-JIS.
  EXPECT_EQ(dialogs_.at(4), "1 .txt \x95\xdb\x91\xb6");
}

TEST_F(FileExportTest, OneFileAtATimeAndOnlyOnceTheDialogChoseOneThatCouldBeMade) {
  MakeWriter();
  EXPECT_EQ(Text(kOpen), L"false");  // cancelled
  ChooseFile("missing-folder\\x.txt");
  unique_variant result;
  EXPECT_EQ(InvokeWith(writer_.get(), 101, DISPATCH_METHOD,
                       Args(variant_text(L"default"), variant_text(L".txt")), result.get()),
            TYPE_E_IOERROR);
  EXPECT_EQ(result.type(), VT_EMPTY);
  WriteBytes(folder_.path() / "first.txt", "previous content");
  ChooseFile("first.txt");
  ASSERT_EQ(Text(kOpen), L"true");
  ASSERT_EQ(script_.Run(L"file.write('1');"), S_OK);
  ChooseFile("second.txt");
  EXPECT_EQ(Attempt(L"file.open('default', '.txt');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  EXPECT_EQ(dialogs_.size(), 3u);  // none for the refused open
  ASSERT_EQ(script_.Run(L"file.write('2'); file.close(); file.close();"), S_OK);
  EXPECT_EQ(Contents("first.txt"), "12");  // an existing file is emptied first
  EXPECT_EQ(Attempt(L"file.write('3');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  ASSERT_EQ(Text(kOpen), L"true");
  ASSERT_EQ(script_.Run(L"file.write('3'); file.close();"), S_OK);
  EXPECT_EQ(Contents("second.txt"), "3");
}

TEST_F(FileExportTest, MethodValuesWriteLikeDirectCallsAndHideFailures) {
  MakeWriter();
  ChooseFile("values.txt");
  ASSERT_EQ(script_.Run(L"var open = file.open, write = file.write, close = file.close;"), S_OK);
  EXPECT_EQ(Text(L"open('default', '.txt')"), L"true");
  EXPECT_EQ(Attempt(L"write('via value'); write(); write(1, 2); open('default', '.txt');"), L"ok");
  ASSERT_EQ(script_.Run(L"file.write('+direct'); close(); close();"), S_OK);
  EXPECT_EQ(Contents("values.txt"), "via value+direct");
  EXPECT_FALSE(writer_->is_open());
}

}  // namespace
}  // namespace zuvelo::testing
