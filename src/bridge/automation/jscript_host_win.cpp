// JScript through IActiveScript/IActiveScriptParse: site, named items and error collection.
#include "bridge/automation/jscript_host_win.h"

#include <algorithm>
#include <string>

#include "base/bstr_win.h"
#include "bridge/automation/script_object.h"

namespace zuvelo {
namespace {

// Declared nowhere in the MinGW headers.
constexpr CLSID kJScript = {
    0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};

// Owns the texts that the engine put into an EXCEPINFO.
struct ExceptionTexts {
  explicit ExceptionTexts(const EXCEPINFO& info)
      : source(info.bstrSource), description(info.bstrDescription), help(info.bstrHelpFile) {}
  unique_bstr source, description, help;
};

ScriptError ReadError(IActiveScriptError* error) {
  ScriptError out;
  EXCEPINFO info{};
  if (SUCCEEDED(error->GetExceptionInfo(&info))) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ExceptionTexts texts(info);
    out.code = info.scode;
    out.description = std::wstring(bstr_view(texts.description.get()));
  }
  DWORD context = 0;
  LONG column = 0;
  error->GetSourcePosition(&context, &out.line, &column);
  return out;
}

}  // namespace

class JScriptHost::Site final : public IActiveScriptSite {
 public:
  std::map<std::wstring, com_ptr<IDispatch>> items;
  std::vector<ScriptError> errors;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IActiveScriptSite))) {
      *ppv = static_cast<IActiveScriptSite*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetLCID(LCID* lcid) override {
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown,
                           ITypeInfo** info) override {
    if (unknown) *unknown = nullptr;
    if (info) *info = nullptr;
    return NoThrow("GetItemInfo", [&] {
      auto found = items.find(name);
      if (found == items.end()) return TYPE_E_ELEMENTNOTFOUND;
      if ((mask & SCRIPTINFO_IUNKNOWN) && unknown) {
        found->second->AddRef();
        *unknown = found->second.get();
      }
      return S_OK;
    });
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    return NoThrow("OnScriptError", [&] {
      errors.push_back(ReadError(error));
      return S_OK;
    });
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  ~Site() = default;
  LONG refs_ = 1;
};

JScriptHost::JScriptHost() {
  status_ = ::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                               engine_.put_void());
  if (FAILED(status_)) return;
  status_ = engine_.query(parser_);
  if (FAILED(status_)) return;
  site_ = new Site;
  status_ = engine_->SetScriptSite(site_);
  if (SUCCEEDED(status_)) status_ = parser_->InitNew();
  if (SUCCEEDED(status_)) status_ = engine_->SetScriptState(SCRIPTSTATE_CONNECTED);
}

JScriptHost::~JScriptHost() { Close(); }

void JScriptHost::Close() {
  if (engine_) {
    engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    engine_->Close();
  }
  parser_.reset();
  engine_.reset();
  if (site_) {
    site_->items.clear();
    site_->Release();
    site_ = nullptr;
  }
}

HRESULT JScriptHost::AddNamedItem(const wchar_t* name, IDispatch* object) {
  if (!ok()) return status_;
  site_->items[name] = com_ptr<IDispatch>::copy_of(object);
  return engine_->AddNamedItem(name, SCRIPTITEM_ISVISIBLE);
}

HRESULT JScriptHost::Run(std::wstring_view code) {
  if (!ok()) return status_;
  std::wstring text(code);
  EXCEPINFO info{};
  const HRESULT hr = parser_->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 1,
                                              SCRIPTTEXT_ISVISIBLE, nullptr, &info);
  ExceptionTexts texts(info);
  return hr;
}

HRESULT JScriptHost::Evaluate(std::wstring_view expression, VARIANT* result) {
  if (!ok()) return status_;
  std::wstring text(expression);
  EXCEPINFO info{};
  ::VariantInit(result);
  const HRESULT hr = parser_->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 1,
                                              SCRIPTTEXT_ISEXPRESSION, result, &info);
  ExceptionTexts texts(info);
  return hr;
}

com_ptr<IDispatch> JScriptHost::Global() {
  com_ptr<IDispatch> global;
  if (ok()) engine_->GetScriptDispatch(nullptr, global.put());
  return global;
}

HRESULT JScriptHost::Call(const wchar_t* function, std::span<const VARIANT> args, VARIANT* result) {
  com_ptr<IDispatch> global = Global();
  if (!global) return E_UNEXPECTED;
  LPOLESTR names[] = {const_cast<LPOLESTR>(function)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = global->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  // Arguments are only read by the callee, so shallow copies in storage order do.
  std::vector<VARIANT> stored(args.rbegin(), args.rend());
  DISPPARAMS params{stored.empty() ? nullptr : stored.data(), nullptr,
                    static_cast<UINT>(stored.size()), 0};
  if (result) ::VariantInit(result);
  return global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                        nullptr, nullptr);
}

std::vector<ScriptError> JScriptHost::TakeErrors() {
  std::vector<ScriptError> taken;
  if (site_) taken.swap(site_->errors);
  return taken;
}

}  // namespace zuvelo
