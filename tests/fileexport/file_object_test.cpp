// The file writer as pages drive it: the save dialog it asks for, argument and state faults, the
// exact bytes in the file through the writer's code page, method values.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../shell/temp_working_folder.h"
#include "fileexport/file_object_win.h"
#include "fileexport/save_dialog_win.h"
#include "page_test.h"

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
  // A writer made as the external object makes one, known to script as `name`.
  void MakeWriter(UINT code_page = CP_ACP, const wchar_t* name = L"file") {
    writer_ = IDispatchFileImpl::Create(host_.hwnd(), code_page);
    ASSERT_TRUE(writer_);
    ASSERT_EQ(script_.AddNamedItem(name, writer_.get()), S_OK);
  }
  // The next dialogs choose this file of the working folder; empty: they are cancelled.
  void ChooseFile(const std::string& name) { answer_ = name; }
  std::string Contents(const std::string& name) {
    std::ifstream in(folder_.path() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TempWorkingFolder folder_;
  com_ptr<IDispatchFileImpl> writer_;
  Lines dialogs_;  // "<filter index> <default extension> <title>" of each dialog asked for

 private:
  // What every request has alike is checked here: the oldest layout (76 bytes in a 32-bit
  // build), the exact filter, the flags, and no file name suggested.
  bool Answer(OPENFILENAMEA& d) {
    EXPECT_EQ(d.lStructSize, sizeof(void*) == 4 ? 76u : OPENFILENAME_SIZE_VERSION_400A);
    EXPECT_EQ(d.hwndOwner, host_.hwnd());
    EXPECT_EQ(d.hInstance, ::GetModuleHandleA(nullptr));
    if (!d.lpstrFilter || !d.lpstrFile || !d.lpstrDefExt || !d.lpstrTitle) {
      ADD_FAILURE() << "a text of the request is missing";
      return false;
    }
    const char* end = d.lpstrFilter;
    while (end[0] != '\0' || end[1] != '\0') ++end;
    EXPECT_EQ(std::string(d.lpstrFilter, end + 2), std::string(kFilter, sizeof kFilter));
    EXPECT_EQ(d.Flags, 0x88C0Eu);
    EXPECT_EQ(d.nMaxFile, 260u);
    EXPECT_STREQ(d.lpstrFile, "");
    EXPECT_EQ(d.lpstrInitialDir, nullptr);
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
  EXPECT_FALSE(writer_->is_open());
}

// No dialog for a fault before it, nothing written by a refused write; a mode other than
// "default" is shown to the user as it came.
TEST_F(FileExportTest, ArgumentAndStateFaults) {
  MakeWriter();
  ChooseFile("args.txt");
  const struct {
    const wchar_t* statement;
    HRESULT hr;
    const wchar_t* box;  // null: none
  } cases[] = {
      {L"file.open();", E_INVALIDARG, nullptr},
      {L"file.open('default');", E_INVALIDARG, nullptr},
      {L"file.open(5, '.txt');", E_INVALIDARG, nullptr},
      {L"file.open(null, '.txt');", E_INVALIDARG, nullptr},
      {L"file.open('default', '.htm');", E_INVALIDARG, nullptr},
      {L"file.open('default', '.TXT');", E_INVALIDARG, nullptr},
      {L"file.open('default', 'txt');", E_INVALIDARG, nullptr},
      {L"file.open('default', 5);", E_INVALIDARG, nullptr},
      {L"file.open('.txt', '.txt');", E_INVALIDARG, L".txt"},
      {L"file.open('Default', '.txt');", E_INVALIDARG, L"Default"},
      {L"file.open('', '.txt');", E_INVALIDARG, L""},
      {L"file.write('x');", STG_E_INVALIDFUNCTION, nullptr},  // no file yet
      {L"file.write();", STG_E_INVALIDFUNCTION, nullptr},
      {L"file.open('default', '.txt');", S_OK, nullptr},
      {L"file.write();", E_INVALIDARG, nullptr},
      {L"file.write('a', 'b');", E_INVALIDARG, nullptr},
      {L"file.write(7);", E_INVALIDARG, nullptr},
      {L"file.write(null);", E_INVALIDARG, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.statement)));
    EXPECT_EQ(Attempt(c.statement), c.hr == S_OK ? L"ok" : ErrorNumber(c.hr));
    const auto boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_TRUE(boxes[0].wide);
      EXPECT_EQ(boxes[0].wide_text, c.box);
      EXPECT_FALSE(boxes[0].wide_caption.has_value());
      EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
      EXPECT_EQ(boxes[0].owner, host_.hwnd());
    }
  }
  EXPECT_EQ(dialogs_.size(), 1u);
  ASSERT_EQ(script_.Run(L"file.close();"), S_OK);
  EXPECT_EQ(Contents("args.txt"), "");
}

// Texts end at their first zero code unit; characters the code page lacks become "?".
TEST_F(FileExportTest, WritesLandExactlyAsGivenThroughTheWritersCodePage) {
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "\x8c\xea.";
  const struct {
    UINT code_page;
    const wchar_t* writes;
    std::string bytes;
  } cases[] = {
      {1252, L"w.write('a'); w.write(''); w.write('b');", "ab"},
      {1252, L"w.write('one\\r\\ntwo\\nthree\\r');", "one\r\ntwo\nthree\r"},
      {1252, L"w.write('cut\\u0000here'); w.write('\\u0000x'); w.write('.');", "cut."},
      {1252, L"w.write('caf\\u00e9 \\u65e5');", "caf\xe9 ?"},
      // Kanji and kana take two bytes each, half-width kana and ASCII one; Hangul is not there.
      {932, L"w.write('<b>\\u65e5\\u672c\\u8a9e</b>\\u3042\\uff71\\uff76'); w.write('\\ud55c!');",
       "<b>\x93\xfa\x96\x7b\x8c\xea</b>\x82\xa0\xb1\xb6?!"},
      {932, L"w.write(new Array(5001).join('\\u8a9e.'));", long_text},
      {CP_ACP, L"w.write('abc \\u65e5');", ::GetACP() == 932 ? "abc \x93\xfa" : "abc ?"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.writes)));
    const std::wstring item = L"w" + std::to_wstring(++n);
    MakeWriter(c.code_page, item.c_str());
    const std::string name = "out" + std::to_string(n) + ".txt";
    ChooseFile(name);
    ASSERT_EQ(script_.Run(L"var w = " + item + L"; w.open('default', '.txt', '\u4fdd\u5b58');" +
                          c.writes),
              S_OK);
    EXPECT_EQ(Contents(name), c.bytes);  // readable while still open
    ASSERT_EQ(script_.Run(L"w.close();"), S_OK);
    EXPECT_EQ(Contents(name), c.bytes);
  }
  // The title goes through the code page too: the two kanji in Shift-JIS.
  ASSERT_EQ(dialogs_.size(), std::size(cases));
  EXPECT_EQ(dialogs_[4], "1 .txt \x95\xdb\x91\xb6");
}

TEST_F(FileExportTest, OneFileAtATimeAndOnlyAfterTheDialogChoseOne) {
  MakeWriter();
  EXPECT_EQ(Text(kOpen), L"false");  // cancelled
  EXPECT_FALSE(writer_->is_open());
  std::ofstream(folder_.path() / "first.txt", std::ios::binary) << "previous content";
  ChooseFile("first.txt");
  ASSERT_EQ(Text(kOpen), L"true");
  ASSERT_EQ(script_.Run(L"file.write('1');"), S_OK);
  ChooseFile("second.txt");
  EXPECT_EQ(Attempt(L"file.open('default', '.txt');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  EXPECT_EQ(dialogs_.size(), 2u);
  ASSERT_EQ(script_.Run(L"file.write('2'); file.close(); file.close();"), S_OK);
  EXPECT_EQ(Contents("first.txt"), "12");  // an existing file is emptied first
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "second.txt"));
  // Closed again: a write fails, and a new file may follow.
  EXPECT_EQ(Attempt(L"file.write('3');"), ErrorNumber(STG_E_INVALIDFUNCTION));
  ASSERT_EQ(Text(kOpen), L"true");
  ASSERT_EQ(script_.Run(L"file.write('3'); file.close();"), S_OK);
  EXPECT_EQ(Contents("second.txt"), "3");
  EXPECT_EQ(Contents("first.txt"), "12");
}

TEST_F(FileExportTest, AFileThatCannotBeCreatedFailsWithoutAResult) {
  MakeWriter();
  ChooseFile("missing-folder\\x.txt");
  unique_variant result;
  EXPECT_EQ(InvokeWith(writer_.get(), 101, DISPATCH_METHOD,
                       Args(variant_text(L"default"), variant_text(L".txt")), result.get()),
            TYPE_E_IOERROR);
  EXPECT_EQ(result.type(), VT_EMPTY);
  EXPECT_FALSE(writer_->is_open());
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
