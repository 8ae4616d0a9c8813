// The script object model through hand-made IDispatch calls and from real JScript.
#include <dispex.h>

#include <cstdint>
#include <optional>
#include <tuple>

#include "bridge/automation/script_values.h"
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

constexpr WORD kCall = DISPATCH_METHOD;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr HRESULT kNotFound = DISP_E_MEMBERNOTFOUND;
constexpr const char* kDropped = "CFunctionObject DESTRUCT\r\n";  // a handed-out method let go

std::string Shown(const VARIANT& v) {
  if (V_VT(&v) == VT_I4) return std::to_string(V_I4(&v));
  if (V_VT(&v) == VT_DISPATCH) return "object";
  return V_VT(&v) == VT_BSTR ? "text" : "type " + std::to_string(V_VT(&v));
}

com_ptr<IDispatch> ReadMethod(IDispatch* object, DISPID id) {
  unique_variant value;
  EXPECT_EQ(InvokeWith(object, id, kGet, {}, value.get()), S_OK);
  if (value.type() != VT_DISPATCH) return {};
  return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
}

using ScriptObjectTest = BridgeTest;

TEST_F(ScriptObjectTest, AnswersOnlyUnknownAndDispatchAndTracesItsLife) {
  auto* sample = new Sample;
  for (const IID& iid : {IID_IUnknown, IID_IDispatch, __uuidof(IDispatchEx), IID_IEnumVARIANT}) {
    const bool ours = iid == IID_IUnknown || iid == IID_IDispatch;
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(sample->QueryInterface(iid, &out), ours ? S_OK : E_NOINTERFACE);
    EXPECT_EQ(out, ours ? static_cast<void*>(static_cast<IDispatch*>(sample)) : nullptr);
    if (out) static_cast<IUnknown*>(out)->Release();
  }
  EXPECT_EQ(sample->Release(), 0u);
  EXPECT_EQ((new Record)->Release(), 0u);  // without a construction line
  EXPECT_EQ(Trace(), (Lines{"Sample made\r\n", "Sample gone\r\n", "Record gone\r\n"}));
}

TEST_F(ScriptObjectTest, LooksNamesUpExactlyAndReportsEachUnknownOne) {
  // Note or Sample, names, the numbers given (one more than names: nothing may overwrite it).
  const std::tuple<bool, std::vector<const wchar_t*>, std::vector<DISPID>, HRESULT, const char*>
      cases[] = {
          {false, {L"sub"}, {101, 7}, S_OK, nullptr},
          {false, {L"Sub"}, {-1, 7}, kNotFound, "Sample name? Sub\r\n"},
          {false, {L"su"}, {-1, 7}, kNotFound, "Sample name? su\r\n"},
          {false, {L"sub "}, {-1, 7}, kNotFound, "Sample name? sub \r\n"},
          {false, {L"Sub", L"slot"}, {-1, 104, 7}, kNotFound, "Sample name? Sub\r\n"},
          {false, {L"slot", L"Sub"}, {104, -1, 7}, kNotFound, "Sample name? Sub\r\n"},
          {false, {}, {7}, S_OK, nullptr},
          {true, {L"Write"}, {-1, 7}, DISP_E_UNKNOWNNAME, "Note name? Write\r\n"},
          {false, {L"caf\u00E9\u20AC!"}, {-1, 7}, kNotFound, "Sample name? caf\xE9\x80!\r\n"},
      };
  for (const auto& [note, names, expected, hr, line] : cases) {
    com_ptr<IDispatch> object(note ? static_cast<IDispatch*>(new Note) : new Sample);
    Trace();
    std::vector<DISPID> ids(expected.size(), 7);
    const auto count = static_cast<UINT>(names.size());
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()), count, 0x800,
                                    ids.data()),
              hr);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(Trace(), line ? Lines{line} : Lines{});
  }
  DISPID id = 0;
  EXPECT_EQ(Make<Sample>()->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_POINTER);
}

struct InvokeCase {
  DISPID id;
  WORD flags;
  int args;   // 50, 8, 90, ... in script order
  bool slot;  // a result slot preset to -555
  HRESULT hr;
  const char* result;
  const char* line;  // traced before the object's destruction line
};

template <class T>
void RunInvokeCases(std::span<const InvokeCase> cases) {
  for (const InvokeCase& c : cases) {
    SCOPED_TRACE(&c - cases.data());
    com_ptr<IDispatch> object(new T);
    ProcessTraceListener().Take(0);
    unique_variant result = variant_i4(-555);
    std::vector<unique_variant> args;
    for (int i = 0; i < c.args; ++i) args.push_back(variant_i4(i % 2 ? 8 : 50 + 20 * i));
    EXPECT_EQ(
        InvokeWith(object.get(), c.id, c.flags, std::move(args), c.slot ? result.get() : nullptr),
        c.hr);
    EXPECT_EQ(Shown(*result.get()), c.result);
    result.clear();
    object.reset();
    Lines expected;
    if (c.line) expected.push_back(c.line);
    if (T::kClass.destroyed) expected.push_back(T::kClass.destroyed);
    EXPECT_EQ(ProcessTraceListener().Take(), expected);
  }
}

TEST_F(ScriptObjectTest, EachInvokeStyleTreatsEveryFlagCombination) {
  const InvokeCase methods[] = {
      {101, kCall, 2, true, S_OK, "42", nullptr},
      {101, kCall | kGet, 2, true, S_OK, "42", nullptr},  // the call wins
      {101, kGet, 0, true, S_OK, "object", kDropped},
      {101, kGet, 0, false, S_OK, "-555", nullptr},
      {104, kGet, 0, true, S_OK, "object", nullptr},
      {104, kGet, 0, false, kNotFound, "-555", nullptr},
      {104, kCall, 0, true, kNotFound, "-555", "Sample member? 104/0x68 args 0 flags 1\r\n"},
      {101, kPut, 1, true, kNotFound, "-555", "Sample member? 101/0x65 args 1 flags 4\r\n"},
      {101, DISPATCH_PROPERTYPUTREF, 1, true, kNotFound, "-555",
       "Sample member? 101/0x65 args 1 flags 8\r\n"},
      {104, kPut, 1, false, kNotFound, "-555", nullptr},  // the writer refuses a number
      {104, DISPATCH_PROPERTYPUTREF, 1, false, kNotFound, "-555", nullptr},  // so writes by ref
      {-5, kGet, 2, true, kNotFound, "-555", "Sample member? -5/0xFFFFFFFB args 2 flags 2\r\n"},
      {999, 0x10, 0, true, kNotFound, "-555", nullptr},  // no flag of ours
  };
  RunInvokeCases<Sample>(methods);
  const InvokeCase quiet[] = {{999, kCall, 0, true, kNotFound, "-555", nullptr}};
  RunInvokeCases<Worker>(quiet);  // a class without the line is silent
  const InvokeCase properties_only[] = {
      {102, kGet, 0, true, S_OK, "25000", nullptr},
      {102, kGet | kCall, 0, true, S_OK, "25000", nullptr},
      {102, kCall, 0, true, kNotFound, "-555", nullptr},
      {102, kGet, 0, false, kNotFound, "-555", nullptr},
      {999, kGet, 0, true, kNotFound, "-555", "Record member? 999/0x3E7 args 0"},
  };
  RunInvokeCases<Record>(properties_only);
  const InvokeCase hand_out_everything[] = {
      {102, kCall, 0, true, S_OK, "text", nullptr},
      {102, kGet, 0, true, S_OK, "object", kDropped},
      {102, kGet | kCall, 0, true, S_OK, "text", kDropped},    // the call's result replaces it
      {101, kGet | kCall, 1, true, S_OK, "type 0", kDropped},  // a method without a result
      {101, kGet | kCall, 1, false, S_OK, "-555", nullptr},
      {101, kCall, 0, true, E_INVALIDARG, "-555", nullptr},
      {101, kPut, 0, true, S_OK, "-555", nullptr},  // neither call nor read: nothing
      {999, kCall, 0, true, kNotFound, "-555", "Note member? 999/0x3E7 args 0"},
  };
  RunInvokeCases<Note>(hand_out_everything);
}

TEST_F(ScriptObjectTest, ArgumentsAreTakenByExactTypeAndExceptionsStayInside) {
  auto sample = Make<Sample>();
  unique_variant result;
  LONG referenced = 5;  // neither followed nor converted
  unique_variant by_ref;
  V_VT(by_ref.get()) = VT_I4 | VT_BYREF;
  V_I4REF(by_ref.get()) = &referenced;
  EXPECT_EQ(
      InvokeWith(sample.get(), 101, kCall, Args(variant_i4(1), std::move(by_ref)), result.put()),
      DISP_E_TYPEMISMATCH);
  EXPECT_EQ(
      InvokeWith(sample.get(), 101, kCall, Args(variant_i4(1), variant_r8(2.0)), result.put()),
      DISP_E_TYPEMISMATCH);
  EXPECT_EQ(sample->Invoke(101, IID_NULL, 0, kCall, nullptr, result.get(), nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);  // no argument block at all
  EXPECT_EQ(result.type(), VT_EMPTY);
  auto worker = Make<Worker>();
  Trace();
  EXPECT_EQ(InvokeWith(worker.get(), 102, kCall, {}, nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(InvokeWith(worker.get(), 103, kCall, {}, nullptr), E_UNEXPECTED);
  EXPECT_EQ(InvokeWith(worker.get(), 104, kCall, {}, nullptr), S_FALSE);
  EXPECT_EQ(InvokeWith(ReadMethod(worker.get(), 102).get(), DISPID_VALUE, kCall, {}, nullptr),
            S_OK);
  EXPECT_EQ(Trace(), (Lines{"Invoke EXCEPTION out of memory\r\n", "Invoke EXCEPTION\r\n",
                            "CFunctionObject Invoke EXCEPTION out of memory\r\n", kDropped}));
}

TEST_F(ScriptObjectTest, AMethodValueRunsItsMethodWhateverTheFlagsAndKeepsItsObjectAlive) {
  auto sample = Make<Sample>();
  Sample* const target = sample.get();
  com_ptr<IDispatch> sub = ReadMethod(sample.get(), 101);
  ASSERT_TRUE(sub);
  EXPECT_EQ(RefCount(sub.get()), 1u);
  sample.reset();
  for (WORD flags : {kCall, kGet, WORD(0)}) {
    unique_variant difference;
    EXPECT_EQ(InvokeWith(sub.get(), DISPID_VALUE, flags, Args(variant_i4(50), variant_i4(8)),
                         difference.get()),
              S_OK);
    EXPECT_EQ(Shown(*difference.get()), "42") << flags;
  }
  unique_variant result = variant_i4(-1);
  EXPECT_EQ(InvokeWith(sub.get(), DISPID_VALUE, kCall, Args(variant_i4(1)), result.get()), S_OK);
  EXPECT_EQ(InvokeWith(sub.get(), 5, kCall, {}, result.get()), S_OK);
  EXPECT_EQ(InvokeWith(sub.get(), -1, kGet, Args(variant_i4(1), variant_i4(2)), result.get()),
            S_OK);
  EXPECT_EQ(V_I4(result.get()), -1) << "neither the failing call nor an unknown member wrote";
  EXPECT_EQ(target->calls, 4);
  const wchar_t* names[] = {L"call"};
  DISPID ids[] = {7, 7};
  EXPECT_EQ(sub->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 1, 0, ids),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(std::vector<DISPID>(ids, ids + 2), (std::vector<DISPID>{-1, 7}));
  EXPECT_EQ(sub->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), DISP_E_UNKNOWNNAME);
  sub.reset();
  EXPECT_EQ(Trace(),
            (Lines{"Sample made\r\n", "CFunctionObject UNKNOWN Invoke dispid=5/0x5 cArg=0",
                   "CFunctionObject UNKNOWN Invoke dispid=-1/0xFFFFFFFF cArg=2",
                   "CFunctionObject GetIDsOfNames UNKNOWN call\r\n", kDropped, "Sample gone\r\n"}));
}

class ScriptEngineTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ASSERT_EQ(script_.AddNamedItem(L"sample", sample_.get()), S_OK);
    ASSERT_EQ(script_.AddNamedItem(L"rec", record_.get()), S_OK);
  }
  void TearDown() override {
    sample_.reset();
    record_.reset();
    BridgeTest::TearDown();
  }
  com_ptr<IDispatch> Object(const wchar_t* expression) {
    unique_variant value;
    EXPECT_EQ(script_.Evaluate(expression, value.get()), S_OK);
    if (value.type() != VT_DISPATCH) return {};
    return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
  }

  com_ptr<Sample> sample_ = Make<Sample>();
  com_ptr<Record> record_ = Make<Record>();
};

TEST_F(ScriptEngineTest, BuildersMakeArraysOfTheScopesEngineOrLeaveTheResultAlone) {
  static constexpr std::uint8_t bytes[] = {5, 0};
  unique_variant array;
  ASSERT_EQ(BuildBoolArray(Object(L"({Array: Array})").get(), bytes, array.get()), S_OK);
  ASSERT_EQ(script_.AddNamedItem(L"truths", V_DISPATCH(array.get())), S_OK);
  EXPECT_EQ(RefCount(V_DISPATCH(array.get())), 2u);  // the caller's and the engine's only
  EXPECT_EQ(Text(L"[truths instanceof Array, truths.length, truths[0] === true, truths[1]]"),
            L"true,2,true,false");
  IDispatch* objects[] = {sample_.get(), record_.get(), sample_.get(), nullptr};
  const ULONG samples = RefCount(sample_.get());
  ASSERT_EQ(BuildObjectArray(script_.Global().get(), objects, array.put()), S_OK);
  EXPECT_EQ(RefCount(sample_.get()), samples + 2);
  ASSERT_EQ(script_.AddNamedItem(L"built", V_DISPATCH(array.get())), S_OK);
  EXPECT_EQ(Text(L"[built.length, built[0].sub(1, 2), built[1].score, built[3] === null]"),
            L"4,-1,25000,true");

  static constexpr std::int32_t one[] = {1};
  const std::pair<const wchar_t*, std::optional<HRESULT>> cases[] = {
      {L"({})", std::nullopt},  // any failure
      {L"({Array: function () { return 5; }})", S_OK},
      {L"({Array: function () { return null; }})", S_OK},
      {L"({Array: function () { return sample; }})", E_NOINTERFACE},
      {L"({Array: function () { throw 1; }})", std::nullopt},
  };
  for (const auto& [scope, hr] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(scope)));
    unique_variant result = variant_i4(77);
    const HRESULT built = BuildIntArray(Object(scope).get(), one, result.get());
    EXPECT_TRUE(hr ? built == *hr : FAILED(built)) << std::hex << built;
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_EQ(V_I4(result.get()), 77);
  }
  script_.TakeErrors();  // the throwing constructor
  EXPECT_EQ(Trace(), Lines{});
}

// A script exception's line: the analyzer's tests.
TEST_F(ScriptEngineTest, CallJSFuncTracesEveryResultButSuccess) {
  EXPECT_EQ(CallJSFunc(Object(L"({})").get(), 9999, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(CallJSFunc(Make<Worker>().get(), 104, {}, nullptr), S_FALSE);  // a success code too
  EXPECT_EQ(CallJSFunc(Make<Note>().get(), 102, {}, nullptr), S_OK);
  EXPECT_EQ(Trace(), (Lines{"CallJSFunc hr=-2147352573/80020003\r\n", "CallJSFunc hr=1/1\r\n",
                            "Note gone\r\n"}));
}

}  // namespace
}  // namespace zuvelo::testing
