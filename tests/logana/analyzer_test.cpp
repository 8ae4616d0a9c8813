// The analyzer fixture's helpers.
#include "analyzer_test.h"

#include <cstdio>

#include "shell/mainthread_calls_win.h"

namespace zuvelo::testing {
namespace {

// ES3: no JSON, no forEach. `calls` records which callbacks ran, in order.
constexpr const wchar_t* kScriptHelpers =
    LR"(
var calls = [];
function note(name) { return function () { calls.push(name); }; }
)";

unsigned LowAddress(IDispatchLogAnaImpl* analyzer) {
  return static_cast<unsigned>(ToLParam(analyzer));
}

std::string Format(const char* format, unsigned value) {
  char line[128];
  std::snprintf(line, sizeof line, format, value);
  return line;
}

// Masks the digits of [from, to) after checking that only blanks and digits are there.
bool MaskField(std::string& line, std::size_t from, std::size_t to) {
  if (line.size() < to) return false;
  for (std::size_t i = from; i < to; ++i) {
    if (line[i] != ' ' && (line[i] < '0' || line[i] > '9')) return false;
  }
  line.replace(from, to - from, to - from, '#');
  return true;
}

std::string MaskLine(std::string line) {
  const std::string exit = "GetExitCodeThread b=1 d=";
  if (line.rfind(exit, 0) == 0) {
    const std::string code = line.substr(exit.size());
    if (code == "259/103\r\n" || code == "0/0\r\n") return exit + "*\r\n";
    return line;
  }
  int total = 0;
  int run = 0;
  int used = 0;
  int files = 0;
  if (std::sscanf(line.c_str(), "files=%d time=%dms\r\n%n", &files, &run, &used) == 2 &&
      used == static_cast<int>(line.size()) && run >= 0) {
    return "files=" + std::to_string(files) + " time=#ms\r\n";
  }
  if (std::sscanf(line.c_str(), "total=%d run=%d\r\n%n", &total, &run, &used) == 2 &&
      used == static_cast<int>(line.size()) && total >= 0 && run >= 0) {
    return "total=# run=#\r\n";
  }
  // Profile lines: a name padded to 14, then the time in 5 and the count in 7 columns.
  if (line.size() == 30 && line.compare(0, 2, "On") == 0 && line.compare(28, 2, "\r\n") == 0) {
    MaskField(line, 15, 20);
  }
  return line;
}

}  // namespace

void AnalyzerTest::SetUp() {
  PageTest::SetUp();
  ASSERT_EQ(script_.Run(kScriptHelpers), S_OK);
  analyzer_ = IDispatchLogAnaImpl::Create(host_.hwnd());
  ASSERT_TRUE(analyzer_);
  ASSERT_EQ(script_.AddNamedItem(L"ana", analyzer_.get()), S_OK);
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchCacheImpl CONSTRUCT\r\n", "IDispatchLogAnaImpl CONSTRUCT\r\n"}));
}

void AnalyzerTest::TearDown() {
  if (analyzer_ && main_.attached().contains(analyzer_.get())) RunToDetach(analyzer_.get());
  PageTest::TearDown();
}

void AnalyzerTest::RunToDetach(IDispatchLogAnaImpl* analyzer) {
  EXPECT_TRUE(PumpUntil([&] { return !main_.attached().contains(analyzer); }))
      << "the run did not detach";
}

com_ptr<IDispatch> AnalyzerTest::Object(const std::wstring& expression) {
  unique_variant value;
  EXPECT_EQ(script_.Evaluate(L"(" + expression + L")", value.get()), S_OK);
  EXPECT_EQ(value.type(), VT_DISPATCH);
  if (value.type() != VT_DISPATCH) return {};
  return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
}

Lines AnalyzerTest::Masked() {
  Lines lines = Trace();
  for (std::string& line : lines) line = MaskLine(line);
  return lines;
}

std::string AttachLine(IDispatchLogAnaImpl* analyzer) {
  return Format("WM__MAINTHREAD_ATTACH lParam=%X\r\n", LowAddress(analyzer));
}

std::string DetachLine(IDispatchLogAnaImpl* analyzer) {
  return Format("WM__MAINTHREAD_DETACH lParam=%X\r\n", LowAddress(analyzer));
}

Lines KillThreadLines() {
  return {"KillThread begin\r\n", "GetExitCodeThread b=1 d=*\r\n", "KillThread end\r\n"};
}

std::string OptionLine(int sort, int lobby, unsigned match_mask, unsigned match, unsigned skip_mask,
                       unsigned skip, int player_length) {
  char line[200];
  std::snprintf(line, sizeof line,
                "iSortAs=%d enumLobbyID=%d enumMatch(%04X:%04X) enumSkip(%04X:%04X) "
                "enumPlayer.len=%d\r\n",
                sort, lobby, match_mask, match, skip_mask, skip, player_length);
  return line;
}

std::string ProfileLine(const wchar_t* name, int count) {
  char line[64];
  std::snprintf(line, sizeof line, "%-14ls ##### %7d\r\n", name, count);
  return line;
}

RunHold::RunHold(HRESULT result)
    : release_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      hooks_(AnalyzeWorkerHooks{[this, result](LogAnaThread&) {
                                  ++inside_;
                                  ++entered_;
                                  ::WaitForSingleObject(release_.get(), INFINITE);
                                  --inside_;
                                  return result;
                                },
                                false}) {}

RunHold::~RunHold() {
  Release();
  while (inside_ > 0) ::Sleep(1);
}

bool RunHold::WaitEntered(int count) {
  return PumpUntil([&] { return entered_ >= count; });
}

}  // namespace zuvelo::testing
