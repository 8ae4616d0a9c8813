// Methods handed out as values: what calling them does, what they hide, and how long their
// target lives.
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

using Lines = std::vector<std::string>;

class FunctionObjectTest : public BridgeTest {
 protected:
  // Reads member `id` as a property: the function object, with its only reference.
  static com_ptr<IDispatch> ReadMethod(IDispatch* object, DISPID id) {
    unique_variant value;
    EXPECT_EQ(CallInvoke(object, id, DISPATCH_PROPERTYGET, {}, value.get()), S_OK);
    EXPECT_EQ(value.type(), VT_DISPATCH);
    if (value.type() != VT_DISPATCH) return {};
    return com_ptr<IDispatch>::copy_of(V_DISPATCH(value.get()));
  }
};

TEST_F(FunctionObjectTest, CallingTheValueRunsTheMethodOnItsObjectWhateverTheFlags) {
  auto sample = Make<IDispatchSampleImpl>();
  com_ptr<IDispatch> add = ReadMethod(sample.get(), 101);
  ASSERT_TRUE(add);
  EXPECT_EQ(RefCount(add.get()), 1u);
  EXPECT_EQ(Trace(), Lines{"IDispatchSampleImpl CONSTRUCT\r\n"});  // a function object has none
  for (WORD flags : {WORD{DISPATCH_METHOD}, WORD{DISPATCH_PROPERTYGET},
                     WORD{DISPATCH_METHOD | DISPATCH_PROPERTYGET}, WORD{0}}) {
    SCOPED_TRACE(flags);
    unique_variant sum;
    EXPECT_EQ(CallInvoke(add.get(), DISPID_VALUE, flags, {20, 22}, sum.get()), S_OK);
    ASSERT_EQ(sum.type(), VT_I4);
    EXPECT_EQ(V_I4(sum.get()), 42);
  }
  EXPECT_EQ(sample->calls, 4);
  EXPECT_EQ(CallInvoke(add.get(), DISPID_VALUE, DISPATCH_METHOD, {1, 2}, nullptr), S_OK);
  EXPECT_EQ(sample->calls, 5);
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(FunctionObjectTest, HidesTheMethodsFailures) {
  auto sample = Make<IDispatchSampleImpl>();
  com_ptr<IDispatch> fail = ReadMethod(sample.get(), 103);
  com_ptr<IDispatch> add = ReadMethod(sample.get(), 101);
  unique_variant result = variant_i4(-1);
  EXPECT_EQ(CallInvoke(fail.get(), DISPID_VALUE, DISPATCH_METHOD, {}, result.get()), S_OK);
  EXPECT_EQ(CallInvoke(add.get(), DISPID_VALUE, DISPATCH_METHOD, {1}, result.get()), S_OK);
  EXPECT_EQ(sample->calls, 2);
  EXPECT_EQ(V_I4(result.get()), -1);  // neither failing call wrote a result

  auto quiet = Make<IDispatchQuietImpl>();
  com_ptr<IDispatch> exhaust = ReadMethod(quiet.get(), 102);
  EXPECT_EQ(CallInvoke(exhaust.get(), DISPID_VALUE, DISPATCH_METHOD, {}, nullptr), S_OK);
}

TEST_F(FunctionObjectTest, OtherNumbersAreTracedAndStillSucceed) {
  auto sample = Make<IDispatchSampleImpl>();
  com_ptr<IDispatch> add = ReadMethod(sample.get(), 101);
  Trace();
  unique_variant result;
  EXPECT_EQ(CallInvoke(add.get(), 5, DISPATCH_METHOD, {}, result.get()), S_OK);
  EXPECT_EQ(CallInvoke(add.get(), -1, DISPATCH_PROPERTYGET, {1, 2}, result.get()), S_OK);
  EXPECT_EQ(Trace(), (Lines{"CFunctionObject UNKNOWN Invoke dispid=5/0x5 cArg=0",
                            "CFunctionObject UNKNOWN Invoke dispid=-1/0xFFFFFFFF cArg=2"}));
  EXPECT_EQ(result.type(), VT_EMPTY);
  EXPECT_EQ(sample->calls, 0);
}

TEST_F(FunctionObjectTest, HasNoNamesNotEvenWithoutNames) {
  auto sample = Make<IDispatchSampleImpl>();
  com_ptr<IDispatch> add = ReadMethod(sample.get(), 101);
  Trace();
  const wchar_t* names[] = {L"call", L"length"};
  DISPID ids[] = {7, 7, 7};
  EXPECT_EQ(add->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 2, 0, ids),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(ids[2], 7);
  EXPECT_EQ(add->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(Trace(), (Lines{"CFunctionObject GetIDsOfNames UNKNOWN call\r\n",
                            "CFunctionObject GetIDsOfNames UNKNOWN length\r\n"}));

  void* other = nullptr;
  EXPECT_EQ(add->QueryInterface(IID_IEnumVARIANT, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  UINT count = 3;
  EXPECT_EQ(add->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(count, 3u);
}

TEST_F(FunctionObjectTest, KeepsItsObjectAliveAfterTheObjectIsDropped) {
  auto* sample = new IDispatchSampleImpl;
  com_ptr<IDispatch> add = ReadMethod(sample, 101);
  EXPECT_EQ(RefCount(sample), 2u);
  Trace();
  EXPECT_EQ(sample->Release(), 1u);  // the page lets go of the object, keeps the method
  EXPECT_EQ(Trace(), Lines{});

  unique_variant sum;
  EXPECT_EQ(CallInvoke(add.get(), DISPID_VALUE, DISPATCH_METHOD, {3, 4}, sum.get()), S_OK);
  EXPECT_EQ(V_I4(sum.get()), 7);

  // The function object goes first, and takes its object with it.
  add.reset();
  EXPECT_EQ(Trace(), (Lines{"CFunctionObject DESTRUCT\r\n", "IDispatchSampleImpl DESTRUCT\r\n"}));
}

TEST_F(FunctionObjectTest, EachReadMakesANewValueOfItsOwn) {
  auto note = Make<IDispatchNoteImpl>();
  Trace();
  com_ptr<IDispatch> first = ReadMethod(note.get(), 101);
  com_ptr<IDispatch> second = ReadMethod(note.get(), 101);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(RefCount(note.get()), 3u);

  ScriptArgs text;
  text.Add(variant_text(L"ab"));
  EXPECT_EQ(CallInvoke(first.get(), DISPID_VALUE, DISPATCH_METHOD, std::move(text), nullptr), S_OK);
  ScriptArgs more;
  more.Add(variant_text(L"c"));
  EXPECT_EQ(CallInvoke(second.get(), DISPID_VALUE, DISPATCH_METHOD, std::move(more), nullptr),
            S_OK);
  EXPECT_EQ(note->text, L"abc");
  first.reset();
  second.reset();
  EXPECT_EQ(Trace(), (Lines{"CFunctionObject DESTRUCT\r\n", "CFunctionObject DESTRUCT\r\n"}));
  EXPECT_EQ(RefCount(note.get()), 1u);
}

}  // namespace
}  // namespace zuvelo::testing
