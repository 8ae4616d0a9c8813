// Native objects used by real JScript the way pages use them.
#include "bridge/jscript_host_win.h"
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;

// ES3 only: no JSON, no forEach.
constexpr const wchar_t* kHelpers =
    LR"(
function describe(a) {
  var parts = [];
  for (var i = 0; i < a.length; i++) {
    parts.push(a[i] === null ? 'null' : String(a[i]) + ':' + typeof a[i]);
  }
  return a.length + '|' + parts.join(',') + '|' + (a instanceof Array);
}
function attempt(f) {
  try { f(); return 'ok'; } catch (e) { return e.number; }
}
)";

class JScriptBridgeTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ASSERT_TRUE(host_.ok()) << std::hex << host_.status();
    sample_ = Make<IDispatchSampleImpl>();
    record_ = Make<IDispatchRecordImpl>();
    note_ = Make<IDispatchNoteImpl>();
    ASSERT_EQ(host_.AddNamedItem(L"sample", sample_.get()), S_OK);
    ASSERT_EQ(host_.AddNamedItem(L"rec", record_.get()), S_OK);
    ASSERT_EQ(host_.AddNamedItem(L"note", note_.get()), S_OK);
    ASSERT_EQ(host_.Run(kHelpers), S_OK);
    Trace();
  }
  void TearDown() override {
    EXPECT_TRUE(host_.TakeErrors().empty());
    host_.Close();
    // Only the test's own references are left once the engine is gone.
    for (IUnknown* held : {static_cast<IUnknown*>(static_cast<IDispatch*>(sample_.get())),
                           static_cast<IUnknown*>(static_cast<IDispatch*>(record_.get())),
                           static_cast<IUnknown*>(static_cast<IDispatch*>(note_.get()))}) {
      EXPECT_EQ(RefCount(held), 1u);
    }
    sample_.reset();
    record_.reset();
    note_.reset();
    BridgeTest::TearDown();
  }

  // The value of a script expression as text ("" when it is not a text).
  std::wstring Text(const wchar_t* expression) {
    unique_variant value;
    const HRESULT hr = host_.Evaluate(expression, value.get());
    EXPECT_EQ(hr, S_OK) << "in " << ::testing::PrintToString(std::wstring(expression));
    if (value.type() == VT_BSTR) return std::wstring(bstr_view(V_BSTR(value.get())));
    unique_variant text;
    if (FAILED(::VariantChangeType(text.get(), value.get(), 0, VT_BSTR))) return L"";
    return std::wstring(bstr_view(V_BSTR(text.get())));
  }

  JScriptHost host_;
  com_ptr<IDispatchSampleImpl> sample_;
  com_ptr<IDispatchRecordImpl> record_;
  com_ptr<IDispatchNoteImpl> note_;
};

TEST_F(JScriptBridgeTest, MethodReadIntoAVariableRunsLaterOnItsObject) {
  ASSERT_EQ(host_.Run(L"var add = sample.add; var write = note.write;"), S_OK);
  EXPECT_EQ(sample_->calls, 0);
  EXPECT_EQ(Text(L"add(2, 40)"), L"42");
  ASSERT_EQ(host_.Run(L"write('ab'); write('c');"), S_OK);
  EXPECT_EQ(note_->text, L"abc");
  // A failing method behind a value is not seen by the script.
  EXPECT_EQ(Text(L"attempt(function () { write(); })"), L"ok");
  EXPECT_EQ(Text(L"attempt(function () { note.write(); })"),
            std::to_wstring(static_cast<int>(E_INVALIDARG)));
  EXPECT_EQ(Text(L"var o = {m: sample.join}; o.m('x', 'y')"), L"x|y");
}

TEST_F(JScriptBridgeTest, MethodValueOutlivesTheObjectThePageDropped) {
  // The only holder of `other` besides its method value is the sample's slot.
  {
    auto other = Make<IDispatchSampleImpl>();
    sample_->slot = com_ptr<IDispatch>::copy_of(other.get());
  }
  ASSERT_EQ(host_.Run(L"var kept = sample.slot.add; sample.slot = rec;"), S_OK);
  EXPECT_EQ(Text(L"kept(1, 2)"), L"3");
  Trace();
  ASSERT_EQ(host_.Run(L"kept = null; CollectGarbage();"), S_OK);
  host_.Close();
  EXPECT_EQ(Trace(), (Lines{"CFunctionObject DESTRUCT\r\n", "IDispatchSampleImpl DESTRUCT\r\n"}));
  sample_->slot.reset();
}

// The engine adds the read bit to a member call that has arguments and whose value is used
// (as for indexed reads); without arguments, or as a statement, a call is a call alone.
TEST_F(JScriptBridgeTest, CallsWithAUsedResultGoThroughTheHandOutRule) {
  EXPECT_EQ(Text(L"typeof note.write('q')"), L"undefined");
  EXPECT_EQ(Trace(), Lines{"CFunctionObject DESTRUCT\r\n"});  // made for the read, then dropped
  ASSERT_EQ(host_.Run(L"note.write('r');"), S_OK);
  EXPECT_EQ(Text(L"note.read()"), L"qr");
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(JScriptBridgeTest, PropertiesAreReadWhenCalledWithTheReadBit) {
  EXPECT_EQ(Text(L"rec.name + rec.score"), L"east25000");
  EXPECT_EQ(Text(L"rec.score(0)"), L"25000");
  const std::wstring not_found = std::to_wstring(static_cast<int>(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(Text(L"attempt(function () { var s = rec.score(); })"), not_found);
  EXPECT_EQ(Text(L"attempt(function () { rec.score(0); })"), not_found);
  EXPECT_EQ(Text(L"attempt(function () { rec.score = 1; })"), not_found);
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(JScriptBridgeTest, FailuresReachScriptAsErrorNumbers) {
  EXPECT_EQ(Text(L"attempt(function () { sample.fail(); })"),
            std::to_wstring(static_cast<int>(E_FAIL)));
  EXPECT_EQ(Text(L"attempt(function () { sample.add(1, 'x'); })"),
            std::to_wstring(static_cast<int>(DISP_E_TYPEMISMATCH)));
  EXPECT_EQ(Text(L"attempt(function () { sample.calls = 3; })"),
            std::to_wstring(static_cast<int>(DISP_E_MEMBERNOTFOUND)));
  EXPECT_NE(Text(L"attempt(function () { sample.Add(1, 2); })"), L"ok");
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchSampleImpl UNKNOWN Invoke dispid=104/0x68 cArg=1 wFlags=4\r\n",
                   "IDispatchSampleImpl GetIDsOfNames UNKNOWN Add\r\n"}));
}

TEST_F(JScriptBridgeTest, ArraysAndOptionObjectsComeInAsScriptObjects) {
  EXPECT_EQ(Text(L"sample.sum([1, 2, 3, 4])"), L"10");
  // Only exact integers count; the rest reads as the default 0.
  EXPECT_EQ(Text(L"sample.sum([1, 2.5, '3', true, null, 3000000000, -4])"), L"-3");
  EXPECT_EQ(Text(L"sample.sum({length: 2, 0: 5, 1: 6, 2: 100})"), L"11");
  EXPECT_EQ(Text(L"attempt(function () { sample.sum({}); })"),
            std::to_wstring(static_cast<int>(E_INVALIDARG)));
  EXPECT_EQ(Text(L"sample.slot = {a: 1}; sample.slot.a"), L"1");
}

TEST_F(JScriptBridgeTest, ArraysFromOurBuildersAreRealScriptArrays) {
  struct Case {
    const wchar_t* kind;
    const wchar_t* description;
  };
  const Case cases[] = {
      {L"bytes", L"3|5:number,0:number,135:number|true"},
      {L"ints", L"3|-7:number,0:number,2147483647:number|true"},
      {L"bools", L"3|true:boolean,false:boolean,true:boolean|true"},
      {L"reals", L"2|1.5:number,-0.25:number|true"},
      {L"empty", L"0||true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.kind)));
    const std::wstring code = L"describe(sample.build(this, '" + std::wstring(c.kind) + L"'))";
    EXPECT_EQ(Text(code.c_str()), c.description);
  }
  EXPECT_EQ(Text(L"var a = sample.build(this, 'bytes'); a.push(9); a.join('-')"), L"5-0-135-9");
  EXPECT_EQ(Text(L"var b = sample.build({Array: Array}, 'ints'); b.length"), L"3");
}

TEST_F(JScriptBridgeTest, ObjectArraysHoldTheirOwnReferences) {
  ASSERT_EQ(host_.Run(L"var objects = sample.build(this, 'objects');"), S_OK);
  EXPECT_EQ(Text(L"objects[0].add(1, 1) + ':' + (objects[1] === null)"), L"2:true");

  const ULONG before = RefCount(record_.get());
  sample_->slot = com_ptr<IDispatch>::copy_of(record_.get());
  ASSERT_EQ(host_.Run(L"var again = sample.build(this, 'objects');"), S_OK);
  sample_->slot.reset();
  EXPECT_EQ(Text(L"again[1].name"), L"east");
  EXPECT_EQ(RefCount(record_.get()), before + 1);
  ASSERT_EQ(host_.Run(L"again = null;"), S_OK);
  EXPECT_EQ(RefCount(record_.get()), before);
}

}  // namespace
}  // namespace zuvelo::testing
