// The shared object model, driven directly through IDispatch with hand-made calls.
#include <dispex.h>
#include <objsafe.h>

#include <functional>

#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;
using Factory = std::function<com_ptr<IDispatch>()>;

template <class T>
Factory FactoryOf() {
  return [] { return com_ptr<IDispatch>(new T); };
}

class ScriptObjectTest : public BridgeTest {};

TEST_F(ScriptObjectTest, AnswersOnlyUnknownAndDispatchWithOneFace) {
  auto sample = Make<IDispatchSampleImpl>();
  struct Case {
    const char* what;
    IID iid;
    HRESULT hr;
  };
  const Case cases[] = {
      {"IUnknown", IID_IUnknown, S_OK},
      {"IDispatch", IID_IDispatch, S_OK},
      {"IDispatchEx", __uuidof(IDispatchEx), E_NOINTERFACE},
      {"IProvideClassInfo", IID_IProvideClassInfo, E_NOINTERFACE},
      {"IObjectSafety", IID_IObjectSafety, E_NOINTERFACE},
      {"IEnumVARIANT", IID_IEnumVARIANT, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(sample->QueryInterface(c.iid, &out), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(out, static_cast<IDispatch*>(sample.get()));
      EXPECT_EQ(RefCount(sample.get()), 2u);
      static_cast<IUnknown*>(out)->Release();
    } else {
      EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(RefCount(sample.get()), 1u);
  }
}

TEST_F(ScriptObjectTest, HasNoTypeInformationAndLeavesOutParametersAlone) {
  auto record = Make<IDispatchRecordImpl>();
  UINT count = 77;
  EXPECT_EQ(record->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(count, 77u);
  auto* sentinel = reinterpret_cast<ITypeInfo*>(0x5678);
  ITypeInfo* info = sentinel;
  EXPECT_EQ(record->GetTypeInfo(0, 0, &info), E_NOTIMPL);
  EXPECT_EQ(info, sentinel);
}

TEST_F(ScriptObjectTest, LastReleaseDestroysOnceWithItsLines) {
  auto* sample = new IDispatchSampleImpl;
  EXPECT_EQ(Trace(), Lines{"IDispatchSampleImpl CONSTRUCT\r\n"});
  EXPECT_EQ(sample->AddRef(), 2u);
  EXPECT_EQ(sample->Release(), 1u);
  EXPECT_EQ(Trace(), Lines{});
  EXPECT_EQ(sample->Release(), 0u);
  EXPECT_EQ(Trace(), Lines{"IDispatchSampleImpl DESTRUCT\r\n"});
  EXPECT_EQ(LiveSampleObjects(), 0);

  // A class without a construction line writes only its destruction line.
  auto* record = new IDispatchRecordImpl;
  EXPECT_EQ(record->Release(), 0u);
  EXPECT_EQ(Trace(), Lines{"IDispatchRecordImpl DESTRUCT\r\n"});
}

struct NameCase {
  const char* what;
  Factory make;
  std::vector<const wchar_t*> names;
  std::vector<DISPID> ids;
  HRESULT hr;
  Lines lines;
};

TEST_F(ScriptObjectTest, LooksNamesUpExactlyAndReportsEachUnknownOne) {
  const char* unknown_add = "IDispatchSampleImpl GetIDsOfNames UNKNOWN Add\r\n";
  const NameCase cases[] = {
      {"known", FactoryOf<IDispatchSampleImpl>(), {L"add"}, {101}, S_OK, {}},
      {"other case",
       FactoryOf<IDispatchSampleImpl>(),
       {L"Add"},
       {-1},
       DISP_E_MEMBERNOTFOUND,
       {unknown_add}},
      {"prefix",
       FactoryOf<IDispatchSampleImpl>(),
       {L"ad"},
       {-1},
       DISP_E_MEMBERNOTFOUND,
       {"IDispatchSampleImpl GetIDsOfNames UNKNOWN ad\r\n"}},
      {"trailing blank",
       FactoryOf<IDispatchSampleImpl>(),
       {L"add "},
       {-1},
       DISP_E_MEMBERNOTFOUND,
       {"IDispatchSampleImpl GetIDsOfNames UNKNOWN add \r\n"}},
      {"unknown then known",
       FactoryOf<IDispatchSampleImpl>(),
       {L"Add", L"join"},
       {-1, 102},
       DISP_E_MEMBERNOTFOUND,
       {unknown_add}},
      {"known then unknown",
       FactoryOf<IDispatchSampleImpl>(),
       {L"slot", L"Add"},
       {105, -1},
       DISP_E_MEMBERNOTFOUND,
       {unknown_add}},
      {"property and method",
       FactoryOf<IDispatchSampleImpl>(),
       {L"calls", L"sum"},
       {104, 106},
       S_OK,
       {}},
      {"no names", FactoryOf<IDispatchSampleImpl>(), {}, {}, S_OK, {}},
      {"unknown-name result of the class",
       FactoryOf<IDispatchNoteImpl>(),
       {L"Write"},
       {-1},
       DISP_E_UNKNOWNNAME,
       {"IDispatchNoteImpl GetIDsOfNames UNKNOWN Write\r\n"}},
      {"no names, hand-out class", FactoryOf<IDispatchNoteImpl>(), {}, {}, S_OK, {}},
      {"default member has no name",
       FactoryOf<IDispatchRecordImpl>(),
       {L""},
       {-1},
       DISP_E_MEMBERNOTFOUND,
       {"IDispatchRecordImpl GetIDsOfNames UNKNOWN \r\n"}},
      {"computed name", FactoryOf<IDispatchQuietImpl>(), {L"7", L"ping"}, {207, 101}, S_OK, {}},
      {"computed name out of range",
       FactoryOf<IDispatchQuietImpl>(),
       {L"77"},
       {-1},
       DISP_E_MEMBERNOTFOUND,
       {"IDispatchQuietImpl GetIDsOfNames UNKNOWN 77\r\n"}},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    com_ptr<IDispatch> object = c.make();
    Trace();
    std::vector<DISPID> ids(c.names.size() + 1, 4242);  // one more: nothing written past the end
    auto* names = const_cast<LPOLESTR*>(c.names.data());
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, static_cast<UINT>(c.names.size()), 0x800,
                                    ids.data()),
              c.hr);
    std::vector<DISPID> expected = c.ids;
    expected.push_back(4242);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(Trace(), c.lines);
  }
}

struct InvokeCase {
  const char* what;
  DISPID id;
  WORD flags;
  std::vector<int> args;
  bool with_result;
  HRESULT hr;
  VARTYPE type;  // of the result afterwards; VT_ILLEGAL: left as it was
  int value;
  Lines lines;
};

// Runs each case on a fresh object with the result slot preset to a marker; the lines compared
// are those before the object's own destruction line.
void RunInvokeCases(const Factory& make, std::span<const InvokeCase> cases,
                    bool has_destruction_line = true) {
  for (const InvokeCase& c : cases) {
    SCOPED_TRACE(c.what);
    com_ptr<IDispatch> object = make();
    TraceReceiver().Take(0);
    unique_variant result = variant_i4(-555);
    ScriptArgs args;
    for (int n : c.args) args.Add(variant_i4(n));
    EXPECT_EQ(CallInvoke(object.get(), c.id, c.flags, std::move(args),
                         c.with_result ? result.get() : nullptr),
              c.hr);
    if (c.type == VT_ILLEGAL) {
      EXPECT_EQ(result.type(), VT_I4);
      EXPECT_EQ(V_I4(result.get()), -555);
    } else {
      EXPECT_EQ(result.type(), c.type);
      if (c.type == VT_I4) {
        EXPECT_EQ(V_I4(result.get()), c.value);
      }
    }
    result.clear();
    object.reset();
    Lines lines = TraceReceiver().Take();
    if (has_destruction_line) {
      ASSERT_FALSE(lines.empty());
      EXPECT_NE(lines.back().find(" DESTRUCT\r\n"), std::string::npos) << lines.back();
      lines.pop_back();
    }
    EXPECT_EQ(lines, c.lines);
  }
}

constexpr WORD kCall = DISPATCH_METHOD;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kPutRef = DISPATCH_PROPERTYPUTREF;

TEST_F(ScriptObjectTest, MethodClassTreatsEachFlagCombination) {
  const Lines none;
  const InvokeCase cases[] = {
      {"call", 101, kCall, {2, 40}, true, S_OK, VT_I4, 42, none},
      {"call without a result slot", 101, kCall, {2, 40}, false, S_OK, VT_ILLEGAL, 0, none},
      {"call and read: the call wins", 101, kCall | kGet, {2, 40}, true, S_OK, VT_I4, 42, none},
      {"member's own failure", 101, kCall, {2}, true, DISP_E_BADPARAMCOUNT, VT_ILLEGAL, 0, none},
      {"read of a method",
       101,
       kGet,
       {},
       true,
       S_OK,
       VT_DISPATCH,
       0,
       {"CFunctionObject DESTRUCT\r\n"}},
      {"read of a method, no slot", 101, kGet, {}, false, S_OK, VT_ILLEGAL, 0, none},
      {"property", 104, kGet, {}, true, S_OK, VT_I4, 0, none},
      {"property, no slot", 104, kGet, {}, false, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
      {"call of a property",
       104,
       kCall,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchSampleImpl UNKNOWN Invoke dispid=104/0x68 cArg=0 wFlags=1\r\n"}},
      {"write of a read-only property",
       104,
       kPut,
       {3},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchSampleImpl UNKNOWN Invoke dispid=104/0x68 cArg=1 wFlags=4\r\n"}},
      {"write of a method",
       101,
       kPutRef,
       {3},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchSampleImpl UNKNOWN Invoke dispid=101/0x65 cArg=1 wFlags=8\r\n"}},
      {"writable property, wrong type",
       105,
       kPut,
       {3},
       false,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       none},
      {"unknown number, call",
       999,
       kCall,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchSampleImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0 wFlags=1\r\n"}},
      {"unknown number, read",
       -5,
       kGet,
       {1, 2},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchSampleImpl UNKNOWN Invoke dispid=-5/0xFFFFFFFB cArg=2 wFlags=2\r\n"}},
      {"no flags", 101, 0, {2, 40}, true, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
      {"only foreign flags", 999, 0x10, {}, true, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
  };
  RunInvokeCases(FactoryOf<IDispatchSampleImpl>(), cases);
}

TEST_F(ScriptObjectTest, ClassWithoutUnknownMemberLineStaysSilent) {
  const InvokeCase cases[] = {
      {"unknown number", 999, kCall, {}, true, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, {}},
      {"write without writable members",
       101,
       kPut,
       {1},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {}},
      {"computed member", 207, kGet, {}, true, S_OK, VT_I4, 7, {}},
      {"computed member is not callable",
       203,
       kCall,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {}},
  };
  RunInvokeCases(FactoryOf<IDispatchQuietImpl>(), cases, false);
}

TEST_F(ScriptObjectTest, PropertiesOnlyClassReadsAndNothingElse) {
  const Lines none;
  const InvokeCase cases[] = {
      {"read", 102, kGet, {}, true, S_OK, VT_I4, 25000, none},
      {"called like a function", 102, kGet | kCall, {}, true, S_OK, VT_I4, 25000, none},
      {"call alone", 102, kCall, {}, true, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
      {"no result slot", 102, kGet, {}, false, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
      {"write", 102, kPut, {1}, true, DISP_E_MEMBERNOTFOUND, VT_ILLEGAL, 0, none},
      {"default member", DISPID_VALUE, kGet, {}, true, S_OK, VT_DISPATCH, 0, none},
      {"unknown number",
       999,
       kGet,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchRecordImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0"}},
      {"unknown number, call alone",
       999,
       kCall,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       none},
  };
  RunInvokeCases(FactoryOf<IDispatchRecordImpl>(), cases);
}

TEST_F(ScriptObjectTest, DefaultMemberIsTheObjectItself) {
  auto record = Make<IDispatchRecordImpl>();
  unique_variant self;
  ASSERT_EQ(CallInvoke(record.get(), DISPID_VALUE, kGet, {}, self.get()), S_OK);
  ASSERT_EQ(self.type(), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(self.get()), static_cast<IDispatch*>(record.get()));
  EXPECT_EQ(RefCount(record.get()), 2u);
}

TEST_F(ScriptObjectTest, HandOutClassSendsEveryMemberThroughTheRule) {
  const Lines none;
  const Lines handed_out_and_dropped{"CFunctionObject DESTRUCT\r\n"};
  const InvokeCase cases[] = {
      {"call", 102, kCall, {}, true, S_OK, VT_BSTR, 0, none},
      {"read", 102, kGet, {}, true, S_OK, VT_DISPATCH, 0, handed_out_and_dropped},
      {"read and call: the call's result replaces the function",
       102,
       kGet | kCall,
       {},
       true,
       S_OK,
       VT_BSTR,
       0,
       handed_out_and_dropped},
      {"read and call, method without result",
       103,
       kGet | kCall,
       {},
       true,
       S_OK,
       VT_EMPTY,
       0,
       handed_out_and_dropped},
      {"read and call, no slot", 103, kGet | kCall, {}, false, S_OK, VT_ILLEGAL, 0, none},
      {"call, method's own failure", 101, kCall, {}, true, E_INVALIDARG, VT_ILLEGAL, 0, none},
      {"write flag does nothing", 101, kPut, {}, true, S_OK, VT_ILLEGAL, 0, none},
      {"no flags do nothing", 101, 0, {}, true, S_OK, VT_ILLEGAL, 0, none},
      {"unknown number",
       999,
       kCall,
       {},
       true,
       DISP_E_MEMBERNOTFOUND,
       VT_ILLEGAL,
       0,
       {"IDispatchNoteImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0"}},
  };
  RunInvokeCases(FactoryOf<IDispatchNoteImpl>(), cases);
}

TEST_F(ScriptObjectTest, ArgumentsAreTakenInScriptOrderAndByExactType) {
  auto sample = Make<IDispatchSampleImpl>();
  unique_variant result;
  ScriptArgs texts;
  texts.Add(variant_text(L"first")).Add(variant_text(L"second")).Add(variant_text(L"third"));
  ASSERT_EQ(CallInvoke(sample.get(), 102, kCall, std::move(texts), result.put()), S_OK);
  EXPECT_EQ(bstr_view(V_BSTR(result.get())), L"first|second|third");

  // By-reference integers and near types are not followed or converted.
  LONG referenced = 5;
  unique_variant by_ref;
  V_VT(by_ref.get()) = VT_I4 | VT_BYREF;
  V_I4REF(by_ref.get()) = &referenced;
  ScriptArgs mixed;
  mixed.Add(variant_i4(1)).Add(std::move(by_ref));
  EXPECT_EQ(CallInvoke(sample.get(), 101, kCall, std::move(mixed), result.put()),
            DISP_E_TYPEMISMATCH);
  ScriptArgs real;
  real.Add(variant_i4(1)).Add(variant_r8(2.0));
  EXPECT_EQ(CallInvoke(sample.get(), 101, kCall, std::move(real), result.put()),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(result.type(), VT_EMPTY);
}

TEST_F(ScriptObjectTest, ToleratesMissingArgumentBlockAndNameArray) {
  auto sample = Make<IDispatchSampleImpl>();
  unique_variant result;
  EXPECT_EQ(sample->Invoke(101, IID_NULL, 0, kCall, nullptr, result.get(), nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  DISPID id = 0;
  EXPECT_EQ(sample->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_POINTER);
  EXPECT_EQ(sample->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), S_OK);
}

TEST_F(ScriptObjectTest, WritablePropertyKeepsOneReferenceOnWhatItHolds) {
  auto sample = Make<IDispatchSampleImpl>();
  auto first = Make<IDispatchRecordImpl>();
  auto second = Make<IDispatchRecordImpl>();
  ScriptArgs put_first;
  put_first.Add(variant_dispatch(first.get()));
  ASSERT_EQ(CallInvoke(sample.get(), 105, kPut, std::move(put_first), nullptr), S_OK);
  EXPECT_EQ(RefCount(first.get()), 2u);

  ScriptArgs put_number{7};
  EXPECT_EQ(CallInvoke(sample.get(), 105, kPut, std::move(put_number), nullptr),
            DISP_E_MEMBERNOTFOUND);
  ScriptArgs put_second;
  put_second.Add(variant_dispatch(second.get()));
  ASSERT_EQ(CallInvoke(sample.get(), 105, kPutRef, std::move(put_second), nullptr), S_OK);
  EXPECT_EQ(RefCount(first.get()), 1u);
  EXPECT_EQ(RefCount(second.get()), 2u);

  unique_variant read;
  ASSERT_EQ(CallInvoke(sample.get(), 105, kGet, {}, read.get()), S_OK);
  EXPECT_EQ(V_DISPATCH(read.get()), static_cast<IDispatch*>(second.get()));
  EXPECT_EQ(RefCount(second.get()), 3u);
}

TEST_F(ScriptObjectTest, ExceptionsFromMembersNeverReachTheCaller) {
  auto quiet = Make<IDispatchQuietImpl>();
  unique_variant result;
  EXPECT_EQ(CallInvoke(quiet.get(), 102, kCall, {}, result.get()), E_OUTOFMEMORY);
  EXPECT_EQ(CallInvoke(quiet.get(), 103, kCall, {}, result.get()), E_UNEXPECTED);
  EXPECT_EQ(CallInvoke(quiet.get(), 101, kCall, {}, result.put()), S_OK);
  EXPECT_EQ(bstr_view(V_BSTR(result.get())), L"pong");
}

}  // namespace
}  // namespace zuvelo::testing
