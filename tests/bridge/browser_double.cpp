// The web-browser control's test double: its class registration, the control, its documents,
// its two event sets and its view window.
#include "browser_double.h"

#include <exdispid.h>

#include <algorithm>
#include <map>
#include <utility>

#include "bridge/bstr.h"
#include "bridge/variant.h"

namespace zuvelo::testing {
namespace {

// {5A2E1C7B-8D3F-4E61-9B0A-2C4D6E8F1A3B}
constexpr CLSID kDoubleClass = {
    0x5a2e1c7b, 0x8d3f, 0x4e61, {0x9b, 0x0a, 0x2c, 0x4d, 0x6e, 0x8f, 0x1a, 0x3b}};
constexpr const char* kDoubleName = "{5A2E1C7B-8D3F-4E61-9B0A-2C4D6E8F1A3B}";
constexpr const char* kViewClass = "ZuveloBrowserDoubleView";

BrowserDouble* latest = nullptr;
int live_doubles = 0;
int live_documents = 0;
int live_page_objects = 0;
std::vector<UINT> view_messages;

std::wstring TextOf(const VARIANT* value) {
  return value != nullptr && V_VT(value) == VT_BSTR ? std::wstring(bstr_view(V_BSTR(value)))
                                                    : std::wstring();
}

VARIANT Text(const std::wstring& text) {
  VARIANT v;
  variant_text(text).release_to(&v);
  return v;
}

VARIANT Number(LONG n) {
  VARIANT v;
  variant_i4(n).release_to(&v);
  return v;
}

VARIANT Reference(VARTYPE type, void* target) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | type);
  V_BYREF(&v) = target;
  return v;
}

// The control's windows belong to its own modules, not to the program.
HINSTANCE ForeignModule() { return ::GetModuleHandleA("ole32.dll"); }

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_LBUTTONDOWN) {
    view_messages.push_back(message);
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)
               ? static_cast<IClassFactory*>(this)
               : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    com_ptr<IOleObject> made(new BrowserDouble(BrowserDoubleRegistration::options()));
    return made->QueryInterface(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

// One event set's connection point. Its references are the control's.
class BrowserDouble::EventPoint final : public IConnectionPoint {
 public:
  EventPoint(BrowserDouble& owner, const IID& set) : owner_(owner), set_(set) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)
               ? static_cast<IConnectionPoint*>(this)
               : nullptr;
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    *iid = set_;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    return owner_.QueryInterface(IID_IConnectionPointContainer,
                                 reinterpret_cast<void**>(container));
  }
  // As the real control does, the sink is asked for the event set's own identity.
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    com_ptr<IDispatch> events;
    if (sink == nullptr || FAILED(sink->QueryInterface(set_, events.put_void()))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = ++last_cookie_;
    sinks_.emplace(*cookie, std::move(events));
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  std::vector<HRESULT> Fire(DISPID id, DISPPARAMS& params) {
    std::vector<HRESULT> results;
    for (auto& [cookie, sink] : sinks_) {
      results.push_back(
          sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    }
    return results;
  }
  [[nodiscard]] int size() const { return static_cast<int>(sinks_.size()); }
  void Clear() { sinks_.clear(); }

 private:
  BrowserDouble& owner_;
  const IID set_;
  DWORD last_cookie_ = 0;
  std::map<DWORD, com_ptr<IDispatch>> sinks_;
};

BrowserDoubleRegistration::BrowserDoubleRegistration() {
  WNDCLASSA view{};
  view.lpfnWndProc = &ViewProc;
  view.hInstance = ForeignModule();
  view.lpszClassName = kViewClass;
  ::RegisterClassA(&view);  // a second registration fails harmlessly
  if (FAILED(::CoRegisterClassObject(kDoubleClass, &factory, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
    cookie_ = 0;
  }
  control_ = std::make_unique<ScopedBrowserControl>(kDoubleName);
}

BrowserDoubleRegistration::~BrowserDoubleRegistration() {
  if (cookie_ != 0) ::CoRevokeClassObject(cookie_);
}

BrowserDoubleOptions& BrowserDoubleRegistration::options() {
  static BrowserDoubleOptions options;
  return options;
}

std::vector<UINT> TakeViewMessages() { return std::exchange(view_messages, {}); }

PageObject::PageObject() { ++live_page_objects; }

PageObject::~PageObject() { --live_page_objects; }

int PageObject::live() { return live_page_objects; }

STDMETHODIMP PageObject::QueryInterface(REFIID riid, void** ppv) {
  *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)
             ? static_cast<IDispatch*>(this)
             : nullptr;
  if (*ppv == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) PageObject::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) PageObject::Release() {
  const LONG left = ::InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP SiteHandler::QueryInterface(REFIID riid, void** ppv) {
  *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDocHostUIHandler)
             ? static_cast<IDocHostUIHandler*>(this)
             : nullptr;
  if (*ppv == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) SiteHandler::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) SiteHandler::Release() {
  const LONG left = ::InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP SiteHandler::GetHostInfo(DOCHOSTUIINFO* info) {
  ++host_info_asks;
  info->dwFlags = kHostFlags;
  return S_OK;
}

STDMETHODIMP SiteHandler::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  keys.push_back(message->wParam);
  return kKeyAnswer;
}

// The container's handler has no external object.
STDMETHODIMP SiteHandler::GetExternal(IDispatch** external) {
  *external = nullptr;
  return E_NOTIMPL;
}

DocumentDouble::DocumentDouble(std::wstring address_, bool site_handler, IDispatch* script)
    : address(std::move(address_)), script_(com_ptr<IDispatch>::copy_of(script)) {
  ++live_documents;
  if (site_handler) {
    site_ = com_ptr<SiteHandler>(new SiteHandler);
    handler_ = com_ptr<IDocHostUIHandler>::copy_of(site_.get());
  }
}

DocumentDouble::~DocumentDouble() { --live_documents; }

int DocumentDouble::live() { return live_documents; }

STDMETHODIMP DocumentDouble::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, IID_IHTMLDocument) || IsEqualIID(riid, IID_IHTMLDocument2)) {
    *ppv = static_cast<IHTMLDocument2*>(this);
  } else if (IsEqualIID(riid, IID_IServiceProvider)) {
    *ppv = static_cast<IServiceProvider*>(this);
  } else if (IsEqualIID(riid, __uuidof(ICustomDoc))) {
    *ppv = static_cast<ICustomDoc*>(this);
  }
  if (*ppv == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) DocumentDouble::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) DocumentDouble::Release() {
  const LONG left = ::InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP DocumentDouble::get_Script(IDispatch** script) {
  *script = script_.get();
  if (*script == nullptr) return E_FAIL;
  (*script)->AddRef();
  return S_OK;
}

STDMETHODIMP DocumentDouble::get_URL(BSTR* out) {
  *out = make_bstr(address).release();
  return S_OK;
}

STDMETHODIMP DocumentDouble::write(SAFEARRAY* lines) {
  VARIANT* items = nullptr;
  if (lines == nullptr || FAILED(::SafeArrayAccessData(lines, reinterpret_cast<void**>(&items)))) {
    return E_INVALIDARG;
  }
  for (ULONG i = 0; i < lines->rgsabound[0].cElements; ++i) written += TextOf(&items[i]);
  ::SafeArrayUnaccessData(lines);
  return S_OK;
}

STDMETHODIMP DocumentDouble::close() {
  ++closes;
  return S_OK;
}

STDMETHODIMP DocumentDouble::QueryService(REFGUID service, REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (!IsEqualGUID(service, IID_IDocHostUIHandler) || !handler_) return E_NOINTERFACE;
  return handler_->QueryInterface(riid, ppv);
}

STDMETHODIMP DocumentDouble::SetUIHandler(IDocHostUIHandler* handler) {
  handler_ = com_ptr<IDocHostUIHandler>::copy_of(handler);
  ++handler_changes;
  return S_OK;
}

HRESULT DocumentDouble::AskForExternal(com_ptr<IDispatch>& external) const {
  external.reset();
  if (!handler_) return E_NOTIMPL;
  return handler_->GetExternal(external.put());
}

BrowserDouble::BrowserDouble(const BrowserDoubleOptions& options)
    : options_(options),
      first_set_(std::make_unique<EventPoint>(*this, DIID_DWebBrowserEvents)),
      second_set_(std::make_unique<EventPoint>(*this, DIID_DWebBrowserEvents2)) {
  ++live_doubles;
  latest = this;
}

BrowserDouble::~BrowserDouble() {
  --live_doubles;
  if (latest == this) latest = nullptr;
}

BrowserDouble* BrowserDouble::Latest() { return latest; }

int BrowserDouble::live() { return live_doubles; }

STDMETHODIMP BrowserDouble::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject)) {
    *ppv = static_cast<IOleObject*>(this);
  } else if (options_.web_browser &&
             (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IWebBrowser) ||
              IsEqualIID(riid, IID_IWebBrowserApp) || IsEqualIID(riid, IID_IWebBrowser2))) {
    *ppv = static_cast<IWebBrowser2*>(this);
  } else if (options_.in_place_active &&
             (IsEqualIID(riid, IID_IOleInPlaceActiveObject) || IsEqualIID(riid, IID_IOleWindow))) {
    *ppv = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (options_.events && IsEqualIID(riid, IID_IConnectionPointContainer)) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (IsEqualIID(riid, IID_IViewObject)) {
    *ppv = static_cast<IViewObject*>(this);
  }
  if (*ppv == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BrowserDouble::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) BrowserDouble::Release() {
  const LONG left = ::InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

HRESULT BrowserDouble::Step(const wchar_t* name) {
  steps.emplace_back(name);
  return S_OK;
}

STDMETHODIMP BrowserDouble::Navigate(BSTR address, VARIANT* flags, VARIANT* frame,
                                     VARIANT* post_data, VARIANT* headers) {
  NavigateCall call;
  call.address = bstr_view(address);
  call.flags = flags ? V_VT(flags) : VARTYPE{VT_ERROR};
  call.frame = TextOf(frame);
  call.post_data = post_data ? V_VT(post_data) : VARTYPE{VT_ERROR};
  call.headers = TextOf(headers);
  navigations.push_back(call);
  if (!FireBeforeNavigate(call.address)) pending_ = call.address;
  return S_OK;
}

STDMETHODIMP BrowserDouble::get_Document(IDispatch** document) {
  *document = nullptr;
  if (!document_ || document_asks_++ < options_.document_after_asks) return S_FALSE;
  return document_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(document));
}

STDMETHODIMP BrowserDouble::put_RegisterAsDropTarget(VARIANT_BOOL value) {
  drop_target = value;
  ++drop_target_changes;
  return S_OK;
}

// The site keeps the container alive, as with any embedded control.
STDMETHODIMP BrowserDouble::SetClientSite(IOleClientSite* site) {
  site_ = com_ptr<IOleClientSite>::copy_of(site);
  return S_OK;
}

STDMETHODIMP BrowserDouble::GetClientSite(IOleClientSite** site) {
  *site = com_ptr<IOleClientSite>::copy_of(site_.get()).release();
  return *site ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserDouble::Close(DWORD) {
  if (view_ != nullptr) ::DestroyWindow(view_);
  view_ = nullptr;
  document_.reset();
  first_set_->Clear();
  second_set_->Clear();
  return S_OK;
}

STDMETHODIMP BrowserDouble::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) {
  if (verb == OLEIVERB_INPLACEACTIVATE && view_ == nullptr && parent != nullptr) {
    view_ = ::CreateWindowExA(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                              nullptr, ForeignModule(), nullptr);
  }
  return S_OK;
}

STDMETHODIMP BrowserDouble::GetWindow(HWND* window) {
  *window = view_;
  return view_ ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserDouble::TranslateAccelerator(LPMSG message) {
  offered_keys.push_back(*message);
  const auto& taken = options_.accelerators;
  return std::find(taken.begin(), taken.end(), message->wParam) != taken.end() ? S_OK : S_FALSE;
}

STDMETHODIMP BrowserDouble::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  *point = PointFor(riid);
  if (*point == nullptr) return CONNECT_E_NOCONNECTION;
  (*point)->AddRef();
  return S_OK;
}

STDMETHODIMP BrowserDouble::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT || bounds == nullptr) return DV_E_DVASPECT;
  ++draws;
  const RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
  const HBRUSH brush = ::CreateSolidBrush(kContentColor);
  ::FillRect(dc, &area, brush);
  ::DeleteObject(brush);
  return S_OK;
}

BrowserDouble::EventPoint* BrowserDouble::PointFor(REFIID set) const {
  if (IsEqualIID(set, DIID_DWebBrowserEvents)) return first_set_.get();
  if (IsEqualIID(set, DIID_DWebBrowserEvents2)) return second_set_.get();
  return nullptr;
}

int BrowserDouble::sinks(REFIID set) const {
  const EventPoint* point = PointFor(set);
  return point ? point->size() : 0;
}

void BrowserDouble::ShowDocument(const std::wstring& address) {
  document_ =
      com_ptr<DocumentDouble>(new DocumentDouble(address, options_.site_handler, script.get()));
}

void BrowserDouble::DropDocument() { document_.reset(); }

void BrowserDouble::CompleteNavigation(const std::wstring& address) {
  const std::wstring target = address.empty() ? std::exchange(pending_, {}) : address;
  ShowDocument(target);
  Fire(DIID_DWebBrowserEvents, DISPID_NAVIGATECOMPLETE, {Text(target)});
  VARIANT document;
  variant_dispatch(static_cast<IHTMLDocument2*>(document_.get())).release_to(&document);
  Fire(DIID_DWebBrowserEvents2, DISPID_DOCUMENTCOMPLETE, {document, Text(target)});
}

// Automation stores arguments last-first, so the given script order is reversed here.
std::vector<HRESULT> BrowserDouble::Fire(REFIID set, DISPID id, std::vector<VARIANT> args) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                    0};
  const com_ptr<IOleObject> keep = com_ptr<IOleObject>::copy_of(this);
  std::vector<HRESULT> results = PointFor(set)->Fire(id, params);
  for (VARIANT& arg : args) ::VariantClear(&arg);
  return results;
}

bool BrowserDouble::FireBeforeNavigate(const std::wstring& address) {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT post_data;
  ::VariantInit(&post_data);
  Fire(DIID_DWebBrowserEvents, DISPID_BEFORENAVIGATE,
       {Text(address), Number(0), Text(L""), Reference(VT_VARIANT, &post_data), Text(L""),
        Reference(VT_BOOL, &cancel)});
  return cancel != VARIANT_FALSE;
}

void BrowserDouble::FireOnBothSets(DISPID id, const std::wstring& text) {
  Fire(DIID_DWebBrowserEvents, id, {Text(text)});
  Fire(DIID_DWebBrowserEvents2, id, {Text(text)});
}

bool BrowserDouble::FireNewWindow(DISPID id, VARIANT address) {
  VARIANT_BOOL processed = VARIANT_FALSE;
  VARIANT post_data;
  ::VariantInit(&post_data);
  Fire(DIID_DWebBrowserEvents, id,
       {address, Number(0), Text(L""), Reference(VT_VARIANT, &post_data), Text(L""),
        Reference(VT_BOOL, &processed)});
  return processed != VARIANT_FALSE;
}

}  // namespace zuvelo::testing
