// Value readers, array builders and CallJSFunc against objects of the real script engine.
#include <cstdint>
#include <functional>

#include "bridge/jscript_host_win.h"
#include "bridge/script_values.h"
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr const wchar_t* kHelpers =
    LR"(
function describe(a) {
  var parts = [];
  for (var i = 0; i < a.length; i++) parts.push(String(a[i]) + ':' + typeof a[i]);
  return a.length + '|' + parts.join(',') + '|' + (a instanceof Array);
}
function show(text, truth, real, object) {
  return [typeof text, text, typeof truth, truth, real, object.add(20, 22)].join(',');
}
)";

class ScriptValuesTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ASSERT_TRUE(host_.ok()) << std::hex << host_.status();
    ASSERT_EQ(host_.Run(kHelpers), S_OK);
    global_ = host_.Global();
    ASSERT_TRUE(global_);
  }
  void TearDown() override {
    EXPECT_TRUE(host_.TakeErrors().empty());
    global_.reset();
    host_.Close();
    BridgeTest::TearDown();
  }

  com_ptr<IDispatch> Object(const wchar_t* expression) {
    unique_variant value;
    EXPECT_EQ(host_.Evaluate(expression, value.get()), S_OK);
    EXPECT_EQ(value.type(), VT_DISPATCH);
    if (value.type() != VT_DISPATCH) return {};
    return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
  }

  std::wstring Describe(const VARIANT& array) {
    unique_variant text;
    EXPECT_EQ(host_.Call(L"describe", {&array, 1}, text.get()), S_OK);
    return text.type() == VT_BSTR ? std::wstring(bstr_view(V_BSTR(text.get()))) : L"?";
  }

  DISPID IdOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    return id;
  }

  JScriptHost host_;
  com_ptr<IDispatch> global_;
};

TEST_F(ScriptValuesTest, IntegerReaderTakesOnlyExactIntegers) {
  com_ptr<IDispatch> options = Object(
      L"({i: 3, neg: -4, r: 3.5, whole: 3.0, s: '3', b: true, z: null, big: 3000000000, "
      L"u: undefined, o: {}})");
  struct Case {
    const wchar_t* name;
    int value;
  };
  const Case cases[] = {
      {L"i", 3},  {L"neg", -4}, {L"whole", 3}, {L"r", -1}, {L"s", -1}, {L"b", -1},
      {L"z", -1}, {L"big", -1}, {L"u", -1},    {L"o", -1}, {L"I", -1}, {L"missing", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.name)));
    EXPECT_EQ(GetIntProperty(options.get(), c.name, -1), c.value);
  }
  EXPECT_EQ(GetIntProperty(nullptr, L"i", 9), 9);
}

TEST_F(ScriptValuesTest, ElementReaderNamesElementsByTheirDecimalIndex) {
  com_ptr<IDispatch> keyed = Object(L"({'13': 42, '-1': 7, '0': 1, '013': 5})");
  com_ptr<IDispatch> array = Object(L"[10, 20, 30]");
  EXPECT_EQ(GetIntElement(keyed.get(), 13, -9), 42);
  EXPECT_EQ(GetIntElement(keyed.get(), -1, -9), 7);
  EXPECT_EQ(GetIntElement(keyed.get(), 0, -9), 1);
  EXPECT_EQ(GetIntElement(keyed.get(), 1, -9), -9);
  EXPECT_EQ(GetIntElement(array.get(), 2, -9), 30);
  EXPECT_EQ(GetIntElement(array.get(), 3, -9), -9);
  EXPECT_EQ(GetIntProperty(array.get(), L"length", -9), 3);
}

TEST_F(ScriptValuesTest, TextReaderCopiesTextsOnly) {
  com_ptr<IDispatch> options = Object(L"({s: 'CTimeAscent', e: '', j: '\x724c\x8b5c', i: 3})");
  EXPECT_EQ(GetTextProperty(options.get(), L"s"), L"CTimeAscent");
  EXPECT_EQ(GetTextProperty(options.get(), L"e"), L"");
  EXPECT_EQ(GetTextProperty(options.get(), L"j"), L"\x724c\x8b5c");
  EXPECT_EQ(GetTextProperty(options.get(), L"i"), std::nullopt);
  EXPECT_EQ(GetTextProperty(options.get(), L"missing"), std::nullopt);
}

TEST_F(ScriptValuesTest, InvokeByNameReturnsTheFirstFailure) {
  com_ptr<IDispatch> object = Object(L"({n: 21, twice: function () { return 2 * this.n; }})");
  unique_variant result = variant_i4(-1);
  EXPECT_EQ(InvokeByName(object.get(), L"twice", DISPATCH_METHOD, result.put()), S_OK);
  EXPECT_EQ(V_I4(result.get()), 42);
  result = variant_i4(-1);
  EXPECT_TRUE(FAILED(InvokeByName(object.get(), L"thrice", DISPATCH_METHOD, result.get())));
  EXPECT_EQ(V_I4(result.get()), -1);

  // On a native object the readers go through its own lookup and its own lines.
  auto sample = Make<IDispatchSampleImpl>();
  Trace();
  EXPECT_EQ(GetIntProperty(sample.get(), L"calls", -1), 0);
  EXPECT_EQ(GetIntProperty(sample.get(), L"Calls", -1), -1);
  EXPECT_EQ(Trace(), Lines{"IDispatchSampleImpl GetIDsOfNames UNKNOWN Calls\r\n"});
}

TEST_F(ScriptValuesTest, BuildersMakeArraysOfTheEngine) {
  static constexpr std::uint8_t bytes[] = {5, 0, 135};
  static constexpr std::int32_t ints[] = {-2147483647 - 1, 13};
  static constexpr std::uint8_t truths[] = {0, 1, 255};
  static constexpr double reals[] = {-0.5, 30000.25};
  struct Case {
    const char* what;
    std::function<HRESULT(IDispatch*, VARIANT*)> build;
    const wchar_t* description;
  };
  const Case cases[] = {
      {"bytes", [](IDispatch* s, VARIANT* r) { return BuildByteArray(s, bytes, r); },
       L"3|5:number,0:number,135:number|true"},
      {"ints", [](IDispatch* s, VARIANT* r) { return BuildIntArray(s, ints, r); },
       L"2|-2147483648:number,13:number|true"},
      {"bools", [](IDispatch* s, VARIANT* r) { return BuildBoolArray(s, truths, r); },
       L"3|false:boolean,true:boolean,true:boolean|true"},
      {"reals", [](IDispatch* s, VARIANT* r) { return BuildRealArray(s, reals, r); },
       L"2|-0.5:number,30000.25:number|true"},
      {"empty", [](IDispatch* s, VARIANT* r) { return BuildRealArray(s, {}, r); }, L"0||true"},
  };
  com_ptr<IDispatch> options = Object(L"({Array: Array})");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (IDispatch* scope : {global_.get(), options.get()}) {
      unique_variant array;
      ASSERT_EQ(c.build(scope, array.get()), S_OK);
      ASSERT_EQ(array.type(), VT_DISPATCH);
      EXPECT_EQ(RefCount(V_DISPATCH(array.get())), 1u);  // the caller's reference only
      EXPECT_EQ(Describe(*array.get()), c.description);
    }
  }
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(ScriptValuesTest, ObjectArrayHoldsAReferencePerElement) {
  auto sample = Make<IDispatchSampleImpl>();
  auto record = Make<IDispatchRecordImpl>();
  IDispatch* objects[] = {sample.get(), record.get(), sample.get()};
  {
    unique_variant array;
    ASSERT_EQ(BuildObjectArray(global_.get(), objects, array.get()), S_OK);
    EXPECT_EQ(RefCount(sample.get()), 3u);
    EXPECT_EQ(RefCount(record.get()), 2u);
    ASSERT_EQ(host_.AddNamedItem(L"built", V_DISPATCH(array.get())), S_OK);
    unique_variant check;
    ASSERT_EQ(host_.Evaluate(L"built.length + ':' + built[0].add(1, 2) + ':' + built[1].name",
                             check.get()),
              S_OK);
    EXPECT_EQ(bstr_view(V_BSTR(check.get())), L"3:3:east");
  }
  host_.Close();
  EXPECT_EQ(RefCount(sample.get()), 1u);
  EXPECT_EQ(RefCount(record.get()), 1u);
}

TEST_F(ScriptValuesTest, BuilderLeavesTheResultAloneWithoutAnArray) {
  auto sample = Make<IDispatchSampleImpl>();
  ASSERT_EQ(host_.AddNamedItem(L"sample", sample.get()), S_OK);
  static constexpr std::int32_t one[] = {1};
  struct Case {
    const char* what;
    const wchar_t* scope;
    bool succeeds;
    HRESULT hr;  // when it fails: E_NOINTERFACE, or any failure of the lookup (S_OK here)
  };
  const Case cases[] = {
      {"no Array member", L"({})", false, S_OK},
      {"Array gives no object", L"({Array: function () { return 5; }})", true, S_OK},
      {"Array gives null", L"({Array: function () { return null; }})", true, S_OK},
      {"array without IDispatchEx", L"({Array: function () { return sample; }})", false,
       E_NOINTERFACE},
      {"Array throws", L"({Array: function () { throw 1; }})", false, S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    com_ptr<IDispatch> scope = Object(c.scope);
    unique_variant result = variant_i4(77);
    const HRESULT hr = BuildIntArray(scope.get(), one, result.get());
    if (c.succeeds) {
      EXPECT_EQ(hr, S_OK);
    } else {
      EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
      if (c.hr != S_OK) {
        EXPECT_EQ(hr, c.hr);
      }
    }
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_EQ(V_I4(result.get()), 77);
  }
  host_.TakeErrors();  // the throwing constructor
  host_.Close();
  EXPECT_EQ(RefCount(sample.get()), 1u);
}

TEST_F(ScriptValuesTest, CallbackGetsItsArgumentsInScriptOrderAndItsHolderAsThis) {
  com_ptr<IDispatch> options =
      Object(L"({base: 7, OnTsumo: function (who, hai) { return this.base + who * 1000 + hai; }})");
  const DISPID id = IdOf(options.get(), L"OnTsumo");
  unique_variant stored[] = {variant_i4(135), variant_i4(2)};  // hai, then who
  VARIANT args[] = {*stored[0].get(), *stored[1].get()};
  unique_variant result;
  EXPECT_EQ(CallJSFunc(options.get(), id, args, result.get()), S_OK);
  EXPECT_EQ(V_I4(result.get()), 2142);
  EXPECT_EQ(CallJSFunc(options.get(), id, args, nullptr), S_OK);

  auto sample = Make<IDispatchSampleImpl>();
  Trace();
  unique_variant typed[] = {variant_dispatch(sample.get()), variant_r8(2.5), variant_bool(true),
                            variant_text(L"nm")};
  VARIANT typed_args[] = {*typed[0].get(), *typed[1].get(), *typed[2].get(), *typed[3].get()};
  EXPECT_EQ(CallJSFunc(global_.get(), IdOf(global_.get(), L"show"), typed_args, result.put()),
            S_OK);
  EXPECT_EQ(bstr_view(V_BSTR(result.get())), L"string,nm,boolean,true,2.5,42");
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(ScriptValuesTest, CallbackFailuresAreTracedWithTheirResult) {
  com_ptr<IDispatch> options = Object(L"({OnDahai: function () { throw new Error('boom'); }})");
  EXPECT_EQ(CallJSFunc(options.get(), IdOf(options.get(), L"OnDahai"), {}, nullptr),
            static_cast<HRESULT>(0x80020101));
  const std::vector<ScriptError> errors = host_.TakeErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].description, L"boom");

  EXPECT_EQ(CallJSFunc(options.get(), 9999, {}, nullptr), DISP_E_MEMBERNOTFOUND);

  // Any result but S_OK counts, a success code too.
  auto sample = Make<IDispatchSampleImpl>();
  auto quiet = Make<IDispatchQuietImpl>();
  EXPECT_EQ(CallJSFunc(sample.get(), 103, {}, nullptr), E_FAIL);
  EXPECT_EQ(CallJSFunc(quiet.get(), 104, {}, nullptr), S_FALSE);
  EXPECT_EQ(Trace(),
            (Lines{"CallJSFunc hr=-2147352319/80020101\r\n",
                   "CallJSFunc hr=-2147352573/80020003\r\n", "IDispatchSampleImpl CONSTRUCT\r\n",
                   "CallJSFunc hr=-2147467259/80004005\r\n", "CallJSFunc hr=1/1\r\n"}));
}

}  // namespace
}  // namespace zuvelo::testing
