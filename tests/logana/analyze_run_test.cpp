// Whole runs from real JScript over generated logs, placeholders fetched from the test server.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/code_page_win.h"
#include "bridge/external_object_win.h"
#include "logana/cache_file.h"
#include "logana/logana_cache.h"
#include "logana/worker_status_win.h"
#include "logana_page_test.h"
#include "net/service_address.h"
#include "run_logs.h"

namespace zuvelo::testing {
namespace {

constexpr const wchar_t* kRunHelpers =
    LR"(
var seen = [];
function accept() { return true; }
function options(extra) {
  var o = {Array: Array, OnEnumLog: accept};
  for (var k in extra) o[k] = extra[k];
  return o;
}
function noteName(info) { seen.push(info.filetw); }
)";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Join(const Lines& names) {
  std::string joined;
  for (const std::string& n : names) joined += (joined.empty() ? "" : "|") + n;
  return joined;
}

class AnalyzeRunTest : public AnalyzerTest {
 protected:
  void SetUp() override {
    AnalyzerTest::SetUp();
    ASSERT_FALSE(ServedLogs::HomeAddress().empty()) << "no test server: run through ctest";
    external_ = IDispatchBrowserExternalImpl::Create(host_.hwnd());
    ASSERT_EQ(script_.AddNamedItem(L"external", external_.get()), S_OK);
    ASSERT_EQ(script_.Run(kRunHelpers), S_OK);
    LogAnaCache::Instance().Clear();
  }
  void TearDown() override {
    LogAnaCache::Instance().Clear();  // nothing of these tests reaches a later "00.dat"
    static_cast<void>(LogAnaCache::Instance().SaveIfDirty());
    AnalyzerTest::TearDown();
  }

  void Analyze(const std::wstring& options, const std::wstring& analyzer = L"ana") {
    ASSERT_EQ(Attempt(analyzer + L".analyze(" + options + L");"), L"ok");
    ASSERT_TRUE(PumpUntil([&] { return main_.attached().size() == 0; })) << "no detach";
  }
  Lines WriteGames(int count) {
    Lines names;
    for (int n = 1; n <= count; ++n) {
      const std::string digit(1, static_cast<char>('0' + n));
      names.push_back(LogName("201507010" + digit, "0000000" + digit));
      logs_.WriteGame(names.back(), static_cast<std::uint64_t>(n));
    }
    return names;
  }
  Lines Statuses() {
    Lines texts;
    for (const ReceivedCommand& c : main_.TakeCommands())
      if (c.name == "STATUS") texts.push_back(c.narrow);
    return texts;
  }
  std::string LastStatus() {
    const Lines texts = Statuses();
    return texts.empty() ? "" : texts.back();
  }
  std::string Seen(const wchar_t* sort = L"") {
    const std::wstring seen = Text(L"seen" + std::wstring(sort) + L".join('|')");
    return std::string(seen.begin(), seen.end());
  }
  // The failure is whatever the engine made of the throw; a trace line (UDP) must agree.
  void ExpectFailureStatus(const std::string& status, int step, const std::string& name) {
    unsigned hr = 0, traced = 0;
    ASSERT_EQ(std::sscanf(status.c_str(), "ERROR(%*d) hr=%X", &hr), 1) << status;
    char expected[256];
    std::snprintf(expected, sizeof expected, "ERROR(%d) hr=%X %s", step, hr, name.c_str());
    EXPECT_EQ(status, expected);
    EXPECT_NE(hr & 0x80000000u, 0u) << status;
    for (const std::string& line : Trace())
      if (std::sscanf(line.c_str(), "CallJSFunc hr=%*d/%X", &traced) == 1) {
        EXPECT_EQ(hr, traced);
      }
  }

  RunLogs logs_;
  ServedLogs served_;
  ScopedHomeAddress home_{ServedLogs::HomeAddress()};
  ScopedWorkerStatusTimeout status_timeout_{10000};  // a busy test thread loses no status
  com_ptr<IDispatchBrowserExternalImpl> external_;
};

TEST_F(AnalyzeRunTest, AFailingCallbackEndsTheRunAtItsStep) {
  const Lines names = WriteGames(5);
  const struct {
    const wchar_t* callbacks;
    int step;
    std::string seen;  // "": two offers, in any order
    Lines statuses;    // before the failure
  } cases[] = {
      {LR"(OnLogBegin: function (info) { seen.push(info.filetw); },
           OnTsumo: function () { if (seen.length == 5) throw new Error('third'); },
           OnLogEnd: function () { seen.push('end of log'); })",
       3,
       Join({names[4], "end of log", names[3], "end of log", names[2]}),
       {"Scanning ... log", "Scanning ... 201507", "Analyzing 0/5", "Analyzing 1/5",
        "Analyzing 2/5"}},
      {LR"(OnEnumLog: function (info) { seen.push(info.filetw); if (seen.length == 2) throw 1;
           return true; }, OnLogBegin: function () { seen.push('replayed'); })",
       1,
       "",
       {"Scanning ... log", "Scanning ... 201507"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    ASSERT_EQ(
        script_.Run(L"seen = []; var current = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"),
        S_OK);
    Trace();
    Analyze(L"options({OnAnalyzeEnd: function () { seen.push('end'); }, " +
                std::wstring(c.callbacks) + L"})",
            L"current");
    EXPECT_EQ(script_.TakeErrors().size(), 1u);
    const std::string seen = Seen();
    EXPECT_EQ(c.seen.empty() ? std::count(seen.begin(), seen.end(), '|') == 1 : seen == c.seen,
              true)
        << seen;
    Lines statuses = Statuses();
    ASSERT_FALSE(statuses.empty());
    ExpectFailureStatus(statuses.back(), c.step, seen.substr(seen.rfind('|') + 1));
    statuses.pop_back();
    EXPECT_EQ(statuses, c.statuses);
  }
}

// A placeholder whose offer returns nothing is neither fetched (it is not served) nor replayed.
TEST_F(AnalyzeRunTest, OnEnumLogAcceptsWithTrueOrANonZeroIntegerAndListsNeedAnArray) {
  for (int n = 10; n < 16; ++n)
    logs_.WriteGame(LogName("2015070112", "000000" + std::to_string(n)), 1);
  logs_.Placeholder(LogName("2015070112", "00000099"));
  ASSERT_EQ(script_.Run(L"var answers = [true, -7, '1', 0, 1.5, false], offers = 0;"), S_OK);
  Analyze(
      LR"({OnEnumLog: function (info) { if (info.filetw.charAt(30) != '9') return answers[offers++]; },
    OnLogBegin: function (info, players) { seen.push(typeof players); },
    OnLogEnd: function (owari) { seen.push(typeof owari); }})");
  EXPECT_EQ(Text(L"offers + ':' + seen.join()"), L"6:undefined,undefined,undefined,undefined");
}

// Keys that are no log name pass the cache enumeration's filters.
TEST_F(AnalyzeRunTest, TheFiltersOfTheScanAndOfTheCacheEnumeration) {
  const Lines names = {LogName("2015070101", "0000c001"), LogName("2015070102", "0000c002", "00a9"),
                       LogName("2015070103", "0000c003", "0041", "1234")};
  LogAnaCache& store = LogAnaCache::Instance();
  for (std::size_t i = 0; i < names.size(); ++i) {
    logs_.WriteGame(names[i], 1);
    store.Put(std::u16string(names[i].begin(), names[i].end()), u"v", i == 1 ? u"p2" : u"p1");
  }
  store.Put(u"#note", u"4", u"p1");
  const struct {
    const wchar_t* filters;
    const char* logs;   // types offered by the scan
    const char* cache;  // key numbers (0: "#note") offered by the cache enumeration
  } cases[] = {{L"{}", "0009|0041|00a9", "3|2|1|0"},
               {L"{enumMatchMask: 0xA0, enumMatch: 0xA0}", "00a9", "2|0"},
               {L"{enumSkipMask: 0x08, enumSkip: 0, enumMatchMask: 0x01, enumMatch: 0x01}",
                "0009|00a9", "2|1|0"},
               {L"{enumLobbyID: 1234}", "0009|0041|00a9", "3|0"},  // lobbies filter only the cache
               {L"{enumPlayer: 'p1', sortAs: 'CTimeAscent'}", "0009|0041|00a9", "0|1|3"},
               {L"{enumPlayer: 'p2', enumSkipMask: 0x80, enumSkip: 0x80}", "0009|0041", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filters);
    ASSERT_EQ(script_.Run(L"seen = []; var cached = []; var o = options(" +
                          std::wstring(c.filters) + LR"();
      o.OnEnumLog = function (info) { seen.push(info.filetw.substr(13, 4)); return false; };
      o.OnEnumCache = function (key, info) {
        cached.push(key.length == 36 ? key.charAt(30) : 0);
        if (arguments.length != (key.length == 36 ? 2 : 1)) cached.push('arguments');
        if (key.length == 36 && (info.wGameType != parseInt(key.substr(13, 4), 16) ||
                                 info.wLobbyID != +key.substr(18, 4))) cached.push('info');
      };)"),
              S_OK);
    Analyze(L"o");
    EXPECT_EQ(Seen(L".sort()"), c.logs);
    EXPECT_EQ(Text(L"cached.join('|')"), Wide(c.cache));
    EXPECT_EQ(Statuses().at(0),
              *c.cache ? "Analyzing cache 0/" + std::to_string(std::strlen(c.cache) / 2 + 1)
                       : std::string("Scanning ... log"));
  }
}

TEST_F(AnalyzeRunTest, AFailingOnEnumCacheEndsOnlyTheCacheEnumeration) {
  const std::string first = LogName("2015070101", "0000c001"),
                    second = LogName("2015070102", "0000c002");
  for (const std::string& key : {first, second})
    LogAnaCache::Instance().Put(std::u16string(key.begin(), key.end()), u"1");
  logs_.WriteGame(LogName("2015070112"), 1);
  Trace();
  Analyze(
      LR"(options({OnLogBegin: noteName, OnAnalyzeEnd: function () { seen.push('end'); },
    OnEnumCache: function (key) { if (key.charAt(9) == '1') throw 1; seen.push(key); }}))");
  EXPECT_EQ(script_.TakeErrors().size(), 1u);
  EXPECT_EQ(Seen(), Join({second, LogName("2015070112"), "end"}));  // descending
  const Lines statuses = Statuses();
  ASSERT_EQ(statuses.size(), 6u) << ::testing::PrintToString(statuses);
  ExpectFailureStatus(statuses[1], 2, first);
  EXPECT_EQ(statuses.back(), "done");
}

// A page's timer may read the kept log info between steps: the worker must not change it.
TEST_F(AnalyzeRunTest, TheLogInfoChangesOnlyInsideTheSteps) {
  const Lines names = WriteGames(3);
  const std::string cached = LogName("2015070201", "0000c001");
  ASSERT_EQ(script_.Run(L"var kept = null, last = '';"
                        L"function keep(info) { kept = info; last = info.filetw; return true; }"),
            S_OK);
  const LPARAM self = ToLParam(analyzer_.get());
  int steps = 0;
  const auto between = [&](const MSG& message) {
    if (message.message != WM__MAINTHREAD_CALL || message.lParam != self) return;
    ++steps;
    EXPECT_EQ(Text(L"kept ? kept.filetw : ''"), Text(L"last")) << "before step " << steps;
  };
  const auto detached = [&] { return main_.attached().size() == 0; };
  ASSERT_EQ(Attempt(L"ana.analyze(options({OnEnumLog: keep, OnLogBegin: keep}));"), L"ok");
  ASSERT_TRUE(PumpUntil(detached, between));
  EXPECT_EQ(steps, 7);  // three offers, three replays, the final step
  EXPECT_EQ(Text(L"last"), Wide(names[0]));

  LogAnaCache::Instance().Put(std::u16string(cached.begin(), cached.end()), u"1");
  ASSERT_EQ(Attempt(L"ana.analyze({OnEnumCache: function (key, info) { keep(info); }});"), L"ok");
  ASSERT_TRUE(PumpUntil(detached, between));
  EXPECT_EQ(steps, 9);
  EXPECT_EQ(Text(L"last"), Wide(cached));
}

TEST_F(AnalyzeRunTest, ARunThatChangedTheCacheSavesItWhenItEnds) {
  WriteGames(1);
  const std::string fetched = LogName("2015070102", "00000002");
  logs_.Placeholder(fetched);  // replayed only once downloaded
  served_.Put(fetched, Gzip(Game(2).text));
  const auto saved = [] {
    std::u16string keys;
    static_cast<void>(LoadCacheFile(
        "00.dat", [&](const CacheRecord& r) { keys += r.key + u"=" + r.value + u";"; }));
    return keys;
  };
  ASSERT_EQ(script_.Run(L"var store = ana.cache;"
                        L"function mark(info) { store.set(info.file.substr(23), 'seen'); }"),
            S_OK);
  Analyze(L"options({OnLogBegin: mark})");
  EXPECT_EQ(saved(), u"00000001=seen;00000002=seen;");
  EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress"), L"2,2");
  Analyze(L"options({OnLogBegin: function (info) { store.set('failed', 'yes'); throw 1; }})");
  script_.TakeErrors();
  EXPECT_EQ(saved(), u"00000001=seen;00000002=seen;failed=yes;");
  EXPECT_EQ(LastStatus().rfind("ERROR(3)", 0), 0u);
}

TEST_F(AnalyzeRunTest, EveryCallbackWithItsArgumentsInScriptOrder) {
  std::uint64_t seed = 1;
  while (Game(seed).calls.empty() || Game(seed).wins == 0 || Game(seed).ryuukyokuTypes.empty() ||
         Game(seed).events[static_cast<int>(ReplayEvent::kDora)] == 0)
    ++seed;
  const gen::GeneratedGame& game = Game(seed);
  const std::string name = LogName("2015070112");
  logs_.WriteGame(name, seed);
  ASSERT_EQ(script_.Run(LR"(
    var counts = {}, kinds = '', naki = [], all = options({});
    function watch(n, then) {
      all[n] = function () {
        counts[n] = (counts[n] || 0) + 1;
        var s = n + '(';
        for (var i = 0; i < arguments.length; ++i)
          s += (i ? ',' : '') + (arguments[i] instanceof Array ? 'array' : typeof arguments[i]);
        if (kinds.indexOf(s + ');') < 0) kinds += s + ');';
        if (then) then.apply(null, arguments);
      };
    }
    watch('OnNaki', function (who, m, type, from, t1, t2, t3, t4) {
      naki.push([who, m, type, from, t1, t2, t3, t4].join(','));
    });
    watch('OnRyuukyoku', function (type, sc, shown) {
      if (shown.length != 4 || typeof shown[0] != 'boolean') counts.bad = 1;
    });
    )"),
            S_OK);
  std::wstring counted = L"''", expected;
  for (int e = 0; e < kReplayEventCount; ++e) {
    const std::wstring n = Wide(std::string(ReplayEventName(static_cast<ReplayEvent>(e))));
    ASSERT_EQ(script_.Run(L"if (!all." + n + L") watch('" + n + L"');"), S_OK);
    counted += L" + (counts." + n + L" || 0) + ','";
    expected += std::to_wstring(game.events[e]) + L",";
  }
  Trace();
  Analyze(L"all");

  const std::wstring kinds = Text(L"kinds");
  for (const wchar_t* shape :
       {L"OnLogBegin(object,array);", L"OnSceneBegin(number,number,number,number,number,array);",
        L"OnTsumo(number,number);", L"OnDahai(number,number);", L"OnDora(number);",
        L"OnNaki(number,number,number,number,number,number,number,number);",
        L"OnAgari(number,number,number,number,array,array,array,array,number,number);",
        L"OnRyuukyoku(string,array,array);", L"OnSceneEnd();", L"OnLogEnd(array);"}) {
    EXPECT_NE(kinds.find(shape), std::wstring::npos) << shape;
  }
  EXPECT_EQ(Text(counted), expected);
  EXPECT_EQ(Text(L"counts.bad || 0"), L"0");
  std::wstring calls;
  for (const gen::GenCall& c : game.calls) {
    calls += (calls.empty() ? L"" : L"|") + std::to_wstring(c.who) + L"," + std::to_wstring(c.m) +
             L"," + std::to_wstring(c.type) + L"," + std::to_wstring(c.from);
    for (TileCode t : c.tiles) calls += L"," + std::to_wstring(t);
  }
  EXPECT_EQ(Text(L"naki.join('|')"), calls);
}

// Each on a fresh folder and analyzer: one that ended early is spent.
TEST_F(AnalyzeRunTest, WaysARunEndsEarly) {
  const std::string name = LogName("2015070112");
  const std::string too_big = Gzip(std::string((16u << 20) + 1, '<'));
  const std::string nothing = "\x1F\x8B\x08\xFF\xFF";
  const std::string bad_init =
      Gzip(R"(<mjloggm ver="2.3"><UN n0="a" n1="b" n2="c" n3="d"/>)"
           R"(<INIT seed="0,0,0,2,3,52" ten="250,250,250" oya="0" hai0="" hai1="" hai2=""/>)"
           R"(<RYUUKYOKU owari="250,0,250,0,250,0,250,0"/></mjloggm>)");
  const struct {
    const char* what;
    bool served;  // the placeholder of `name` fetches `bytes`; else its log file holds them
    std::string bytes, box;  // box: "" none, "@" the log file's path; UTF-8
    void (*prepare)(RunLogs&, ServedLogs&, std::string& box) = nullptr;
    std::string status = "";  // "": not checked
    bool worker_box = true;   // owned by the host window with the error icon; else no owner, OK
  } cases[] = {
      {"a downloaded body that is not compressed", true, Game(1).text, "INVALID LOG FORMAT\r\n@",
       nullptr, "Downloading 1/1 " + name},
      {"an empty downloaded body", true, "", "EMPTY LOG FILE\r\n@"},
      {"a placeholder whose log would read as more than 16 MiB", true, too_big,
       "DOWNLOAD FAILED\r\n@\r\n"},
      {"a log file that reads as more than 16 MiB", false, too_big, "INVALID FILE\r\n@"},
      {"a log file that gives nothing", false, nothing, "INVALID FILE\r\n@"},
      {"a log the replay cannot read", false, Gzip("hello"), "", nullptr, "ERROR(3) hr=1 " + name},
      {"a log with a bad INIT", false, bad_init, "INVALID INIT ten =3\r\n\r\nfiletw=" + name,
       nullptr, "ERROR(3) hr=80004005 " + name, false},
      {"no log folder", false, "",
       "牌譜保存フォルダが利用できません\r\n牌譜を保存する設定に変更し、対戦を行なってください",
       [](RunLogs& logs, ServedLogs&, std::string&) { std::filesystem::remove_all(logs.root()); }},
      {"a log file whose name is no log name", false, "", "INVALID LOG FILENAME\r\nx.MJLOG",
       [](RunLogs& logs, ServedLogs&, std::string&) {
         WriteBytes(logs.root() + "\\201507\\x.MJLOG", Gzip(Game(1).text));
       }},
      {"five failed downloads after a good one", false, "", "DOWNLOAD FAILED\r\n",
       [](RunLogs& logs, ServedLogs& served, std::string& box) {
         for (int n = 1; n <= 7; ++n) {
           const std::string log =
               LogName("201507010" + std::to_string(n), "0000000" + std::to_string(n));
           const std::string placeholder = logs.Placeholder(log);
           if (n == 1) served.Put(log, Gzip(Game(1).text));  // the first one is there
           if (n > 1 && n < 7) box += placeholder + "\r\n";
         }
       },
       "Downloading 2/7 " + LogName("2015070106", "00000006")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunLogs logs;
    std::string box = c.box, path;
    if (c.prepare) c.prepare(logs, served_, box);
    if (!c.prepare && c.served) served_.Put(name, c.bytes);
    if (!c.prepare) path = logs.Write(name, c.served ? "" : c.bytes);
    if (box.find('@') != std::string::npos) box.replace(box.find('@'), 1, path);
    ASSERT_EQ(script_.Run(L"var current = external.mjCommand('CREATEINSTANCE::LOGANA1.0');"), S_OK);
    Analyze(L"options({OnTsumo: function () {}, OnAnalyzeEnd: noteName})", L"current");
    const std::vector<MessageBoxCall> boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), box.empty() ? 0u : 1u);
    for (const MessageBoxCall& b : boxes) {
      for (UINT code_page : {1252u, 932u})
        EXPECT_EQ(WideToAnsi(ShownText(b, code_page), CP_UTF8), box) << code_page;
      EXPECT_EQ(std::tuple(b.owner, b.style, b.caption.has_value()),
                std::tuple(c.worker_box ? host_.hwnd() : nullptr,
                           static_cast<UINT>(c.worker_box ? MB_ICONERROR : MB_OK), false));
    }
    const Lines statuses = Statuses();
    if (!c.status.empty()) {
      EXPECT_EQ(statuses.empty() ? "" : statuses.back(), c.status);
    }
    EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "done"), statuses.end());
  }
  EXPECT_EQ(Seen(), "");
}

TEST_F(AnalyzeRunTest, AStepThatThrowsFailsAndTheRunEnds) {
  const std::string name = WriteGames(1)[0];
  const ScopedAnalyzeWorkerHooks hooks(
      AnalyzeWorkerHooks{{}, false, [] { throw std::bad_alloc(); }});
  Trace();
  Analyze(L"options({OnLogBegin: noteName})");
  EXPECT_EQ(LastStatus(), "ERROR(1) hr=8007000E " + name);
  EXPECT_EQ(std::ranges::count(Trace(), "MainThreadStep EXCEPTION out of memory\r\n"), 1);
  EXPECT_EQ(Seen(), "");
  EXPECT_TRUE(analyzer_->thread_recorded());  // spent
}

// The server sends a byte now and then, never pausing long enough for the receive time-out.
class TrickleTest : public AnalyzeRunTest {
 protected:
  void SetUp() override {
    AnalyzeRunTest::SetUp();
    logs_.Placeholder(kName);
    served_.Trickle(kName);
  }
  template <class End>
  static void EndsSoon(TestMainWindow& main, End end) {
    bool seen = false;
    ASSERT_TRUE(PumpUntil([&] {
      for (const ReceivedCommand& c : main.TakeCommands())
        seen = seen || c.narrow.rfind("Downloading", 0) == 0;
      return seen;
    }));
    static_cast<void>(PumpUntil([] { return false; }, std::chrono::milliseconds(500)));
    const auto start = std::chrono::steady_clock::now();
    end();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  const std::string kName = LogName("2015070112", "0badc0de");
};

TEST_F(TrickleTest, StopEndsTheDownloadAndTheRunGetsItsFinalStep) {
  ASSERT_EQ(Attempt(L"ana.analyze(options({OnAnalyzeEnd: function () { seen.push('end'); }}));"),
            L"ok");
  EndsSoon(main_, [&] {
    ASSERT_EQ(Attempt(L"ana.stop();"), L"ok");
    ASSERT_TRUE(PumpUntil([&] { return main_.attached().size() == 0; }, std::chrono::seconds(5)));
  });
  EXPECT_EQ(Seen(), "end");
  EXPECT_EQ(LastStatus(), "done");
  EXPECT_EQ(std::filesystem::file_size(logs_.root() + "\\201507\\" + kName + ".mjlog"), 0u);
}

TEST_F(TrickleTest, TheEndOfTheProgramEndsTheDownload) {
  auto ending = std::make_unique<TestMainWindow>();
  TestHostWindow host(ending->hwnd(), script_.Global().get());
  com_ptr<IDispatchLogAnaImpl> analyzer = IDispatchLogAnaImpl::Create(host.hwnd());
  ASSERT_TRUE(analyzer);
  ASSERT_EQ(InvokeWith(analyzer.get(), 101, DISPATCH_METHOD,
                       Args(variant_dispatch(Object(L"options({})").get())), nullptr),
            S_OK);
  EndsSoon(*ending, [&] {
    ending.reset();  // the worker heeds it: the analyzer goes when its last holder lets go
    analyzer.reset();
  });
  Trace();
}

}  // namespace
}  // namespace zuvelo::testing
