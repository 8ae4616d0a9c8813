// The analyzer's script face: names, its Invoke particulars, analyze's argument checks, and
// what analyze reads from the options object (callbacks and options) with its trace lines.
#include <algorithm>
#include <utility>

#include "analyzer_test.h"
#include "bridge/variant.h"

namespace zuvelo::testing {
namespace {

const std::wstring kNotFound = ErrorNumber(DISP_E_MEMBERNOTFOUND);

std::vector<unique_variant> One(unique_variant value) {
  std::vector<unique_variant> args;
  args.push_back(std::move(value));
  return args;
}

DISPID IdOn(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  return id;
}

TEST_F(AnalyzerTest, NamesAreExact) {
  const struct {
    const wchar_t* name;
    DISPID id;
  } names[] = {{L"analyze", 101},
               {L"stop", 102},
               {L"nTotal", 103},
               {L"nProgress", 104},
               {L"cache", 105},
               {L"global", 106},
               {L"Analyze", DISPID_UNKNOWN},
               {L"ntotal", DISPID_UNKNOWN}};
  for (const auto& n : names) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(n.name)));
    LPOLESTR one[] = {const_cast<LPOLESTR>(n.name)};
    DISPID id = 0;
    EXPECT_EQ(analyzer_->GetIDsOfNames(IID_NULL, one, 1, 0, &id),
              n.id == DISPID_UNKNOWN ? DISP_E_MEMBERNOTFOUND : S_OK);
    EXPECT_EQ(id, n.id);
  }
  EXPECT_EQ(Trace(), (Lines{"IDispatchLogAnaImpl GetIDsOfNames UNKNOWN Analyze\r\n",
                            "IDispatchLogAnaImpl GetIDsOfNames UNKNOWN ntotal\r\n"}));
}

TEST_F(AnalyzerTest, InvokeParticulars) {
  IDispatch* page_object = Object(L"{n: 7}").release();
  com_ptr<IDispatch> kept(page_object);
  struct Case {
    const char* what;
    DISPID id;
    WORD flags;
    std::vector<unique_variant> (*args)(IDispatch*);
    HRESULT expected;
    const char* line;  // null: none
  };
  auto none = [](IDispatch*) { return std::vector<unique_variant>{}; };
  auto object = [](IDispatch* o) { return One(variant_dispatch(o)); };
  auto number = [](IDispatch*) { return One(variant_i4(5)); };
  auto two = [](IDispatch* o) {
    std::vector<unique_variant> a = One(variant_dispatch(o));
    a.push_back(variant_dispatch(o));
    return a;
  };
  const Case cases[] = {
      {"call a property", 103, DISPATCH_METHOD, none, DISP_E_MEMBERNOTFOUND,
       "IDispatchLogAnaImpl UNKNOWN Invoke dispid=103/0x67 cArg=0"},
      {"call global", 106, DISPATCH_METHOD, object, DISP_E_MEMBERNOTFOUND,
       "IDispatchLogAnaImpl UNKNOWN Invoke dispid=106/0x6A cArg=1"},
      {"call unknown", 999, DISPATCH_METHOD | DISPATCH_PROPERTYGET, two, DISP_E_MEMBERNOTFOUND,
       "IDispatchLogAnaImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=2"},
      {"read unknown", 0, DISPATCH_PROPERTYGET, none, DISP_E_MEMBERNOTFOUND,
       "IDispatchLogAnaImpl UNKNOWN Invoke dispid=0/0x0 cArg=0"},
      {"write global with a number", 106, DISPATCH_PROPERTYPUT, number, DISP_E_MEMBERNOTFOUND,
       nullptr},
      {"write global with two objects", 106, DISPATCH_PROPERTYPUT, two, DISP_E_MEMBERNOTFOUND,
       nullptr},
      {"write global by reference only", 106, DISPATCH_PROPERTYPUTREF, object,
       DISP_E_MEMBERNOTFOUND, nullptr},
      {"write a read-only property", 103, DISPATCH_PROPERTYPUT, object, DISP_E_MEMBERNOTFOUND,
       "IDispatchLogAnaImpl UNKNOWN Invoke dispid=103/0x67 cArg=1"},
      {"write a method", 101, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF, object,
       DISP_E_MEMBERNOTFOUND, "IDispatchLogAnaImpl UNKNOWN Invoke dispid=101/0x65 cArg=1"},
      {"no flag", 103, 0, none, DISP_E_MEMBERNOTFOUND, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unique_variant preset = variant_i4(1);
    EXPECT_EQ(InvokeWith(analyzer_.get(), c.id, c.flags, c.args(page_object), preset.get()),
              c.expected);
    EXPECT_EQ(Trace(), c.line ? Lines{c.line} : Lines{});
  }
  // Nothing was stored by the refused writes.
  unique_variant global;
  EXPECT_EQ(InvokeWith(analyzer_.get(), 106, DISPATCH_PROPERTYGET, {}, global.get()), S_OK);
  EXPECT_EQ(global.type(), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(global.get()), nullptr);
}

TEST_F(AnalyzerTest, PropertiesAndGlobalFromScript) {
  EXPECT_EQ(Text(L"ana.nTotal + ',' + ana.nProgress + ',' + typeof ana.nTotal"), L"0,0,number");
  EXPECT_EQ(Text(L"ana.global === null"), L"true");
  ASSERT_EQ(script_.Run(L"var g = {n: 3}; ana.global = g;"), S_OK);
  EXPECT_EQ(Text(L"(ana.global === g) + ',' + ana.global.n"), L"true,3");
  EXPECT_EQ(Attempt(L"ana.global = 5;"), kNotFound);
  EXPECT_EQ(Attempt(L"ana.global = 'text';"), kNotFound);
  EXPECT_EQ(Text(L"ana.global === g"), L"true");
  EXPECT_EQ(Attempt(L"ana.nTotal();"), kNotFound);
  EXPECT_EQ(Attempt(L"ana.nTotal = 1;"), kNotFound);
  EXPECT_EQ(Trace(), (Lines{"IDispatchLogAnaImpl UNKNOWN Invoke dispid=103/0x67 cArg=0",
                            "IDispatchLogAnaImpl UNKNOWN Invoke dispid=103/0x67 cArg=1"}));
  // The page's object lives while the analyzer stores it.
  const ULONG before = RefCount(Object(L"g").get());
  ASSERT_EQ(script_.Run(L"ana.global = {};"), S_OK);
  EXPECT_EQ(RefCount(Object(L"g").get()), before - 1);
}

TEST_F(AnalyzerTest, CacheIsTheSameObjectWithAReferencePerRead) {
  unique_variant first;
  unique_variant second;
  ASSERT_EQ(InvokeWith(analyzer_.get(), 105, DISPATCH_PROPERTYGET, {}, first.get()), S_OK);
  ASSERT_EQ(first.type(), VT_DISPATCH);
  const ULONG held = RefCount(V_DISPATCH(first.get()));
  ASSERT_EQ(InvokeWith(analyzer_.get(), 105, DISPATCH_PROPERTYGET, {}, second.get()), S_OK);
  EXPECT_EQ(V_DISPATCH(second.get()), V_DISPATCH(first.get()));
  EXPECT_EQ(RefCount(V_DISPATCH(first.get())), held + 1);
  EXPECT_EQ(Text(L"ana.cache === ana.cache"), L"true");
  EXPECT_EQ(Text(L"typeof ana.cache.get"), L"object");
}

TEST_F(AnalyzerTest, AnalyzeRefusesAnythingButAnObjectLast) {
  for (const wchar_t* statement : {L"ana.analyze();", L"ana.analyze(5);", L"ana.analyze('x');",
                                   L"ana.analyze({}, 5);", L"ana.analyze(null);"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(statement)));
    EXPECT_EQ(Attempt(statement), ErrorNumber(E_INVALIDARG));
  }
  EXPECT_EQ(
      InvokeWith(analyzer_.get(), 101, DISPATCH_METHOD, One(variant_dispatch(nullptr)), nullptr),
      E_POINTER);
  EXPECT_EQ(Trace(), Lines{});  // nothing read, nothing attached
  EXPECT_TRUE(main_.TakeCommands().empty());
  EXPECT_FALSE(analyzer_->thread_recorded());
  EXPECT_TRUE(analyzer_->stop_requested());
}

TEST_F(AnalyzerTest, CallbacksAreObjectValuedPropertiesOfTheOptions) {
  ASSERT_EQ(script_.Run(LR"(
    var options = {
      OnLogBegin: note('log'), OnTsumo: 5, OnDahai: null, OnNaki: 'x', OnDora: {},
      OnReach: undefined, OnAgari: function () {}, onAgari: note('wrong case'),
      OnAnalyzeEnd: note('end')
    };)"),
            S_OK);
  const com_ptr<IDispatch> options = Object(L"options");
  const auto line = [](const char* padded, DISPID id, int vt) {
    return std::string(padded) + " dispid=" + std::to_string(id) + " vt=" + std::to_string(vt) +
           " hr=0\r\n";
  };
  const Lines expected = {
      line("OnLogBegin    ", IdOn(options.get(), L"OnLogBegin"), VT_DISPATCH),
      line("OnTsumo       ", -1, VT_I4),
      line("OnDahai       ", -1, VT_NULL),
      line("OnNaki        ", -1, VT_BSTR),
      line("OnDora        ", IdOn(options.get(), L"OnDora"), VT_DISPATCH),
      line("OnReach       ", -1, VT_EMPTY),
      line("OnAgari       ", IdOn(options.get(), L"OnAgari"), VT_DISPATCH),
      line("OnAnalyzeEnd  ", IdOn(options.get(), L"OnAnalyzeEnd"), VT_DISPATCH),
      OptionLine(1, -1, 0, 0, 0, 0, 0),
  };
  Trace();
  ASSERT_EQ(Attempt(L"ana.analyze(options);"), L"ok");
  Lines lines = Masked();
  lines.resize(std::min(lines.size(), expected.size()));
  EXPECT_EQ(lines, expected);
  RunToDetach(analyzer_.get());
  EXPECT_EQ(Text(L"calls.join()"), L"end");
}

TEST_F(AnalyzerTest, OptionsFallBackToTheirDefaults) {
  const struct {
    const wchar_t* options;
    std::string line;
  } cases[] = {
      {L"{}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: 'CTimeAscent'}", OptionLine(0, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: 'CTimeDescent'}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: 'ctimeascent'}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: 'CTIMEASCENT'}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: ''}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{sortAs: 0}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{enumLobbyID: 2.5}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{enumLobbyID: '3'}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{enumLobbyID: 3}", OptionLine(1, 3, 0, 0, 0, 0, 0)},
      {L"{enumLobbyID: 0}", OptionLine(1, 0, 0, 0, 0, 0, 0)},
      {L"{enumMatchMask: 0x10, enumMatch: 0x10, enumSkipMask: 0x41, enumSkip: 1}",
       OptionLine(1, -1, 0x10, 0x10, 0x41, 1, 0)},
      {L"{enumMatchMask: 1.5, enumMatch: true, enumSkipMask: '1', enumSkip: -1}",
       OptionLine(1, -1, 0, 0, 0, 0xFFFFFFFF, 0)},
      {L"{enumPlayer: 'abc'}", OptionLine(1, -1, 0, 0, 0, 0, 3)},
      {L"{enumPlayer: '\u540d\u524d'}", OptionLine(1, -1, 0, 0, 0, 0, 2)},
      {L"{enumPlayer: ''}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
      {L"{enumPlayer: 5}", OptionLine(1, -1, 0, 0, 0, 0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.options)));
    Trace();
    ASSERT_EQ(Attempt(L"ana.analyze(" + std::wstring(c.options) + L");"), L"ok");
    const Lines lines = Trace();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], c.line);
    RunToDetach(analyzer_.get());
  }
  // The order is set afresh by every analyze: a later run without sortAs is descending again.
  Trace();
  ASSERT_EQ(Attempt(L"ana.analyze({sortAs: 'CTimeAscent'});"), L"ok");
  RunToDetach(analyzer_.get());
  ASSERT_EQ(Attempt(L"ana.analyze({});"), L"ok");
  RunToDetach(analyzer_.get());
  Lines option_lines;
  for (const std::string& l : Trace()) {
    if (l.rfind("iSortAs=", 0) == 0) option_lines.push_back(l);
  }
  EXPECT_EQ(option_lines,
            (Lines{OptionLine(0, -1, 0, 0, 0, 0, 0), OptionLine(1, -1, 0, 0, 0, 0, 0)}));
  main_.TakeCommands();
}

}  // namespace
}  // namespace zuvelo::testing
