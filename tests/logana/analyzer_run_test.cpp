// Runs of the analyzer: the frame of a run from analyze to its final step, the run states,
// OnAnalyzeBegin and OnAnalyzeEnd, the busy worker, the attachment that keeps an analyzer the
// page let go of alive until its detach, two independent analyzers, and a failed thread start.
#include <algorithm>
#include <utility>

#include "analyzer_test.h"
#include "bridge/external_object_win.h"
#include "bridge/variant.h"

namespace zuvelo::testing {
namespace {

struct State {
  bool thread;
  bool running;
  bool stop;
  bool operator==(const State&) const = default;
};

constexpr State kIdle{false, false, true};
constexpr State kRunning{true, true, false};
constexpr State kStopping{true, true, true};
constexpr State kSpent{true, true, false};

State StateOf(const IDispatchLogAnaImpl* a) {
  return {a->thread_recorded(), a->running(), a->stop_requested()};
}

[[maybe_unused]] void PrintTo(const State& s, std::ostream* os) {
  *os << "{thread " << s.thread << ", running " << s.running << ", stop " << s.stop << "}";
}

ReceivedCommand Status(const char* text) {
  ReceivedCommand c;
  c.name = "STATUS";
  c.has_argument = true;
  c.narrow = text;
  c.thread = ::GetCurrentThreadId();
  return c;
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// What the worker traces from a replay phase with nothing to replay, and then the main thread
// from the final step of a run whose options had no callbacks but those counted in `profile`.
Lines FinalStep(const Lines& profile = {}) {
  return Concat({{"vLogList=0\r\n", "files=0 time=#ms\r\n", "StopThread\r\n"},
                 KillThreadLines(),
                 {"----- profile -----\r\n"},
                 profile,
                 {"total=# run=#\r\n"}});
}

TEST_F(AnalyzerTest, ARunWithoutCallbacksEndsWithItsFinalStep) {
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  for (int run = 0; run < 2; ++run) {  // a run that ended with "done" may be followed by another
    SCOPED_TRACE(run);
    ASSERT_EQ(Text(L"ana.analyze({})"), L"undefined");
    EXPECT_TRUE(main_.attached().contains(analyzer_.get()));
    EXPECT_TRUE(analyzer_->thread_recorded());
    RunToDetach(analyzer_.get());
    EXPECT_EQ(Masked(), Concat({{OptionLine(1, -1, 0, 0, 0, 0, 0), AttachLine(analyzer_.get())},
                                FinalStep(),
                                {DetachLine(analyzer_.get())}}));
    EXPECT_EQ(main_.TakeCommands(), std::vector<ReceivedCommand>{Status("done")});
    EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
    EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress"), L"0,0");
  }
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_F(AnalyzerTest, BeginIsCalledInsideAnalyzeAndEndAfterTheWorker) {
  ASSERT_EQ(script_.Run(LR"(
    var order = [];
    var options = {
      OnAnalyzeBegin: function () { order.push('begin:' + ana.nTotal); },
      OnAnalyzeEnd: function () { order.push('end:' + ana.nProgress); }
    };
    ana.analyze(options);
    order.push('returned');)"),
            S_OK);
  EXPECT_EQ(Text(L"order.join()"), L"begin:0,returned");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"order.join()"), L"begin:0,returned,end:0");
  const Lines lines = Masked();
  const Lines tail(lines.end() - 11, lines.end());
  EXPECT_EQ(tail,
            Concat({FinalStep({ProfileLine(L"OnAnalyzeBegin", 1), ProfileLine(L"OnAnalyzeEnd", 1)}),
                    {DetachLine(analyzer_.get())}}));
  main_.TakeCommands();
}

TEST_F(AnalyzerTest, AFailingOnAnalyzeBeginStartsNoRun) {
  ASSERT_EQ(script_.Run(L"var failing = {OnAnalyzeBegin: function () { throw 7; },"
                        L"               OnAnalyzeEnd: note('end')};"),
            S_OK);
  const std::wstring error = Attempt(L"ana.analyze(failing);");
  script_.TakeErrors();
  EXPECT_NE(error, L"ok");
  const Lines lines = Trace();
  ASSERT_EQ(lines.size(), 4u);  // two lookups, the options, the failed call
  unsigned failure = 0;
  ASSERT_EQ(std::sscanf(lines[3].c_str(), "CallJSFunc hr=%*d/%X\r\n", &failure), 1) << lines[3];
  EXPECT_EQ(error, ErrorNumber(static_cast<HRESULT>(failure)));
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  EXPECT_FALSE(main_.attached().contains(analyzer_.get()));
  EXPECT_TRUE(main_.TakeCommands().empty());
  // The analyzer is as usable as before.
  ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('second end')});"), L"ok");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"second end");
  main_.TakeCommands();
}

TEST_F(AnalyzerTest, StatesOfAHeldRunAndOfAStoppedOne) {
  RunHold hold;
  ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('end')});"), L"ok");
  ASSERT_TRUE(hold.WaitEntered());
  EXPECT_EQ(StateOf(analyzer_.get()), kRunning);
  EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress"), L"0,0");
  Trace();
  ASSERT_EQ(script_.Run(L"ana.stop(); var stop = ana.stop; stop();"), S_OK);
  EXPECT_EQ(Trace(), (Lines{"StopThread\r\n", "StopThread\r\n"}));
  EXPECT_EQ(StateOf(analyzer_.get()), kStopping);
  EXPECT_EQ(Text(L"calls.join()"), L"");
  // A stopped run still gets its final step.
  hold.Release();
  RunToDetach(analyzer_.get());
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  EXPECT_EQ(Text(L"calls.join()"), L"end");
  EXPECT_EQ(main_.TakeCommands(), std::vector<ReceivedCommand>{Status("done")});
}

TEST_F(AnalyzerTest, ASecondAnalyzeMeetsTheBusyWorkerAndLeavesTheRunAlone) {
  RunHold hold;
  ASSERT_EQ(script_.Run(L"ana.analyze({OnAnalyzeEnd: note('first end')});"), S_OK);
  ASSERT_TRUE(hold.WaitEntered());
  Trace();
  ASSERT_EQ(script_.Run(L"var second = {OnAnalyzeBegin: note('second begin'),"
                        L"              OnAnalyzeEnd: note('second end'), sortAs: 'CTimeAscent'};"),
            S_OK);
  EXPECT_EQ(Attempt(L"ana.analyze(second);"), ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty));
  const auto boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "THREAD IS NOT EMPTY");
  EXPECT_EQ(boxes[0].owner, host_.hwnd());
  EXPECT_FALSE(boxes[0].caption.has_value());
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
  // Its options were read and its OnAnalyzeBegin called before the worker was found busy.
  const Lines lines = Trace();
  EXPECT_NE(std::find(lines.begin(), lines.end(), OptionLine(0, -1, 0, 0, 0, 0, 0)), lines.end());
  EXPECT_EQ(Text(L"calls.join()"), L"second begin");
  EXPECT_EQ(StateOf(analyzer_.get()), kRunning);

  hold.Release();
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"second begin,first end");
  main_.TakeCommands();
}

TEST_F(AnalyzerTest, AnalyzeFromOnAnalyzeEndIsRefusedUntilTheDetach) {
  ASSERT_EQ(script_.Run(LR"(
    var again = 'not tried';
    ana.analyze({OnAnalyzeEnd: function () {
      try { ana.analyze({}); again = 'ok'; } catch (e) { again = String(e.number); }
    }});)"),
            S_OK);
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"again"), ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty));
  const auto boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "THREAD IS NOT EMPTY");
  EXPECT_FALSE(boxes[0].fatal);
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  // Once detached, the next run may start.
  ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('end')});"), L"ok");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"end");
  main_.TakeCommands();
}

TEST_F(AnalyzerTest, ARunEndedWithoutItsFinalStepLeavesTheAnalyzerSpent) {
  {
    RunHold hold(E_FAIL);  // the run's work fails, as a failed callback would end it
    ASSERT_EQ(Attempt(L"ana.analyze({OnAnalyzeEnd: note('end')});"), L"ok");
    ASSERT_TRUE(hold.WaitEntered());
    hold.Release();
    RunToDetach(analyzer_.get());
  }
  Lines lines = Masked();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("OnAnalyzeEnd   dispid=", 0), 0u);
  EXPECT_EQ(Lines(lines.begin() + 1, lines.end()),
            (Lines{OptionLine(1, -1, 0, 0, 0, 0, 0), AttachLine(analyzer_.get()),
                   DetachLine(analyzer_.get())}));
  EXPECT_TRUE(main_.TakeCommands().empty());  // no "done"
  EXPECT_EQ(Text(L"calls.join()"), L"");
  EXPECT_EQ(StateOf(analyzer_.get()), kSpent);

  EXPECT_EQ(Attempt(L"ana.analyze({});"), ErrorNumber(IDispatchLogAnaImpl::kThreadNotEmpty));
  EXPECT_EQ(boxes_.Take().size(), 1u);
  EXPECT_EQ(StateOf(analyzer_.get()), kSpent);
  EXPECT_FALSE(main_.attached().contains(analyzer_.get()));

  // Going away ends the spent run's bookkeeping.
  script_.Close();
  Trace();
  analyzer_.reset();
  lines = Masked();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5), Concat({{"IDispatchLogAnaImpl DESTRUCT\r\n"},
                                                             KillThreadLines(),
                                                             {"IDispatchCacheImpl DESTRUCT\r\n"}}));
}

TEST_F(AnalyzerTest, DestructionReleasesItsPartsInOrder) {
  script_.Close();
  Trace();
  analyzer_.reset();
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchLogAnaImpl DESTRUCT\r\n", "KillThread begin\r\n", "KillThread end\r\n",
                   "IDispatchCacheImpl DESTRUCT\r\n", "LogAnaThread DESTRUCT\r\n",
                   "IDispatchLogInfoImpl DESTRUCT\r\n", "IDispatchTehaiImpl DESTRUCT\r\n",
                   "IDispatchPlayerImpl DESTRUCT\r\n", "IDispatchTehaiImpl DESTRUCT\r\n",
                   "IDispatchPlayerImpl DESTRUCT\r\n", "IDispatchTehaiImpl DESTRUCT\r\n",
                   "IDispatchPlayerImpl DESTRUCT\r\n", "IDispatchTehaiImpl DESTRUCT\r\n",
                   "IDispatchPlayerImpl DESTRUCT\r\n"}));
}

TEST_F(AnalyzerTest, APageThatLetsGoMidRunLeavesTheAnalyzerToItsDetach) {
  const auto external = IDispatchBrowserExternalImpl::Create(host_.hwnd());
  ASSERT_EQ(script_.AddNamedItem(L"external", external.get()), S_OK);
  RunHold hold;
  ASSERT_EQ(script_.Run(L"var a = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"
                        L"a.global = {}; a.analyze({OnAnalyzeEnd: note('end')});"),
            S_OK);
  ASSERT_TRUE(hold.WaitEntered());
  ASSERT_EQ(main_.attached().size(), 1u);
  Trace();
  ASSERT_EQ(script_.Run(L"a = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines{});  // the attachment still holds it
  ASSERT_EQ(main_.attached().size(), 1u);

  hold.Release();
  EXPECT_TRUE(PumpUntil([&] { return main_.attached().size() == 0; }));
  const Lines lines = Trace();
  // No final step: nobody but the main window wanted the run any more. The replay phase is
  // still reached, with nothing to replay.
  EXPECT_TRUE(main_.TakeCommands().empty());
  EXPECT_EQ(Text(L"calls.join()"), L"");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "vLogList=0\r\n");
  EXPECT_EQ(lines[1].rfind("files=0 time=", 0), 0u);
  EXPECT_EQ(lines[2].rfind("WM__MAINTHREAD_DETACH lParam=", 0), 0u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "IDispatchLogAnaImpl DESTRUCT\r\n"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "LogAnaThread DESTRUCT\r\n"), 1);
  EXPECT_EQ(lines[3], "IDispatchLogAnaImpl DESTRUCT\r\n");
}

TEST_F(AnalyzerTest, TwoAnalyzersAreIndependent) {
  const auto other = IDispatchLogAnaImpl::Create(host_.hwnd());
  ASSERT_TRUE(other);
  ASSERT_EQ(script_.AddNamedItem(L"other", other.get()), S_OK);
  RunHold hold;
  ASSERT_EQ(script_.Run(L"ana.global = {name: 'first'}; other.global = {name: 'second'};"
                        L"ana.analyze({OnAnalyzeEnd: note('ana')});"
                        L"other.analyze({OnAnalyzeEnd: note('other')});"),
            S_OK);
  ASSERT_TRUE(hold.WaitEntered(2));
  EXPECT_EQ(main_.attached().size(), 2u);
  EXPECT_EQ(Text(L"ana.global.name + other.global.name"), L"firstsecond");
  EXPECT_NE(Text(L"ana.cache === other.cache"), L"");
  ASSERT_EQ(script_.Run(L"other.stop();"), S_OK);
  EXPECT_EQ(StateOf(other.get()), kStopping);
  EXPECT_EQ(StateOf(analyzer_.get()), kRunning);

  hold.Release();
  RunToDetach(analyzer_.get());
  RunToDetach(other.get());
  EXPECT_EQ(Text(L"calls.sort().join()"), L"ana,other");
  EXPECT_EQ(main_.TakeCommands(), (std::vector<ReceivedCommand>{Status("done"), Status("done")}));
  EXPECT_EQ(StateOf(analyzer_.get()), kIdle);
  EXPECT_EQ(StateOf(other.get()), kIdle);
  Trace();
  script_.Close();
}

TEST_F(AnalyzerTest, AThreadThatCannotStartUndoesTheAttachment) {
  const com_ptr<IDispatch> options = Object(L"{OnAnalyzeEnd: note('end')}");
  Trace();
  {
    const ScopedAnalyzeWorkerHooks failing(AnalyzeWorkerHooks{{}, true});
    std::vector<unique_variant> args;
    args.push_back(variant_dispatch(options.get()));
    unique_variant preset = variant_i4(3);
    EXPECT_EQ(InvokeWith(analyzer_.get(), 101, DISPATCH_METHOD, std::move(args), preset.get()),
              S_FALSE);
    EXPECT_EQ(preset.type(), VT_I4);
  }
  EXPECT_EQ(Trace(), (Lines{"OnAnalyzeEnd   dispid=" + std::to_string([&] {
                              LPOLESTR n[] = {const_cast<LPOLESTR>(L"OnAnalyzeEnd")};
                              DISPID id = 0;
                              options->GetIDsOfNames(IID_NULL, n, 1, 0, &id);
                              return id;
                            }()) +
                                " vt=9 hr=0\r\n",
                            OptionLine(1, -1, 0, 0, 0, 0, 0), AttachLine(analyzer_.get()),
                            DetachLine(analyzer_.get())}));
  EXPECT_EQ(StateOf(analyzer_.get()), (State{false, true, false}));
  EXPECT_FALSE(main_.attached().contains(analyzer_.get()));
  // Nothing is recorded, so the next analyze starts a run.
  ASSERT_EQ(Attempt(L"ana.analyze({});"), L"ok");
  RunToDetach(analyzer_.get());
  EXPECT_EQ(main_.TakeCommands(), std::vector<ReceivedCommand>{Status("done")});
  EXPECT_EQ(Text(L"calls.join()"), L"");
}

TEST_F(AnalyzerTest, AnalyzeReadAsAValueStartsARunOnItsAnalyzer) {
  ASSERT_EQ(script_.Run(L"var go = ana.analyze; go({OnAnalyzeEnd: note('end')});"), S_OK);
  EXPECT_TRUE(main_.attached().contains(analyzer_.get()));
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"end");
  // A failure behind the value stays hidden from script.
  EXPECT_EQ(Attempt(L"go(5); go();"), L"ok");
  EXPECT_FALSE(main_.attached().contains(analyzer_.get()));
  main_.TakeCommands();
}

}  // namespace
}  // namespace zuvelo::testing
