// Program-wide set-up of the script object tests and their helpers.
#include "objects_test.h"

#include "bridge/bstr.h"
#include "shell/mainthread_calls_win.h"
#include "support/com_test_environment.h"

namespace zuvelo::testing {
namespace {

constexpr const char* kHostClass = "ZuveloTestScriptHost";

ZUVELO_COM_TEST_ENVIRONMENT();

void RegisterHostClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.lpszClassName = kHostClass;
    return ::RegisterClassA(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

TraceListener& TraceReceiver() {
  static TraceListener receiver(120000);
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

ScriptHostWindow::ScriptHostWindow(IDispatch* script)
    : script_(com_ptr<IDispatch>::copy_of(script)) {
  RegisterHostClass(&Proc);
  window_ = ::CreateWindowExA(0, kHostClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleA(nullptr), this);
}

ScriptHostWindow::~ScriptHostWindow() {
  if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK ScriptHostWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ScriptHostWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM__NAMED_COMMAND) {
    static constexpr NamedCommandEntry<ScriptHostWindow> commands[] = {
        {"GETSCRIPT", &ScriptHostWindow::GetScript},
    };
    if (auto answer = DispatchNamedCommand<ScriptHostWindow>(*self, commands, wparam, lparam))
      return *answer;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

LRESULT ScriptHostWindow::GetScript(WPARAM argument) {
  ++requests_;
  last_argument_ = argument;
  return reinterpret_cast<LRESULT>(com_ptr<IDispatch>::copy_of(script_.get()).release());
}

DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* hr) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 12345;
  const HRESULT looked = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (hr) *hr = looked;
  return id;
}

HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<unique_variant> args,
             VARIANT* result) {
  std::vector<VARIANT> stored;
  for (auto it = args.rbegin(); it != args.rend(); ++it) stored.push_back(*it->get());
  DISPPARAMS params{stored.empty() ? nullptr : stored.data(), nullptr,
                    static_cast<UINT>(stored.size()), 0};
  return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

HRESULT Read(IDispatch* object, DISPID id, VARIANT* result) {
  return Call(object, id, DISPATCH_PROPERTYGET, {}, result);
}

std::vector<unique_variant> Args(std::initializer_list<const wchar_t*> texts) {
  std::vector<unique_variant> args;
  for (const wchar_t* text : texts) args.push_back(variant_text(text));
  return args;
}

std::wstring TextOf(const unique_variant& value) {
  if (value.type() != VT_BSTR) return L"<vt " + std::to_wstring(value.type()) + L">";
  return std::wstring(bstr_view(V_BSTR(value.get())));
}

std::wstring ScriptText(const unique_variant& value) {
  switch (value.type()) {
    case VT_EMPTY:
      return L"undefined";
    case VT_NULL:
      return L"null";
    case VT_BOOL:
      return V_BOOL(value.get()) ? L"true" : L"false";
    case VT_BSTR:
      return TextOf(value);
    default:
      break;
  }
  unique_variant text;
  if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(value.get()), 0, VT_BSTR)))
    return L"<no text>";
  return TextOf(text);
}

}  // namespace zuvelo::testing
