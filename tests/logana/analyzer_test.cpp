// The analyzer from real JScript: its members, the frame of a run and the busy worker.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <regex>

#include "base/handle_win.h"
#include "bridge/external_object_win.h"
#include "logana_page_test.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo::testing {
namespace {

// Trace lines with what varies from run to run masked (the worker may not have ended yet).
Lines Masked() {
  static const std::pair<std::regex, const char*> masks[] = {
      {std::regex("^(GetExitCodeThread b=1 d=)(259/103|0/0)\r\n$"), "$1*\r\n"},
      {std::regex("^(On[A-Za-z]+ +dispid=)\\d+ "), "$1# "},
      {std::regex("^(files=\\d+ time=)\\d+ms\r\n$"), "$1#ms\r\n"},
      {std::regex("^total=\\d+ run=\\d+\r\n$"), "total=# run=#\r\n"},
      {std::regex("^(On[A-Za-z ]{12}) [ \\d]{4}\\d ([ \\d]{6}\\d\r\n)$"), "$1 ##### $2"}};
  Lines lines = ProcessTraceListener().Take();
  for (std::string& line : lines)
    for (const auto& [pattern, mask] : masks) line = std::regex_replace(line, pattern, mask);
  return lines;
}

std::string MainThreadLine(const char* what, IDispatchLogAnaImpl* analyzer) {
  char line[64];
  std::snprintf(line, sizeof line, "WM__MAINTHREAD_%s lParam=%X\r\n", what,
                static_cast<unsigned>(ToLParam(analyzer)));
  return line;
}

std::string OptionLine(int sort = 1, int lobby = -1, unsigned match_mask = 0, unsigned match = 0,
                       unsigned skip_mask = 0, unsigned skip = 0, int player_length = 0) {
  char line[200];
  std::snprintf(line, sizeof line,
                "iSortAs=%d enumLobbyID=%d enumMatch(%04X:%04X) enumSkip(%04X:%04X) "
                "enumPlayer.len=%d\r\n",
                sort, lobby, match_mask, match, skip_mask, skip, player_length);
  return line;
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Lines FinalStep(const Lines& profile = {}) {
  return Concat(
      {{"vLogList=0\r\n", "files=0 time=#ms\r\n", "StopThread\r\n", "KillThread begin\r\n",
        "GetExitCodeThread b=1 d=*\r\n", "KillThread end\r\n", "----- profile -----\r\n"},
       profile,
       {"total=# run=#\r\n"}});
}

std::string StateOf(const IDispatchLogAnaImpl* a) {
  return {"01"[a->thread_recorded()], "01"[a->running()], "01"[a->stop_requested()]};
}
const std::string kIdle = "001", kRunning = "110", kStopping = "111", kSpent = "110";

using Commands = std::vector<ReceivedCommand>;

ReceivedCommand Done() { return {"STATUS", true, L"", "done", ::GetCurrentThreadId()}; }

class RunHold {
 public:
  ~RunHold() {  // lets held runs go and waits until none is inside
    Release();
    while (inside_ > 0) ::Sleep(1);
  }
  bool WaitEntered() {
    return PumpUntil([&] { return entered_ > 0; });
  }
  void Release() { ::SetEvent(release_.get()); }

 private:
  HRESULT Hold() {
    ++inside_, ++entered_;
    ::WaitForSingleObject(release_.get(), INFINITE);
    --inside_;
    return S_OK;
  }
  unique_kernel_handle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<int> entered_{0}, inside_{0};
  ScopedAnalyzeWorkerHooks hooks_{{[this](LogAnaThread&) { return Hold(); }, false}};
};

TEST_F(AnalyzerTest, GlobalTakesOneObjectProgressStartsAtZeroCacheIsOneObject) {
  EXPECT_EQ(InvokeWith(analyzer_.get(), 106, DISPATCH_PROPERTYPUTREF,
                       Args(variant_dispatch(Object(L"{n: 7}").get())), nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Attempt(L"ana.nTotal = 1;"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(Trace(), Lines{"IDispatchLogAnaImpl UNKNOWN Invoke dispid=103/0x67 cArg=1"});
  EXPECT_EQ(Text(L"ana.global === null"), L"true");
  ASSERT_EQ(script_.Run(L"var g = {n: 3}; ana.global = g;"), S_OK);
  EXPECT_EQ(Attempt(L"ana.global = 'text';"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(Text(L"[ana.global === g, ana.global.n, ana.nTotal, ana.nProgress, typeof ana.nTotal,"
                 L" ana.cache === ana.cache && typeof ana.cache.get].join()"),
            L"true,3,0,0,number,object");
}

TEST_F(AnalyzerTest, AnalyzeRefusesAnythingButAnObjectLast) {
  for (const wchar_t* statement : {L"ana.analyze();", L"ana.analyze(5);", L"ana.analyze('x');",
                                   L"ana.analyze({}, 5);", L"ana.analyze(null);"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(statement)));
    EXPECT_EQ(Attempt(statement), ErrorNumber(E_INVALIDARG));
  }
  EXPECT_EQ(
      InvokeWith(analyzer_.get(), 101, DISPATCH_METHOD, Args(variant_dispatch(nullptr)), nullptr),
      E_POINTER);
  EXPECT_EQ(Trace(), Lines{});  // nothing read, nothing attached
}

// The order is set afresh by every analyze.
TEST_F(AnalyzerTest, WhatAnalyzeReadsFromTheOptions) {
  const struct {
    const wchar_t* options;
    Lines lines;  // the first trace lines of the call
  } cases[] = {
      {LR"({OnLogBegin: note('log'), OnTsumo: 5, OnDahai: null, OnNaki: 'x', OnDora: {},
           OnReach: undefined, OnAgari: function () {}, onAgari: note('wrong case'),
           OnAnalyzeEnd: note('end')})",
       {"OnLogBegin     dispid=# vt=9 hr=0\r\n", "OnTsumo        dispid=-1 vt=3 hr=0\r\n",
        "OnDahai        dispid=-1 vt=1 hr=0\r\n", "OnNaki         dispid=-1 vt=8 hr=0\r\n",
        "OnDora         dispid=# vt=9 hr=0\r\n", "OnReach        dispid=-1 vt=0 hr=0\r\n",
        "OnAgari        dispid=# vt=9 hr=0\r\n", "OnAnalyzeEnd   dispid=# vt=9 hr=0\r\n",
        OptionLine()}},
      {L"{sortAs: 'ctimeascent', enumLobbyID: 2.5, enumPlayer: 5}", {OptionLine()}},
      {L"{sortAs: 0, enumLobbyID: 0, enumMatchMask: 1.5, enumMatch: true, enumSkipMask: '1', "
       L"enumSkip: -1, enumPlayer: '\u540d\u524d'}",
       {OptionLine(1, 0, 0, 0, 0, 0xFFFFFFFF, 2)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.options)));
    Trace();
    ASSERT_EQ(Attempt(L"ana.analyze(" + std::wstring(c.options) + L");"), L"ok");
    Lines lines = Masked();
    lines.resize(std::min(lines.size(), c.lines.size()));
    EXPECT_EQ(lines, c.lines);
    RunToDetach(analyzer_.get());
  }
  EXPECT_EQ(Text(L"calls.join()"), L"end");
  main_.TakeCommands();
}

TEST_F(AnalyzerTest, ARunEndsWithItsFinalStepAndCallsBeginInsideAnalyzeAndEndAfterTheWorker) {
  ASSERT_EQ(script_.Run(LR"(
    var order = [], go = ana.analyze;
    order.push(typeof go({
      OnAnalyzeBegin: function () { order.push('begin:' + ana.nTotal); },
      OnAnalyzeEnd: function () { order.push('end:' + ana.nProgress); }
    }));)"),
            S_OK);
  EXPECT_EQ(Text(L"order.join()"), L"begin:0,undefined");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"order.join()"), L"begin:0,undefined,end:0");
  EXPECT_EQ(
      Masked(),
      Concat({{"OnAnalyzeBegin dispid=# vt=9 hr=0\r\n", "OnAnalyzeEnd   dispid=# vt=9 hr=0\r\n",
               OptionLine(), MainThreadLine("ATTACH", analyzer_.get())},
              FinalStep({"OnAnalyzeBegin #####       1\r\n", "OnAnalyzeEnd   #####       1\r\n"}),
              {MainThreadLine("DETACH", analyzer_.get())}}));
  EXPECT_EQ(main_.TakeCommands(), Commands{Done()});
  // A failure behind the value stays hidden from script.
  EXPECT_EQ(Attempt(L"go(5); go();"), L"ok");
  EXPECT_FALSE(main_.attached().contains(analyzer_.get()));
}

TEST_F(AnalyzerTest, AFailingOnAnalyzeBeginStartsNoRun) {
  ASSERT_EQ(script_.Run(L"var failing = {OnAnalyzeBegin: function () { throw 7; },"
                        L"               OnAnalyzeEnd: note('end')};"),
            S_OK);
  const std::wstring error = Attempt(L"ana.analyze(failing);");
  script_.TakeErrors();
  const Lines lines = Trace();
  ASSERT_EQ(lines.size(), 4u);  // two lookups, the options, the failed call
  unsigned failure = 0;
  ASSERT_EQ(std::sscanf(lines[3].c_str(), "CallJSFunc hr=%*d/%X\r\n", &failure), 1) << lines[3];
  EXPECT_EQ(error, ErrorNumber(static_cast<HRESULT>(failure)));
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
}

TEST_F(AnalyzerTest, ASecondAnalyzeMeetsTheBusyWorkerAndLeavesTheRunAloneToItsStop) {
  {
    RunHold hold;
    ASSERT_EQ(script_.Run(L"ana.analyze({OnAnalyzeEnd: note('first end')});"), S_OK);
    ASSERT_TRUE(hold.WaitEntered());
    Trace();
    EXPECT_EQ(Attempt(L"ana.analyze({OnAnalyzeBegin: note('second begin'),"
                      L"  OnAnalyzeEnd: note('second end')});"),
              ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty));
    ExpectOneBox(boxes_, host_.hwnd(), MB_ICONERROR, "THREAD IS NOT EMPTY");
    EXPECT_EQ(Text(L"calls.join()"), L"second begin");  // its options were read all the same
    Trace();
    EXPECT_EQ(StateOf(analyzer_.get()), kRunning);
    ASSERT_EQ(script_.Run(L"var stop = ana.stop; stop();"), S_OK);
    EXPECT_EQ(Trace(), Lines{"StopThread\r\n"});
    EXPECT_EQ(StateOf(analyzer_.get()), kStopping);
  }
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"second begin,first end");
  EXPECT_EQ(main_.TakeCommands(), Commands{Done()});
}

// The main window holds the run until it handles the detach: attaching twice would be fatal.
TEST_F(AnalyzerTest, AnAnalyzerIsBusyUntilItsDetachHasBeenHandled) {
  ASSERT_EQ(script_.Run(LR"(
    var again = 'not tried';
    ana.analyze({OnAnalyzeEnd: function () {
      try { ana.analyze({}); again = 'ok'; } catch (e) { again = String(e.number); }
    }});)"),
            S_OK);
  std::wstring between = L"not tried";
  const LPARAM self = ToLParam(analyzer_.get());
  ASSERT_TRUE(PumpUntil([&] { return !main_.attached().contains(analyzer_.get()); },
                        [&](const MSG& message) {
                          if (message.message != WM__MAINTHREAD_DETACH || message.lParam != self)
                            return;
                          between = Text(L"again") + L"," + Attempt(L"ana.analyze({});");
                        }));
  const std::wstring busy = ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty);
  EXPECT_EQ(between, busy + L"," + busy);
  const auto boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "THREAD IS NOT EMPTY");
  EXPECT_FALSE(boxes[1].fatal);
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('third end')});"), L"ok");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"third end");
  EXPECT_EQ(main_.TakeCommands(), (Commands{Done(), Done()}));
}

TEST_F(AnalyzerTest, APageThatLetsGoMidRunLeavesTheAnalyzerToItsDetach) {
  const auto external = IDispatchBrowserExternalImpl::Create(host_.hwnd());
  ASSERT_EQ(script_.AddNamedItem(L"external", external.get()), S_OK);
  RunHold hold;
  ASSERT_EQ(script_.Run(L"var a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"a.global = {}; a.analyze({OnAnalyzeEnd: note('end')});"),
            S_OK);
  ASSERT_TRUE(hold.WaitEntered());
  Trace();
  ASSERT_EQ(script_.Run(L"a = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines{});  // the attachment still holds it

  hold.Release();
  EXPECT_TRUE(PumpUntil([&] { return main_.attached().size() == 0; }));
  const Lines lines = Trace();
  // No final step: nobody but the main window wanted the run any more.
  EXPECT_TRUE(main_.TakeCommands().empty());
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "vLogList=0\r\n");
  EXPECT_EQ(lines[2].rfind("WM__MAINTHREAD_DETACH lParam=", 0), 0u);
  EXPECT_EQ(lines[3], "IDispatchLogAnaImpl DESTRUCT\r\n");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "LogAnaThread DESTRUCT\r\n"), 1);
}

// Without the detach the main window would keep the analyzer for ever.
TEST_F(AnalyzerTest, AWorkerThatThrowsEndsItsRunSpentAndStillDetaches) {
  const ScopedAnalyzeWorkerHooks hooks(
      AnalyzeWorkerHooks{[](LogAnaThread&) -> HRESULT { throw std::bad_alloc(); }});
  ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('end')});"), L"ok");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(std::ranges::count(Trace(), "LogAnaThread EXCEPTION out of memory\r\n"), 1);
  EXPECT_TRUE(main_.TakeCommands().empty());  // no "done"
  EXPECT_EQ(Text(L"calls.join()"), L"");
  EXPECT_EQ(StateOf(analyzer_.get()), kSpent);
  EXPECT_EQ(Attempt(L"ana.analyze({});"), ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty));
  ExpectOneBox(boxes_, host_.hwnd(), MB_ICONERROR, "THREAD IS NOT EMPTY");
}

// A worker that heeds nothing keeps its analyzer: it is never freed under it.
TEST_F(AnalyzerTest, TheEndOfTheProgramWaitsAFewSecondsAtMostForAWorker) {
  for (const bool stuck : {false, true}) {
    SCOPED_TRACE(stuck ? "stuck" : "heeding");
    std::optional<RunHold> hold;
    if (stuck) hold.emplace();
    auto ending = std::make_unique<TestMainWindow>();
    TestHostWindow host(ending->hwnd(), script_.Global().get());
    const com_ptr<IDispatchLogAnaImpl> analyzer = IDispatchLogAnaImpl::Create(host.hwnd());
    ASSERT_TRUE(analyzer);
    ASSERT_EQ(InvokeWith(analyzer.get(), 101, DISPATCH_METHOD,
                         Args(variant_dispatch(Object(L"{}").get())), nullptr),
              S_OK);
    if (stuck) {
      ASSERT_TRUE(hold->WaitEntered());
    }
    ASSERT_TRUE(ending->attached().contains(analyzer.get()));
    const ULONG before = RefCount(static_cast<IDispatch*>(analyzer.get()));
    const auto start = std::chrono::steady_clock::now();
    ending.reset();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(AttachedObjects::kEndWaitMs + 1000));
    EXPECT_EQ(RefCount(static_cast<IDispatch*>(analyzer.get())), stuck ? before : before - 1);
    EXPECT_EQ(analyzer->running(), false);
    if (stuck) {
      EXPECT_GE(waited, std::chrono::milliseconds(AttachedObjects::kEndWaitMs - 100));
      hold.reset();  // lets it go; the reference it kept stays with it
    }
    Trace();
  }
}

}  // namespace
}  // namespace zuvelo::testing
