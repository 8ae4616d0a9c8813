// Script classes made only for the tests, one per Invoke flavour, each declaring nothing but
// its table, its members and its trace texts, as the program's classes do.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bridge/automation_object.h"
#include "shell/mainthread_calls_win.h"

namespace zuvelo::testing {

// Objects of these classes alive right now, for the leak check after every test.
int LiveSampleObjects();

// Counts itself in and out.
class LiveCount {
 public:
  LiveCount();
  ~LiveCount();
  LiveCount(const LiveCount&) = delete;
  LiveCount& operator=(const LiveCount&) = delete;
};

// Methods and properties, one of them writable; reaches back into script through the value
// readers, the array builders and CallJSFunc.
class IDispatchSampleImpl final : public AutomationObject<IDispatchSampleImpl>, LiveCount {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      "IDispatchSampleImpl CONSTRUCT\r\n",
      "IDispatchSampleImpl DESTRUCT\r\n",
      "IDispatchSampleImpl GetIDsOfNames UNKNOWN %ls\r\n",
      "IDispatchSampleImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d wFlags=%X\r\n",
      true,
  };
  static std::span<const Member<IDispatchSampleImpl>> Members();

  HRESULT Add(const Invocation& call);      // add(a, b): two integers
  HRESULT Join(const Invocation& call);     // join(...): texts in script order, "|" between
  HRESULT Fail(const Invocation& call);     // fail(): E_FAIL
  HRESULT Calls(const Invocation& call);    // calls: methods run so far
  HRESULT GetSlot(const Invocation& call);  // slot: an object, read and write
  HRESULT PutSlot(const Invocation& call);
  HRESULT Sum(const Invocation& call);    // sum(array): "length" and elements as integers
  HRESULT Build(const Invocation& call);  // build(scope, kind): an array from our builders

  int calls = 0;
  zuvelo::com_ptr<IDispatch> slot;
};

// Properties only, with a default member that is the object itself.
class IDispatchRecordImpl final : public AutomationObject<IDispatchRecordImpl>, LiveCount {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kPropertiesOnly,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      "IDispatchRecordImpl DESTRUCT\r\n",
      "IDispatchRecordImpl GetIDsOfNames UNKNOWN %ls\r\n",
      "IDispatchRecordImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchRecordImpl>> Members();

  HRESULT Self(const Invocation& call);
  HRESULT Name(const Invocation& call);
  HRESULT Score(const Invocation& call);

  std::wstring name = L"east";
  int score = 25000;
};

// Every member through the hand-out rule with the caller's flags, like the file writer.
class IDispatchNoteImpl final : public AutomationObject<IDispatchNoteImpl>, LiveCount {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kHandOutEverything,
      DISP_E_UNKNOWNNAME,
      "IDispatchNoteImpl CONSTRUCT\r\n",
      "IDispatchNoteImpl DESTRUCT\r\n",
      "IDispatchNoteImpl GetIDsOfNames UNKNOWN %ls\r\n",
      "IDispatchNoteImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchNoteImpl>> Members();

  HRESULT Write(const Invocation& call);  // write(text): exactly one text
  HRESULT Read(const Invocation& call);   // read(): the text so far
  HRESULT Clear(const Invocation& call);

  std::wstring text;
};

// No trace lines at all, and names of its own: decimal numbers 0..9 name members 200..209
// (like a class that computes names from their text).
class IDispatchQuietImpl final : public AutomationObject<IDispatchQuietImpl>, LiveCount {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      nullptr,
      nullptr,
      "IDispatchQuietImpl GetIDsOfNames UNKNOWN %ls\r\n",
      nullptr,
  };
  static std::span<const Member<IDispatchQuietImpl>> Members();

  HRESULT LookupName(const wchar_t* name, DISPID* id);
  const Member<IDispatchQuietImpl>* FindMember(DISPID id);

  HRESULT Ping(const Invocation& call);
  HRESULT Digit(const Invocation& call);
  HRESULT Exhaust(const Invocation& call);  // throws std::bad_alloc
  HRESULT Throw(const Invocation& call);    // throws something else
  HRESULT Maybe(const Invocation& call);    // S_FALSE
};

// The analyzer's shape: a script face and an attachable face sharing one count.
class IDispatchWorkerImpl final : public AutomationObject<IDispatchWorkerImpl>,
                                  public AttachableObject,
                                  LiveCount {
 public:
  static constexpr ScriptClass kClass{
      InvokeStyle::kMethods,
      DISP_E_MEMBERNOTFOUND,
      "IDispatchWorkerImpl CONSTRUCT\r\n",
      "IDispatchWorkerImpl DESTRUCT\r\n",
      "IDispatchWorkerImpl GetIDsOfNames UNKNOWN %ls\r\n",
      "IDispatchWorkerImpl UNKNOWN Invoke dispid=%d/0x%0X cArg=%d",
  };
  static std::span<const Member<IDispatchWorkerImpl>> Members();

  STDMETHODIMP_(ULONG) AddRef() override { return AutomationObject::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override;
  void MainThreadStep() override;

  HRESULT Steps(const Invocation& call);

  int steps = 0;
  DWORD step_thread = 0;
  // Every Release as (object, count left), for checking who let go and in which order.
  static std::vector<std::pair<const void*, ULONG>>& Releases();
};

}  // namespace zuvelo::testing
