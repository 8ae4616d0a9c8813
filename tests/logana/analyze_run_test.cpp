// Whole runs from real JScript over a temporary log folder of generated logs, with placeholders
// fetched from the loopback test server: status texts, callbacks and their arguments, filters,
// order, stop, and every way a run ends early.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "analyzer_test.h"
#include "bridge/external_object_win.h"
#include "logana/logana_cache.h"
#include "net/service_address.h"
#include "run_logs.h"

namespace zuvelo::testing {
namespace {

// ES3: no JSON, no forEach. `seen` collects what callbacks report.
constexpr const wchar_t* kRunHelpers =
    LR"(
var seen = [];
function accept() { return true; }
function options(extra) {
  var o = {Array: Array, OnEnumLog: accept};
  for (var k in extra) o[k] = extra[k];
  return o;
}
function fresh() { return external.mjCommand('CREATEINSTANCE::LOGANA1.0'); }
function noteName(info) { seen.push(info.filetw); }
)";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class AnalyzeRunTest : public AnalyzerTest {
 protected:
  void SetUp() override {
    AnalyzerTest::SetUp();
    ASSERT_FALSE(ServedLogs::HomeAddress().empty()) << "no test server: run through ctest";
    external_ = IDispatchBrowserExternalImpl::Create(host_.hwnd());
    ASSERT_EQ(script_.AddNamedItem(L"external", external_.get()), S_OK);
    ASSERT_EQ(script_.Run(kRunHelpers), S_OK);
  }
  void TearDown() override {
    LogAnaCache::Instance().Clear();  // nothing of these tests reaches a later "00.dat"
    static_cast<void>(LogAnaCache::Instance().SaveIfDirty());
    AnalyzerTest::TearDown();
  }

  // `analyzer`.analyze(`options`), then the main thread runs until no analyzer is attached.
  void Analyze(const std::wstring& options, const std::wstring& analyzer = L"ana") {
    ASSERT_EQ(Attempt(analyzer + L".analyze(" + options + L");"), L"ok");
    ASSERT_TRUE(PumpUntil([&] { return main_.attached().size() == 0; })) << "no detach";
  }
  // The same on a new analyzer, which script keeps in `current` (a run that ended early leaves
  // its analyzer spent).
  void AnalyzeOnANewAnalyzer(const std::wstring& options) {
    ASSERT_EQ(script_.Run(L"var current = fresh();"), S_OK);
    Analyze(options, L"current");
  }

  Lines Statuses() {
    Lines texts;
    for (const ReceivedCommand& c : main_.TakeCommands()) {
      if (c.name == "STATUS") texts.push_back(c.narrow);
    }
    return texts;
  }

  std::string Seen() {
    const std::wstring seen = Text(L"seen.join('|')");
    return std::string(seen.begin(), seen.end());
  }

  // The one box the run ended with: the worker's, owned by the host window, error icon.
  void ExpectWorkerBox(const std::string& text) {
    const std::vector<MessageBoxCall> boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].owner, host_.hwnd());
    EXPECT_FALSE(boxes[0].caption.has_value());
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
  }

  // A callback's failure ends its step with "ERROR(<step>) hr=<failure> <log name>". The failure
  // is whatever the engine made of the throw; the trace line, when it arrived (it is UDP),
  // must agree with it.
  void ExpectFailureStatus(const std::string& status, int step, const std::string& name) {
    int seen_step = 0;
    unsigned hr = 0;
    ASSERT_EQ(std::sscanf(status.c_str(), "ERROR(%d) hr=%X", &seen_step, &hr), 2) << status;
    char expected[256];
    std::snprintf(expected, sizeof expected, "ERROR(%d) hr=%X %s", step, hr, name.c_str());
    EXPECT_EQ(status, expected);
    EXPECT_NE(hr & 0x80000000u, 0u) << status;
    for (const std::string& line : Trace()) {
      unsigned traced = 0;
      if (std::sscanf(line.c_str(), "CallJSFunc hr=%*d/%X", &traced) == 1) {
        EXPECT_EQ(hr, traced);
      }
    }
  }

  RunLogs logs_;
  ServedLogs served_;
  ScopedHomeAddress home_{ServedLogs::HomeAddress()};
  ScopedWorkerStatusTimeout status_timeout_{10000};  // a busy test thread loses no status
  com_ptr<IDispatchBrowserExternalImpl> external_;
};

std::string Join(const Lines& names) {
  std::string joined;
  for (const std::string& n : names) joined += (joined.empty() ? "" : "|") + n;
  return joined;
}

TEST_F(AnalyzeRunTest, StatusTextsOfARunThatDownloadsAPlaceholder) {
  const std::string first = LogName("2015071401", "0009", "0000", "00000001");
  const std::string second = LogName("2015071402", "0009", "0000", "00000002");
  const std::string waiting = LogName("2015071403", "0009", "0000", "00000003");
  logs_.WriteGame(first, 1);
  logs_.WriteGame(second, 2);
  const std::string placeholder = logs_.Placeholder(waiting);
  const std::string log = Gzip(Game(3).text);
  served_.Put(waiting, log);

  Analyze(L"options({OnLogBegin: noteName})");
  EXPECT_EQ(Statuses(),
            (Lines{"Scanning ... log", "Scanning ... 201507", "Downloading 1/1 " + waiting,
                   "Analyzing 0/3", "Analyzing 1/3", "Analyzing 2/3", "done"}));
  EXPECT_EQ(Seen(), Join({waiting, second, first}));  // newest first
  EXPECT_EQ(ReadAll(placeholder), log);
  EXPECT_FALSE(std::filesystem::exists(placeholder + ".part"));
  const Lines lines = Masked();
  for (const char* line :
       {"nDownload=1 vLogList=3\r\n", "vLogList=3\r\n", "files=3 time=#ms\r\n"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
  EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress"), L"3,3");
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_F(AnalyzeRunTest, AStopDuringTheScanEndsItAndStillGivesTheFinalStep) {
  for (const char* month : {"201505", "201506", "201507"}) {
    for (const char* id : {"00000001", "00000002", "00000003"}) {
      logs_.WriteGame(LogName(std::string(month) + "0112", "0009", "0000", id), 1);
    }
  }
  logs_.Placeholder(LogName("2015070112", "0009", "0000", "00000004"));  // never fetched
  Analyze(
      LR"(options({
    OnEnumLog: function (info) { seen.push(info.file); ana.stop(); return true; },
    OnLogBegin: function () { seen.push('replayed'); },
    OnAnalyzeEnd: function () { seen.push('end'); }}))");
  // Each folder still pending is opened, but its first entry is "." and its listing stops
  // there: only the log the stop came from is offered.
  EXPECT_EQ(Text(L"seen.length"), L"2");
  EXPECT_EQ(Text(L"seen[1]"), L"end");
  EXPECT_EQ(Statuses(), (Lines{"Scanning ... log", "Scanning ... 201505", "Scanning ... 201506",
                               "Scanning ... 201507", "done"}));
  EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress"), L"1,1");
  EXPECT_TRUE(boxes_.Take().empty());
  EXPECT_FALSE(analyzer_->thread_recorded());
}

TEST_F(AnalyzeRunTest, AScriptErrorInOnTsumoDuringTheThirdLogEndsTheRun) {
  Lines names;
  for (int hour = 1; hour <= 5; ++hour) {
    names.push_back(LogName("201507010" + std::to_string(hour), "0009", "0000",
                            "0000000" + std::to_string(hour)));
    logs_.WriteGame(names.back(), static_cast<std::uint64_t>(hour));
  }
  ASSERT_EQ(script_.Run(L"var logs = 0;"), S_OK);
  Analyze(
      LR"(options({
    OnLogBegin: function (info) { seen.push(info.filetw); ++logs; },
    OnTsumo: function () { if (logs == 3) throw new Error('third'); },
    OnLogEnd: function () { seen.push('end of log'); },
    OnAnalyzeEnd: function () { seen.push('end'); }}))");
  EXPECT_EQ(script_.TakeErrors().size(), 1u);
  EXPECT_EQ(Seen(), Join({names[4], "end of log", names[3], "end of log", names[2]}));
  Lines statuses = Statuses();
  ASSERT_FALSE(statuses.empty());
  ExpectFailureStatus(statuses.back(), 3, names[2]);
  statuses.pop_back();
  EXPECT_EQ(statuses, (Lines{"Scanning ... log", "Scanning ... 201507", "Analyzing 0/5",
                             "Analyzing 1/5", "Analyzing 2/5"}));
  EXPECT_TRUE(analyzer_->thread_recorded());  // spent: no final step came
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_F(AnalyzeRunTest, AFailingOnEnumLogEndsTheRun) {
  const std::string first = LogName("2015070101", "0009", "0000", "00000001");
  const std::string second = LogName("2015070102", "0009", "0000", "00000002");
  logs_.WriteGame(first, 1);
  logs_.WriteGame(second, 2);
  Trace();
  Analyze(
      LR"(options({OnLogBegin: noteName, OnAnalyzeEnd: noteName,
    OnEnumLog: function (info) { if (seen.length) throw 1; seen.push(info.filetw); return true; }}))");
  EXPECT_EQ(script_.TakeErrors().size(), 1u);
  // The listing order is the platform's; the status names the file whose offer failed. Nothing
  // is replayed and OnAnalyzeEnd is not called.
  const std::string offered = Seen();
  ASSERT_TRUE(offered == first || offered == second) << offered;
  Lines statuses = Statuses();
  ASSERT_FALSE(statuses.empty());
  ExpectFailureStatus(statuses.back(), 1, offered == first ? second : first);
  statuses.pop_back();
  EXPECT_EQ(statuses, (Lines{"Scanning ... log", "Scanning ... 201507"}));
  EXPECT_TRUE(analyzer_->thread_recorded());
}

TEST_F(AnalyzeRunTest, WithoutAnArrayConstructorListsArriveEmpty) {
  logs_.WriteGame(LogName("2015070112"), 1);
  Analyze(
      LR"({OnEnumLog: accept,
    OnLogBegin: function (info, players) { seen.push(info.filetw.length, typeof players); },
    OnLogEnd: function (owari) { seen.push(typeof owari); }})");
  EXPECT_EQ(Seen(), "36|undefined|undefined");
  EXPECT_EQ(Statuses().back(), "done");
}

TEST_F(AnalyzeRunTest, FiveFailedDownloadsEndTheRun) {
  Lines names;
  Lines paths;
  for (int hour = 1; hour <= 7; ++hour) {
    names.push_back(LogName("201507010" + std::to_string(hour), "0009", "0000",
                            "0000000" + std::to_string(hour)));
    paths.push_back(logs_.Placeholder(names.back()));
  }
  const std::string log = Gzip(Game(1).text);
  served_.Put(names[0], log);  // the first one is there; the next five are not
  Analyze(L"options({OnLogBegin: noteName})");

  std::string failed = "DOWNLOAD FAILED\r\n";
  for (int i = 1; i <= 5; ++i) failed += paths[i] + "\r\n";
  ExpectWorkerBox(failed);
  Lines expected = {"Scanning ... log", "Scanning ... 201507"};
  for (int i = 0; i < 6; ++i) {
    expected.push_back("Downloading " + std::to_string(7 - i) + "/7 " + names[i]);
  }
  EXPECT_EQ(Statuses(), expected);
  EXPECT_EQ(ReadAll(paths[0]), log);  // filled before the failures, and kept
  for (int i = 1; i < 7; ++i) EXPECT_EQ(std::filesystem::file_size(paths[i]), 0u) << i;
  EXPECT_EQ(Seen(), "");
}

TEST_F(AnalyzeRunTest, ABodyThatIsNoGzipLogEndsTheRun) {
  const struct {
    std::string body;
    const char* message;
  } cases[] = {
      {std::string("\x1F\x8B\x08\0\0\0\0\0\0", 9), "INVALID LOG FORMAT\r\n"},
      {Game(1).text, "INVALID LOG FORMAT\r\n"},
      {"", "EMPTY LOG FILE\r\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(n);
    const std::string name = LogName("2015070112", "0009", "0000", "0000000" + std::to_string(++n));
    const std::string path = logs_.Placeholder(name);
    served_.Put(name, c.body);
    AnalyzeOnANewAnalyzer(L"options({OnLogBegin: noteName})");
    ExpectWorkerBox(c.message + path);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(Statuses().back(), "Downloading 1/1 " + name);
    std::filesystem::remove(path);
  }
  EXPECT_EQ(Seen(), "");
}

TEST_F(AnalyzeRunTest, OrderByNameTimeThenCreationTimeBothWays) {
  const std::string same_hour_first = LogName("2015071412", "0009", "0000", "0000000a");
  const std::string same_hour_later = LogName("2015071412", "0009", "0000", "0000000b");
  const std::string next_day = LogName("2015071509", "0009", "0000", "0000000c");
  const std::string undated = "abcdefghijgm-0009-0000-0000000d&tw=0";
  logs_.WriteGame(next_day, 1);
  logs_.WriteGame(undated, 2);
  logs_.WriteGame(same_hour_first, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a later creation time
  logs_.WriteGame(same_hour_later, 4);

  Analyze(L"options({OnLogBegin: noteName, sortAs: 'CTimeAscent'})");
  EXPECT_EQ(Seen(), Join({undated, same_hour_first, same_hour_later, next_day}));
  ASSERT_EQ(script_.Run(L"seen = [];"), S_OK);
  Analyze(L"options({OnLogBegin: noteName})");  // descending by default
  EXPECT_EQ(Seen(), Join({next_day, same_hour_later, same_hour_first, undated}));
  main_.TakeCommands();
}

TEST_F(AnalyzeRunTest, OnEnumLogAcceptsWithTrueOrANonZeroInteger) {
  const struct {
    const wchar_t* answer;
    bool accepted;
  } cases[] = {
      {L"true", true},   {L"1", true},       {L"-7", true},   {L"'1'", false},
      {L"false", false}, {L"0", false},      {L"1.5", false}, {L"undefined", false},
      {L"null", false},  {L"'none'", false},  // 'none': the callback returns nothing
  };
  std::wstring answers = L"var answers = {};";
  Lines accepted;
  int n = 0;
  for (const auto& c : cases) {
    const std::string name =
        LogName("2015070112", "0009", "0000", "000000" + std::to_string(10 + n++));
    logs_.WriteGame(name, 1);
    answers += L"answers['" + Wide(name) + L"'] = " + c.answer + L";";
    if (c.accepted) accepted.push_back(name);
  }
  // A rejected placeholder is neither fetched (it is not served) nor replayed.
  const std::string rejected = LogName("2015070112", "0009", "0000", "00000099");
  logs_.Placeholder(rejected);
  answers += L"answers['" + Wide(rejected) + L"'] = false;";
  ASSERT_EQ(script_.Run(answers), S_OK);
  Analyze(
      LR"(options({OnLogBegin: noteName, OnEnumLog: function (info) {
    var a = answers[info.filetw];
    if (a !== 'none') return a;
  }}))");
  const std::wstring replayed = Text(L"seen.sort().join('|')");
  std::sort(accepted.begin(), accepted.end());
  EXPECT_EQ(std::string(replayed.begin(), replayed.end()), Join(accepted));
  EXPECT_TRUE(boxes_.Take().empty());
  EXPECT_EQ(Statuses().back(), "done");
}

TEST_F(AnalyzeRunTest, TheScanOffersOnlyLogsOfTheWantedGameTypes) {
  const struct {
    const wchar_t* filters;
    const char* offered;  // of the types 0009, 00a9 and 0041, sorted
  } cases[] = {
      {L"{}", "0009|0041|00a9"},
      {L"{enumMatchMask: 0xA0, enumMatch: 0xA0}", "00a9"},
      {L"{enumSkipMask: 0xA0, enumSkip: 0xA0}", "0009|0041"},
      {L"{enumSkipMask: 0x08, enumSkip: 0x00, enumMatchMask: 0x01, enumMatch: 0x01}", "0009|00a9"},
      {L"{enumLobbyID: 7}", "0009|0041|00a9"},  // lobbies filter only the cache
  };
  int n = 0;
  for (const char* type : {"0009", "00a9", "0041"}) {
    logs_.WriteGame(
        LogName("201507011" + std::to_string(n), type, "0000", "0000000" + std::to_string(n)), 1);
    ++n;
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filters);
    ASSERT_EQ(script_.Run(L"seen = []; var o = options(" + std::wstring(c.filters) +
                          L"); o.OnEnumLog = function (info) {"
                          L"  seen.push(info.filetw.substr(13, 4)); return false; };"),
              S_OK);
    Analyze(L"o");
    EXPECT_EQ(Text(L"seen.sort().join('|')"), Wide(c.offered));
  }
  main_.TakeCommands();
}

TEST_F(AnalyzeRunTest, TheCacheEnumerationWithItsFilters) {
  const std::string plain = LogName("2015070101", "0009", "0000", "0000c001");
  const std::string other_type = LogName("2015070102", "00a9", "0000", "0000c002");
  const std::string other_lobby = LogName("2015070103", "0009", "1234", "0000c003");
  LogAnaCache& store = LogAnaCache::Instance();
  store.Clear();
  store.Put(std::u16string(plain.begin(), plain.end()), u"1", u"p1");
  store.Put(std::u16string(other_type.begin(), other_type.end()), u"2", u"p2");
  store.Put(std::u16string(other_lobby.begin(), other_lobby.end()), u"3", u"p1");
  store.Put(u"#note", u"4", u"p1");
  const std::string note = "#note:1";  // not a log name: the key alone, never type-filtered
  auto offer = [](const std::string& name, int type, int lobby) {
    return name + ":2:" + std::to_string(type) + ":" + std::to_string(lobby);
  };
  const struct {
    const wchar_t* filters;
    Lines offered;
  } cases[] = {
      {L"{}", {offer(other_lobby, 9, 1234), offer(other_type, 0xA9, 0), offer(plain, 9, 0), note}},
      {L"{enumPlayer: 'p1'}", {offer(other_lobby, 9, 1234), offer(plain, 9, 0), note}},
      {L"{enumLobbyID: 1234}", {offer(other_lobby, 9, 1234), note}},
      {L"{enumMatchMask: 0xA0, enumMatch: 0xA0}", {offer(other_type, 0xA9, 0), note}},
      {L"{enumSkipMask: 0xA0, enumSkip: 0xA0}",
       {offer(other_lobby, 9, 1234), offer(plain, 9, 0), note}},
      {L"{sortAs: 'CTimeAscent', enumPlayer: 'p1', enumLobbyID: 0}", {note, offer(plain, 9, 0)}},
      {L"{enumPlayer: 'p2', enumSkipMask: 0x80, enumSkip: 0x80}", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filters);
    ASSERT_EQ(script_.Run(L"seen = []; var o = options(" + std::wstring(c.filters) + LR"();
      delete o.OnEnumLog;
      o.OnEnumCache = function (key, info) {
        seen.push(key + ':' + arguments.length +
                  (arguments.length > 1 ? ':' + info.wGameType + ':' + info.wLobbyID : ''));
      };)"),
              S_OK);
    Analyze(L"o");
    EXPECT_EQ(Seen(), Join(c.offered));
    const Lines statuses = Statuses();
    ASSERT_FALSE(statuses.empty());
    if (!c.offered.empty()) {
      EXPECT_EQ(statuses.front(), "Analyzing cache 0/" + std::to_string(c.offered.size()));
    }
    EXPECT_EQ(statuses.back(), "done");
  }
}

TEST_F(AnalyzeRunTest, AFailingOnEnumCacheEndsOnlyTheCacheEnumeration) {
  const std::string first = LogName("2015070101", "0009", "0000", "0000c001");
  const std::string second = LogName("2015070102", "0009", "0000", "0000c002");
  LogAnaCache::Instance().Clear();
  LogAnaCache::Instance().Put(std::u16string(first.begin(), first.end()), u"1");
  LogAnaCache::Instance().Put(std::u16string(second.begin(), second.end()), u"2");
  logs_.WriteGame(LogName("2015070112"), 1);
  Trace();
  Analyze(
      LR"(options({OnLogBegin: noteName, OnAnalyzeEnd: function () { seen.push('end'); },
    OnEnumCache: function (key) { if (key.charAt(9) == '1') throw 1; seen.push(key); }}))");
  EXPECT_EQ(script_.TakeErrors().size(), 1u);
  // Descending: the second key, then the first one fails; the scan and replay go on.
  EXPECT_EQ(Seen(), Join({second, LogName("2015070112"), "end"}));
  const Lines statuses = Statuses();
  ASSERT_GE(statuses.size(), 3u);
  EXPECT_EQ(statuses[0], "Analyzing cache 0/2");
  const auto failed = std::find_if(statuses.begin(), statuses.end(),
                                   [](const std::string& t) { return t.rfind("ERROR(", 0) == 0; });
  ASSERT_NE(failed, statuses.end());
  ExpectFailureStatus(*failed, 2, first);
  EXPECT_EQ(statuses.back(), "done");
}

TEST_F(AnalyzeRunTest, EveryCallbackWithItsArgumentsInScriptOrder) {
  // A game with calls, riichi, wins and drawn rounds.
  std::uint64_t seed = 1;
  while (Game(seed).calls.empty() || Game(seed).wins == 0 || Game(seed).ryuukyokuTypes.empty() ||
         Game(seed).events[static_cast<int>(ReplayEvent::kDora)] == 0) {
    ++seed;
  }
  const gen::GeneratedGame& game = Game(seed);
  const std::string name = LogName("2015070112");
  logs_.WriteGame(name, seed);
  ASSERT_EQ(script_.Run(LR"(
    var counts = {}, naki = [], names = [], owari = '', kinds = '';
    function count(n) { counts[n] = (counts[n] || 0) + 1; }
    function typeOf(v) { return v instanceof Array ? 'array' : typeof v; }
    function shape(n, args) {
      var s = n + '(';
      for (var i = 0; i < args.length; ++i) s += (i ? ',' : '') + typeOf(args[i]);
      return s + ')';
    }
    function check(n, args) {
      count(n);
      var s = shape(n, args);
      if (kinds.indexOf(s) < 0) kinds += s + ';';
    }
    var all = options({
      OnLogBegin: function (info, p) {
        check('OnLogBegin', arguments);
        names.push(info.filetw, p.length, p[0].un, p[1].un, p[2].un, p[3].un);
      },
      OnSceneBegin: function () { check('OnSceneBegin', arguments); },
      OnTsumo: function (who, hai) { check('OnTsumo', arguments); },
      OnDahai: function (who, hai) { check('OnDahai', arguments); },
      OnNaki: function (who, m, type, from, t1, t2, t3, t4) {
        check('OnNaki', arguments);
        naki.push([who, m, type, from, t1, t2, t3, t4].join(','));
      },
      OnDora: function (hai) { check('OnDora', arguments); },
      OnReach: function (who) { check('OnReach', arguments); },
      OnAgari: function (who, t0, t1, t2, yaku, yakuman, ura, sc, pao, from) {
        check('OnAgari', arguments);
      },
      OnRyuukyoku: function (type, sc, shown) {
        check('OnRyuukyoku', arguments);
        if (shown.length != 4 || typeof shown[0] != 'boolean') count('bad shown');
      },
      OnSceneEnd: function () { check('OnSceneEnd', arguments); },
      OnLogEnd: function (o) { check('OnLogEnd', arguments); owari = o.join(','); }
    });)"),
            S_OK);
  Trace();
  Analyze(L"all");

  const std::wstring kinds = Text(L"kinds");
  for (const wchar_t* shape : {
           L"OnLogBegin(object,array);",
           L"OnSceneBegin(number,number,number,number,number,array);",
           L"OnTsumo(number,number);",
           L"OnDahai(number,number);",
           L"OnNaki(number,number,number,number,number,number,number,number);",
           L"OnDora(number);",
           L"OnAgari(number,number,number,number,array,array,array,array,number,number);",
           L"OnRyuukyoku(string,array,array);",
           L"OnSceneEnd();",
           L"OnLogEnd(array);",
       }) {
    EXPECT_NE(kinds.find(shape), std::wstring::npos) << shape;
  }

  Lines profile;
  for (int e = 0; e < kReplayEventCount; ++e) {
    const auto event = static_cast<ReplayEvent>(e);
    const std::wstring n(ReplayEventName(event).begin(), ReplayEventName(event).end());
    EXPECT_EQ(Text(L"counts['" + n + L"'] || 0"), std::to_wstring(game.events[e])) << e;
    if (event != ReplayEvent::kDora && game.events[e] > 0) {
      profile.push_back(ProfileLine(n.c_str(), game.events[e]));
    }
  }
  EXPECT_EQ(Text(L"counts['bad shown'] || 0"), L"0");
  std::wstring calls;
  for (const gen::GenCall& c : game.calls) {
    calls += (calls.empty() ? L"" : L"|") + std::to_wstring(c.who) + L"," + std::to_wstring(c.m) +
             L"," + std::to_wstring(c.type) + L"," + std::to_wstring(c.from);
    for (TileCode t : c.tiles) calls += L"," + std::to_wstring(t);
  }
  EXPECT_EQ(Text(L"naki.join('|')"), calls);
  std::wstring players = Wide(name) + L",4";
  for (const std::u16string& un : game.names) players += L"," + std::wstring(un.begin(), un.end());
  EXPECT_EQ(Text(L"names.join(',')"), players);
  std::wstring owari;
  for (double v : game.owari) {
    wchar_t number[32];
    std::swprintf(number, 32, L"%g", v);
    owari += (owari.empty() ? L"" : L",") + std::wstring(number);
  }
  EXPECT_EQ(Text(L"owari"), owari);

  // The profile: every callback that was called but OnDora, in table order.
  const Lines lines = Masked();
  profile.insert(profile.begin(), ProfileLine(L"OnEnumLog", 1));
  profile.push_back("total=# run=#\r\n");
  const auto start = std::find(lines.begin(), lines.end(), "----- profile -----\r\n");
  ASSERT_GE(lines.end() - start, static_cast<std::ptrdiff_t>(profile.size()) + 1);
  EXPECT_EQ(Lines(start + 1, start + 1 + static_cast<std::ptrdiff_t>(profile.size())), profile);
  main_.TakeCommands();
}

TEST_F(AnalyzeRunTest, MessagesThatEndARun) {
  const std::string name = LogName("2015070112");
  const struct {
    const char* what;
    std::function<std::string(RunLogs&)> make;  // gives the message expected
  } cases[] = {
      {"no log folder",
       [](RunLogs& logs) {
         std::filesystem::remove_all(logs.root());
         // "牌譜保存フォルダが利用できません..." in Shift-JIS
         return std::string(
             "\x94\x76\x95\x88\x95\xDB\x91\xB6\x83\x74\x83\x48\x83\x8B\x83\x5F"
             "\x82\xAA\x97\x98\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\r\n"
             "\x94\x76\x95\x88\x82\xF0\x95\xDB\x91\xB6\x82\xB7\x82\xE9\x90\xDD\x92"
             "\xE8\x82\xC9\x95\xCF\x8D\x58\x82\xB5\x81\x41\x91\xCE\x90\xED\x82\xF0"
             "\x8D\x73\x82\xC8\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2");
       }},
      {"a log file whose name is no log name",
       [](RunLogs& logs) {
         logs.WriteFile("201507", "x.MJLOG", Gzip(Game(1).text));
         return std::string("INVALID LOG FILENAME\r\nx.MJLOG");
       }},
      {"a log file that gives nothing",
       [&](RunLogs& logs) {
         return "INVALID FILE\r\n" + logs.Write(name, std::string("\x1F\x8B\x08\xFF\xFF", 5));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunLogs logs;
    const std::string message = c.make(logs);
    AnalyzeOnANewAnalyzer(L"options({OnLogBegin: noteName, OnAnalyzeEnd: noteName})");
    ExpectWorkerBox(message);
    const Lines statuses = Statuses();
    EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "done"), statuses.end());
  }
  EXPECT_EQ(Seen(), "");
}

TEST_F(AnalyzeRunTest, ALogTheReplayCannotReadEndsTheRunWithItsResult) {
  const std::string name = LogName("2015070112");
  const std::string bad_init =
      "<mjloggm ver=\"2.3\"><UN n0=\"a\" n1=\"b\" n2=\"c\" n3=\"d\"/>"
      "<INIT seed=\"0,0,0,2,3,52\" ten=\"250,250,250\" oya=\"0\" hai0=\"\" hai1=\"\" hai2=\"\"/>"
      "<RYUUKYOKU owari=\"250,0,250,0,250,0,250,0\"/></mjloggm>";
  const struct {
    std::string text;
    unsigned result;
    std::optional<std::string> box;
  } cases[] = {
      {"hello", 1, std::nullopt},
      {bad_init, 0x80004005, "INVALID INIT ten =3\r\n\r\nfiletw=" + name},
  };
  for (const auto& c : cases) {
    RunLogs logs;
    logs.Write(name, Gzip(c.text));
    AnalyzeOnANewAnalyzer(L"options({OnTsumo: function () {}, OnAnalyzeEnd: noteName})");
    char error[128];
    std::snprintf(error, sizeof error, "ERROR(3) hr=%X %s", c.result, name.c_str());
    EXPECT_EQ(Statuses().back(), error);
    const std::vector<MessageBoxCall> boxes = boxes_.Take();
    ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(boxes[0].text, *c.box);
      EXPECT_EQ(boxes[0].owner, nullptr);
      EXPECT_FALSE(boxes[0].caption.has_value());
      EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK));
    }
  }
  EXPECT_EQ(Seen(), "");
}

}  // namespace
}  // namespace zuvelo::testing
