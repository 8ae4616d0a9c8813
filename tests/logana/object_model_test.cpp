// What every class here shares with the program's other script objects, checked per class:
// its names in the trace, its unknown-name and unknown-number lines, its one face, its life.
#include <dispex.h>

#include <functional>
#include <memory>

#include "bridge/jscript_host_win.h"
#include "hand/tehai.h"
#include "logana/cache_object_win.h"
#include "logana/log_info_object_win.h"
#include "logana/player_object_win.h"
#include "logana/tehai_object_win.h"
#include "objects_test.h"

namespace zuvelo::testing {
namespace {

struct ClassCase {
  const char* name;
  std::function<com_ptr<IDispatch>(HWND host)> make;
  const wchar_t* member;  // a member name, for the lookups
  DISPID member_id;
  const char* constructed;  // null: no line
  const char* unknown_999;  // Invoke of 999 with one argument and wFlags 3
  const char* wrong_case;   // the lookup of the member name with its first letter raised
};

template <class T>
com_ptr<IDispatch> AsDispatch(com_ptr<T> object) {
  return com_ptr<IDispatch>(object.release());
}

std::vector<ClassCase> Classes() {
  return {
      {"IDispatchLogInfoImpl", [](HWND) { return AsDispatch(IDispatchLogInfoImpl::Create()); },
       L"filetw", 108, nullptr, "IDispatchLogInfoImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=1",
       "IDispatchLogInfoImpl GetIDsOfNames UNKNOWN Filetw\r\n"},
      {"IDispatchPlayerImpl",
       [](HWND host) {
         return AsDispatch(IDispatchPlayerImpl::Create(std::make_shared<Player>(), host));
       },
       L"rate", 103, nullptr, "IDispatchPlayerImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=1",
       "IDispatchPlayerImpl GetIDsOfNames UNKNOWN Rate\r\n"},
      {"IDispatchTehaiImpl",
       [](HWND host) {
         return AsDispatch(IDispatchTehaiImpl::Create(std::make_shared<Tehai>(), host));
       },
       L"machiCount", 104, nullptr, "IDispatchTehaiImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=1",
       "IDispatchTehaiImpl GetIDsOfNames UNKNOWN MachiCount\r\n"},
      {"IDispatchCacheImpl", [](HWND) { return AsDispatch(IDispatchCacheImpl::Create()); }, L"set",
       103, "IDispatchCacheImpl CONSTRUCT\r\n",
       "IDispatchCacheImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=1 wFlags=3\r\n",
       "IDispatchCacheImpl GetIDsOfNames UNKNOWN Set\r\n"},
  };
}

std::wstring Raised(const wchar_t* name) {
  std::wstring raised(name);
  raised[0] = static_cast<wchar_t>(::towupper(raised[0]));
  return raised;
}

class ObjectModelTest : public ObjectsTest {
 protected:
  JScriptHost engine_;
  ScriptHostWindow host_{engine_.Global().get()};
};

TEST_F(ObjectModelTest, EachClassNamesItselfInItsLinesAndLivesByItsCount) {
  for (const ClassCase& c : Classes()) {
    SCOPED_TRACE(c.name);
    com_ptr<IDispatch> object = c.make(host_.hwnd());
    ASSERT_TRUE(object);
    EXPECT_EQ(RefCount(object.get()), 1u);
    Lines expected;
    if (c.constructed) expected.push_back(c.constructed);
    EXPECT_EQ(Trace(), expected);

    // Names: exact and case-sensitive; an unknown first name does not stop the second.
    const std::wstring wrong = Raised(c.member);
    LPOLESTR names[] = {const_cast<LPOLESTR>(wrong.c_str()), const_cast<LPOLESTR>(c.member)};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], c.member_id);
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 0, 0, ids), S_OK);
    EXPECT_EQ(Trace(), Lines{c.wrong_case});

    unique_variant result;
    EXPECT_EQ(
        Call(object.get(), 999, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args({L"x"}), result.get()),
        DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(result.type(), VT_EMPTY);
    EXPECT_EQ(Trace(), Lines{c.unknown_999});

    // One face for IUnknown and IDispatch, nothing else.
    void* face = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &face), S_OK);
    EXPECT_EQ(face, static_cast<void*>(object.get()));
    static_cast<IUnknown*>(face)->Release();
    face = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(__uuidof(IDispatchEx), &face), E_NOINTERFACE);
    EXPECT_EQ(face, nullptr);
    UINT count = 77;
    EXPECT_EQ(object->GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(count, 77u);

    const std::string destroyed = std::string(c.name) + " DESTRUCT\r\n";
    EXPECT_EQ(object.release()->Release(), 0u);
    // A player takes its hand with it.
    Lines gone{destroyed};
    if (std::string(c.name) == "IDispatchPlayerImpl")
      gone.insert(gone.begin(), "IDispatchTehaiImpl DESTRUCT\r\n");
    EXPECT_EQ(Trace(), gone);
  }
  EXPECT_TRUE(boxes_.Take().empty());
}

// A write to anything is refused without a line: no class here has a writable member.
TEST_F(ObjectModelTest, NothingIsWritable) {
  for (const ClassCase& c : Classes()) {
    SCOPED_TRACE(c.name);
    com_ptr<IDispatch> object = c.make(host_.hwnd());
    Trace();
    for (WORD flags : {WORD{DISPATCH_PROPERTYPUT}, WORD{DISPATCH_PROPERTYPUTREF}}) {
      EXPECT_EQ(Call(object.get(), c.member_id, flags, Args({L"x"}), nullptr),
                DISP_E_MEMBERNOTFOUND);
    }
    EXPECT_EQ(Trace(), Lines{});
    object.reset();
    Trace();
  }
}

}  // namespace
}  // namespace zuvelo::testing
