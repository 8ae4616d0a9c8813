// The web-browser control's double (Wine has no page engine): navigations and events on demand.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>
#include <oleidl.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/com_ptr_win.h"
#include "base/variant_win.h"
#include "bridge/browser_host_win.h"

// Unused methods: ZV_STUBS(result, (name, types...)...); ZV_GETTERS/ZV_PROPERTIES(type, names).
#define ZV_PARENS ()
#define ZV_EXPAND(...) ZV_EXPAND3(ZV_EXPAND3(ZV_EXPAND3(ZV_EXPAND3(__VA_ARGS__))))
#define ZV_EXPAND3(...) ZV_EXPAND2(ZV_EXPAND2(ZV_EXPAND2(ZV_EXPAND2(__VA_ARGS__))))
#define ZV_EXPAND2(...) ZV_EXPAND1(ZV_EXPAND1(ZV_EXPAND1(ZV_EXPAND1(__VA_ARGS__))))
#define ZV_EXPAND1(...) __VA_ARGS__
#define ZV_EACH(m, x, ...) __VA_OPT__(ZV_EXPAND(ZV_EACH_STEP(m, x, __VA_ARGS__)))
#define ZV_EACH_STEP(m, x, a, ...) m(x, a) __VA_OPT__(ZV_EACH_AGAIN ZV_PARENS(m, x, __VA_ARGS__))
#define ZV_EACH_AGAIN() ZV_EACH_STEP
#define ZV_STRIP(...) __VA_ARGS__
#define ZV_CALL(m, ...) m(__VA_ARGS__)
#define ZV_DEFINE(result, name, ...) \
  STDMETHODIMP name(__VA_ARGS__) override { return result; }
#define ZV_STUB(result, signature) ZV_CALL(ZV_DEFINE, result, ZV_STRIP signature)
#define ZV_GETTER(type, name) ZV_DEFINE(E_NOTIMPL, get_##name, type*)
#define ZV_PROPERTY(type, name) ZV_GETTER(type, name) ZV_DEFINE(E_NOTIMPL, put_##name, type)
#define ZV_STUBS(result, ...) ZV_EACH(ZV_STUB, result, __VA_ARGS__)
#define ZV_GETTERS(type, ...) ZV_EACH(ZV_GETTER, type, __VA_ARGS__)
#define ZV_PROPERTIES(type, ...) ZV_EACH(ZV_PROPERTY, type, __VA_ARGS__)
#define ZV_DISPATCH_STUBS                                                                \
  ZV_STUBS(E_NOTIMPL, (GetTypeInfoCount, UINT*), (GetTypeInfo, UINT, LCID, ITypeInfo**), \
           (GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*),                      \
           (Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

namespace zuvelo::testing {

template <class... Faces>
class Counted : public Faces... {
 public:
  Counted() { ++alive; }
  STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  static int live() { return alive; }

 protected:
  virtual ~Counted() { --alive; }

 private:
  static inline int alive = 0;
  LONG refs_ = 1;
};

struct Face {
  std::initializer_list<IID> iids;
  IUnknown* face;
};
inline HRESULT Offer(REFIID riid, void** ppv, std::initializer_list<Face> faces) {
  for (const Face& f : faces) {
    if (f.face && std::find(f.iids.begin(), f.iids.end(), riid) != f.iids.end()) {
      f.face->AddRef();
      return *ppv = f.face, S_OK;
    }
  }
  return *ppv = nullptr, E_NOINTERFACE;
}

inline VARIANT Raw(unique_variant value) {
  VARIANT raw;
  value.release_to(&raw);
  return raw;
}

inline std::string WindowText(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

struct BrowserDoubleOptions {
  bool web_browser = true;      // answers IWebBrowser and IWebBrowser2
  bool events = true;           // offers its connection points
  bool in_place_active = true;  // answers IOleInPlaceActiveObject
  bool site_handler = true;     // new documents start with a handler of the container
  int document_after_asks = 0;  // get_Document answers "none" this many times first
};

class PageObject final : public Counted<IDispatch> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return Offer(riid, ppv, {{{IID_IUnknown, IID_IDispatch}, this}});
  }
  ZV_DISPATCH_STUBS;
};

class SiteHandler final : public Counted<IDocHostUIHandler> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return Offer(riid, ppv, {{{IID_IUnknown, IID_IDocHostUIHandler}, this}});
  }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    info->dwFlags = kHostFlags;
    return S_OK;
  }
  ZV_STUBS(kKeyAnswer, (TranslateAccelerator, LPMSG, const GUID*, DWORD));
  ZV_STUBS(E_NOTIMPL, (GetExternal, IDispatch**),
           (ShowContextMenu, DWORD, POINT*, IUnknown*, IDispatch*),
           (ShowUI, DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
            IOleInPlaceUIWindow*),
           (HideUI), (UpdateUI), (EnableModeless, BOOL), (OnDocWindowActivate, BOOL),
           (OnFrameWindowActivate, BOOL), (ResizeBorder, LPCRECT, IOleInPlaceUIWindow*, BOOL),
           (GetOptionKeyPath, LPOLESTR*, DWORD), (GetDropTarget, IDropTarget*, IDropTarget**),
           (TranslateUrl, DWORD, OLECHAR*, OLECHAR**),
           (FilterDataObject, IDataObject*, IDataObject**));

  static constexpr DWORD kHostFlags = DOCHOSTUIFLAG_NO3DBORDER;
  static constexpr HRESULT kKeyAnswer = 0x00000123;
};

class DocumentDouble final : public Counted<IHTMLDocument2, IServiceProvider, ICustomDoc> {
 public:
  DocumentDouble(std::wstring address, bool site_handler, IDispatch* script)
      : address(std::move(address)), script_(com_ptr<IDispatch>::copy_of(script)) {
    if (site_handler) site_ = com_ptr<SiteHandler>(new SiteHandler);
    handler_ = com_ptr<IDocHostUIHandler>::copy_of(site_.get());
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return Offer(riid, ppv,
                 {{{IID_IUnknown, IID_IDispatch, IID_IHTMLDocument, IID_IHTMLDocument2},
                   static_cast<IHTMLDocument2*>(this)},
                  {{IID_IServiceProvider}, static_cast<IServiceProvider*>(this)},
                  {{__uuidof(ICustomDoc)}, static_cast<ICustomDoc*>(this)}});
  }
  STDMETHODIMP get_Script(IDispatch** script) override {
    *script = com_ptr<IDispatch>::copy_of(script_.get()).release();
    return *script ? S_OK : E_FAIL;
  }
  STDMETHODIMP get_URL(BSTR* out) override {
    *out = make_bstr(address).release();
    return S_OK;
  }
  STDMETHODIMP write(SAFEARRAY* lines) override {
    VARIANT* items = nullptr;
    if (FAILED(::SafeArrayAccessData(lines, reinterpret_cast<void**>(&items)))) return E_INVALIDARG;
    for (ULONG i = 0; i < lines->rgsabound[0].cElements; ++i) {
      if (V_VT(&items[i]) == VT_BSTR) written += bstr_view(V_BSTR(&items[i]));
    }
    return ::SafeArrayUnaccessData(lines);
  }
  STDMETHODIMP close() override {
    ++closes;
    return S_OK;
  }
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (service != IID_IDocHostUIHandler || !handler_) return E_NOINTERFACE;
    return handler_->QueryInterface(riid, ppv);
  }
  STDMETHODIMP SetUIHandler(IDocHostUIHandler* handler) override {
    handler_ = com_ptr<IDocHostUIHandler>::copy_of(handler);
    ++handler_changes;
    return S_OK;
  }
  ZV_DISPATCH_STUBS;
  ZV_GETTERS(IHTMLElementCollection*, all, images, applets, links, forms, anchors, scripts, embeds,
             plugins);
  ZV_GETTERS(IHTMLElement*, body, activeElement);
  ZV_GETTERS(BSTR, readyState, referrer, lastModified, mimeType, fileSize, fileCreatedDate,
             fileModifiedDate, fileUpdatedDate, security, protocol, nameProp);
  ZV_PROPERTIES(BSTR, title, designMode, domain, cookie, charset, defaultCharset);
  ZV_PROPERTIES(VARIANT_BOOL, expando);
  ZV_PROPERTIES(VARIANT, alinkColor, bgColor, fgColor, linkColor, vlinkColor, onhelp, onclick,
                ondblclick, onkeyup, onkeydown, onkeypress, onmouseup, onmousedown, onmousemove,
                onmouseout, onmouseover, onreadystatechange, onafterupdate, onrowexit, onrowenter,
                ondragstart, onselectstart, onbeforeupdate, onerrorupdate);
  ZV_STUBS(E_NOTIMPL, (get_selection, IHTMLSelectionObject**),
           (get_frames, IHTMLFramesCollection2**), (get_location, IHTMLLocation**), (put_URL, BSTR),
           (writeln, SAFEARRAY*), (open, BSTR, VARIANT, VARIANT, VARIANT, IDispatch**), (clear),
           (queryCommandSupported, BSTR, VARIANT_BOOL*), (queryCommandEnabled, BSTR, VARIANT_BOOL*),
           (queryCommandState, BSTR, VARIANT_BOOL*), (queryCommandIndeterm, BSTR, VARIANT_BOOL*),
           (queryCommandText, BSTR, BSTR*), (queryCommandValue, BSTR, VARIANT*),
           (execCommand, BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL*),
           (execCommandShowHelp, BSTR, VARIANT_BOOL*), (createElement, BSTR, IHTMLElement**),
           (elementFromPoint, LONG, LONG, IHTMLElement**), (get_parentWindow, IHTMLWindow2**),
           (get_styleSheets, IHTMLStyleSheetsCollection**), (toString, BSTR*),
           (createStyleSheet, BSTR, LONG, IHTMLStyleSheet**));

  [[nodiscard]] IDocHostUIHandler* handler() const { return handler_.get(); }
  [[nodiscard]] SiteHandler* site_handler() const { return site_.get(); }
  HRESULT AskForExternal(com_ptr<IDispatch>& external) const {
    external.reset();
    return handler_ ? handler_->GetExternal(external.put()) : E_NOTIMPL;
  }

  const std::wstring address;
  std::wstring written;
  int closes = 0;
  int handler_changes = 0;

 private:
  com_ptr<SiteHandler> site_;
  com_ptr<IDocHostUIHandler> handler_;
  com_ptr<IDispatch> script_;
};

struct NavigateCall {
  std::wstring address;
  VARTYPE flags = VT_EMPTY;
  std::wstring frame;
  VARTYPE post_data = VT_EMPTY;
  std::wstring headers;

  bool operator==(const NavigateCall&) const = default;
};

inline std::vector<UINT> view_messages;
inline std::vector<UINT> TakeViewMessages() { return std::exchange(view_messages, {}); }

class BrowserDouble final
    : public Counted<IWebBrowser2, IOleObject, IOleInPlaceActiveObject, IConnectionPointContainer,
                     IConnectionPoint, IViewObject> {
 public:
  static constexpr const char* kViewClass = "ZuveloBrowserDoubleView";
  static constexpr COLORREF kContentColor = RGB(10, 200, 30);

  explicit BrowserDouble(const BrowserDoubleOptions& options) : options_(options) { latest = this; }
  ~BrowserDouble() override {
    if (latest == this) latest = nullptr;
  }
  static BrowserDouble* Latest() { return latest; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    const auto when = [](bool on, IUnknown* face) { return on ? face : nullptr; };
    return Offer(riid, ppv,
                 {{{IID_IUnknown, IID_IOleObject}, static_cast<IOleObject*>(this)},
                  {{IID_IDispatch, IID_IWebBrowser, IID_IWebBrowserApp, IID_IWebBrowser2},
                   when(options_.web_browser, static_cast<IWebBrowser2*>(this))},
                  {{IID_IOleInPlaceActiveObject, IID_IOleWindow},
                   when(options_.in_place_active, static_cast<IOleInPlaceActiveObject*>(this))},
                  {{IID_IConnectionPointContainer},
                   when(options_.events, static_cast<IConnectionPointContainer*>(this))},
                  {{IID_IViewObject}, static_cast<IViewObject*>(this)}});
  }
  STDMETHODIMP GoBack() override { return Step(L"GoBack"); }
  STDMETHODIMP GoForward() override { return Step(L"GoForward"); }
  STDMETHODIMP GoHome() override { return Step(L"GoHome"); }
  STDMETHODIMP Refresh() override { return Step(L"Refresh"); }
  STDMETHODIMP Navigate(BSTR address, VARIANT* flags, VARIANT* frame, VARIANT* post_data,
                        VARIANT* headers) override {
    const auto text = [](const VARIANT* v) {
      return std::wstring(v && V_VT(v) == VT_BSTR ? bstr_view(V_BSTR(v)) : L"");
    };
    const auto type = [](const VARIANT* v) { return v ? V_VT(v) : VARTYPE{VT_ERROR}; };
    const std::wstring target(bstr_view(address));
    navigations.push_back({target, type(flags), text(frame), type(post_data), text(headers)});
    if (!FireWithFlag(DISPID_BEFORENAVIGATE, Raw(variant_text(target)))) pending_ = target;
    return S_OK;
  }
  STDMETHODIMP get_Document(IDispatch** document) override {
    *document = nullptr;
    if (!document_ || document_asks_++ < options_.document_after_asks) return S_FALSE;
    return document_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(document));
  }
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL value) override {
    drop_targets.push_back(value);
    return S_OK;
  }
  ZV_DISPATCH_STUBS;
  ZV_STUBS(E_NOTIMPL, (GoSearch), (Stop), (Quit), (Refresh2, VARIANT*),
           (ClientToWindow, int*, int*), (PutProperty, BSTR, VARIANT),
           (GetProperty, BSTR, VARIANT*),
           (Navigate2, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*),
           (QueryStatusWB, OLECMDID, OLECMDF*),
           (ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*),
           (ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*),
           (get_RegisterAsDropTarget, VARIANT_BOOL*));
  ZV_GETTERS(IDispatch*, Application, Parent, Container);
  ZV_GETTERS(BSTR, Type, LocationName, LocationURL, Name, FullName, Path);
  ZV_GETTERS(VARIANT_BOOL, TopLevelContainer, Busy);
  ZV_GETTERS(SHANDLE_PTR, HWND);
  ZV_GETTERS(READYSTATE, ReadyState);
  ZV_PROPERTIES(LONG, Left, Top, Width, Height);
  ZV_PROPERTIES(BSTR, StatusText);
  ZV_PROPERTIES(int, ToolBar);
  ZV_PROPERTIES(VARIANT_BOOL, Visible, StatusBar, MenuBar, FullScreen, Offline, Silent,
                RegisterAsBrowser, TheaterMode, AddressBar, Resizable);
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {  // the host lives on this reference
    site_ = com_ptr<IOleClientSite>::copy_of(site);
    return S_OK;
  }
  STDMETHODIMP Close(DWORD) override {
    if (view_ != nullptr) ::DestroyWindow(std::exchange(view_, nullptr));
    document_.reset();
    sinks_.clear();
    return S_OK;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) override {
    if (verb == OLEIVERB_INPLACEACTIVATE && view_ == nullptr && parent != nullptr) {
      view_ = ::CreateWindowExA(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                                nullptr, ::GetModuleHandleA("ole32.dll"), nullptr);
    }
    return S_OK;
  }
  ZV_STUBS(S_OK, (SetHostNames, LPCOLESTR, LPCOLESTR), (Update), (IsUpToDate),
           (SetExtent, DWORD, SIZEL*));
  ZV_STUBS(E_NOTIMPL, (SetMoniker, DWORD, IMoniker*), (GetMoniker, DWORD, DWORD, IMoniker**),
           (InitFromData, IDataObject*, BOOL, DWORD), (GetClipboardData, DWORD, IDataObject**),
           (EnumVerbs, IEnumOLEVERB**), (GetClientSite, IOleClientSite**), (GetUserClassID, CLSID*),
           (GetUserType, DWORD, LPOLESTR*), (GetExtent, DWORD, SIZEL*),
           (Advise, IAdviseSink*, DWORD*), (EnumAdvise, IEnumSTATDATA**),
           (GetMiscStatus, DWORD, DWORD*), (SetColorScheme, LOGPALETTE*));
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = view_;
    return view_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP TranslateAccelerator(LPMSG message) override {
    offered_keys.push_back(*message);
    return message->wParam == VK_TAB || message->wParam == VK_BACK ? S_OK : S_FALSE;
  }
  ZV_STUBS(S_OK, (OnFrameWindowActivate, BOOL), (OnDocWindowActivate, BOOL),
           (ResizeBorder, LPCRECT, IOleInPlaceUIWindow*, BOOL), (EnableModeless, BOOL));
  ZV_STUBS(E_NOTIMPL, (ContextSensitiveHelp, BOOL));
  // One point serves both event sets; like the real control it asks a sink for its set.
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    *point = nullptr;
    if (riid != DIID_DWebBrowserEvents && riid != DIID_DWebBrowserEvents2) {
      return CONNECT_E_NOCONNECTION;
    }
    found_ = riid;
    AddRef();
    *point = this;
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    com_ptr<IDispatch> events;
    if (!sink || FAILED(sink->QueryInterface(found_, events.put_void()))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.emplace(*cookie = ++last_cookie_, std::pair{found_, std::move(events)});
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    if (sinks_.erase(cookie) == 0) return CONNECT_E_NOCONNECTION;
    ++unadvised;
    return S_OK;
  }
  ZV_STUBS(E_NOTIMPL, (EnumConnectionPoints, IEnumConnectionPoints**),
           (GetConnectionInterface, IID*), (EnumConnections, IEnumConnections**),
           (GetConnectionPointContainer, IConnectionPointContainer**));
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (aspect != DVASPECT_CONTENT || bounds == nullptr) return DV_E_DVASPECT;
    ++draws;
    const RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
    const HBRUSH brush = ::CreateSolidBrush(kContentColor);
    ::FillRect(dc, &area, brush);
    ::DeleteObject(brush);
    return S_OK;
  }
  ZV_STUBS(E_NOTIMPL, (GetColorSet, DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**),
           (Freeze, DWORD, LONG, void*, DWORD*), (Unfreeze, DWORD),
           (SetAdvise, DWORD, DWORD, IAdviseSink*), (GetAdvise, DWORD*, DWORD*, IAdviseSink**));
  void CompleteNavigation(const std::wstring& address = {}) {
    const std::wstring target = address.empty() ? std::exchange(pending_, {}) : address;
    document_.reset(new DocumentDouble(target, options_.site_handler, script.get()));
    Fire(DIID_DWebBrowserEvents, DISPID_NAVIGATECOMPLETE, {Raw(variant_text(target))});
    Fire(DIID_DWebBrowserEvents2, DISPID_DOCUMENTCOMPLETE,
         {Raw(variant_dispatch(static_cast<IHTMLDocument2*>(document_.get()))),
          Raw(variant_text(target))});
  }
  void Fire(REFIID set, DISPID id, std::vector<VARIANT> args) {
    std::reverse(args.begin(), args.end());  // automation stores them last-first
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                      0};
    const com_ptr<IOleObject> keep = com_ptr<IOleObject>::copy_of(this);
    for (auto& [cookie, sink] : sinks_) {
      if (sink.first == set) {
        sink.second->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
      }
    }
    for (VARIANT& arg : args) ::VariantClear(&arg);
  }
  // True when a sink set the by-reference flag (cancelled, or processed).
  bool FireWithFlag(DISPID id, VARIANT address) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    VARIANT none{}, post_data{}, flag_ref{};
    V_VT(&post_data) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&post_data) = &none;
    V_VT(&flag_ref) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&flag_ref) = &flag;
    Fire(DIID_DWebBrowserEvents, id,
         {address, Raw(variant_i4(0)), Raw(variant_text(L"")), post_data, Raw(variant_text(L"")),
          flag_ref});
    return flag != VARIANT_FALSE;
  }
  void FireOnBothSets(DISPID id, const std::wstring& text) {
    Fire(DIID_DWebBrowserEvents, id, {Raw(variant_text(text))});
    Fire(DIID_DWebBrowserEvents2, id, {Raw(variant_text(text))});
  }

  [[nodiscard]] DocumentDouble* document() const { return document_.get(); }
  [[nodiscard]] HWND view() const { return view_; }
  [[nodiscard]] std::size_t sinks(REFIID set) const {
    return std::count_if(sinks_.begin(), sinks_.end(),
                         [&](auto& s) { return s.second.first == set; });
  }

  std::vector<NavigateCall> navigations;
  std::vector<std::wstring> steps;
  std::vector<MSG> offered_keys;  // TranslateAccelerator
  std::vector<VARIANT_BOOL> drop_targets;
  int draws = 0;
  int unadvised = 0;          // Close drops the sinks too: this tells the host's own Unadvise
  com_ptr<IDispatch> script;  // what the documents' script property gives

 private:
  HRESULT Step(const wchar_t* name) {
    steps.emplace_back(name);
    return S_OK;
  }
  static inline BrowserDouble* latest = nullptr;
  const BrowserDoubleOptions options_;
  com_ptr<IOleClientSite> site_;
  com_ptr<DocumentDouble> document_;
  int document_asks_ = 0;
  std::wstring pending_;
  HWND view_ = nullptr;
  IID found_ = IID_NULL;
  DWORD last_cookie_ = 0;
  std::map<DWORD, std::pair<IID, com_ptr<IDispatch>>> sinks_;
};

// Makes new browser hosts embed the double while it lives. Main thread only.
class BrowserDoubleRegistration final : public IClassFactory {
 public:
  BrowserDoubleRegistration() {
    WNDCLASSA view{};
    view.lpfnWndProc = &ViewProc;
    view.hInstance = ::GetModuleHandleA("ole32.dll");  // the control's windows are not ours
    view.lpszClassName = BrowserDouble::kViewClass;
    ::RegisterClassA(&view);  // a second registration fails harmlessly
    const HRESULT hr =
        ::CoRegisterClassObject(kClass, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    if (FAILED(hr)) cookie_ = 0;
  }
  ~BrowserDoubleRegistration() {
    if (cookie_ != 0) ::CoRevokeClassObject(cookie_);
  }
  BrowserDoubleRegistration(const BrowserDoubleRegistration&) = delete;
  BrowserDoubleRegistration& operator=(const BrowserDoubleRegistration&) = delete;

  [[nodiscard]] bool ok() const { return cookie_ != 0; }
  static BrowserDoubleOptions& options() {
    static BrowserDoubleOptions options;
    return options;
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return Offer(riid, ppv, {{{IID_IUnknown, IID_IClassFactory}, this}});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    const com_ptr<IOleObject> made(new BrowserDouble(options()));
    return made->QueryInterface(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_LBUTTONDOWN) {
      view_messages.push_back(message);
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
  }

  static constexpr CLSID kClass = {
      0x5a2e1c7b, 0x8d3f, 0x4e61, {0x9b, 0x0a, 0x2c, 0x4d, 0x6e, 0x8f, 0x1a, 0x3b}};
  DWORD cookie_ = 0;
  ScopedBrowserControl control_{"{5A2E1C7B-8D3F-4E61-9B0A-2C4D6E8F1A3B}"};
};

}  // namespace zuvelo::testing
