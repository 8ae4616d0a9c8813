// A test double of the web-browser control, for hosts that cannot have the real one here (Wine
// has no page engine). It is a real in-process OLE control that ATL's "AtlAxWin" window
// creates from its class identifier, and it offers what the browser host asks of the control:
// IWebBrowser/IWebBrowser2 (navigation, history, the current document), the two event sets
// through connection points, IOleInPlaceActiveObject for keys and IViewObject for drawing. Its
// documents offer IHTMLDocument2 (address, write, close, script), IServiceProvider for the
// document host handler in force, and ICustomDoc to replace it.
//
// Tests drive it as the page engine would: navigations complete when the test says so, and
// events, pop-ups and script requests for window.external are fired on demand.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>
#include <oleidl.h>

#include <memory>
#include <string>
#include <vector>

#include "bridge/browser_host_win.h"
#include "bridge/com_ptr.h"
#include "browser_double_stubs.h"

namespace zuvelo::testing {

class BrowserDouble;

// How the next doubles behave from their creation on.
struct BrowserDoubleOptions {
  bool web_browser = true;      // answers IWebBrowser and IWebBrowser2
  bool events = true;           // offers its connection points
  bool in_place_active = true;  // answers IOleInPlaceActiveObject
  bool site_handler = true;     // new documents start with a handler of the container
  int document_after_asks = 0;  // get_Document answers "none" this many times first
  std::vector<WPARAM> accelerators = {VK_TAB, VK_BACK};  // keys the control takes
};

// Registers the double's class for this process while it lives, and makes new browser hosts
// embed it (ScopedBrowserControl). Main thread only.
class BrowserDoubleRegistration {
 public:
  BrowserDoubleRegistration();
  ~BrowserDoubleRegistration();
  BrowserDoubleRegistration(const BrowserDoubleRegistration&) = delete;
  BrowserDoubleRegistration& operator=(const BrowserDoubleRegistration&) = delete;

  [[nodiscard]] bool ok() const { return cookie_ != 0; }
  static BrowserDoubleOptions& options();

 private:
  DWORD cookie_ = 0;
  std::unique_ptr<ScopedBrowserControl> control_;
};

// The handler a document starts with, standing for the container's own.
class SiteHandler final : public IDocHostUIHandler {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_OK;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID*, DWORD) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD, OLECHAR*, OLECHAR**) override { return S_FALSE; }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override { return S_FALSE; }

  static constexpr DWORD kHostFlags = DOCHOSTUIFLAG_NO3DBORDER;
  static constexpr HRESULT kKeyAnswer = 0x00000123;
  int host_info_asks = 0;
  std::vector<WPARAM> keys;

 private:
  LONG refs_ = 1;
};

class DocumentDouble final : public HtmlDocumentStubs, public IServiceProvider, public ICustomDoc {
 public:
  DocumentDouble(std::wstring address, bool site_handler, IDispatch* script);

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP get_Script(IDispatch** script) override;
  STDMETHODIMP get_URL(BSTR* address) override;
  STDMETHODIMP write(SAFEARRAY* lines) override;
  STDMETHODIMP close() override;
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;
  STDMETHODIMP SetUIHandler(IDocHostUIHandler* handler) override;

  // The handler in force: the container's at first, then whatever SetUIHandler put there.
  [[nodiscard]] IDocHostUIHandler* handler() const { return handler_.get(); }
  [[nodiscard]] SiteHandler* site_handler() const { return site_.get(); }
  // What script sees as window.external: the handler's answer, or nothing with its result.
  HRESULT AskForExternal(com_ptr<IDispatch>& external) const;

  const std::wstring address;
  std::wstring written;
  int closes = 0;
  int handler_changes = 0;

  static int live();

 private:
  ~DocumentDouble();

  LONG refs_ = 1;
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

class BrowserDouble final : public WebBrowserStubs,
                            public IOleObject,
                            public IOleInPlaceActiveObject,
                            public IConnectionPointContainer,
                            public IViewObject {
 public:
  explicit BrowserDouble(const BrowserDoubleOptions& options);

  // The double made last, while it lives.
  static BrowserDouble* Latest();
  static int live();

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IWebBrowser, IWebBrowser2
  STDMETHODIMP GoBack() override { return Step(L"GoBack"); }
  STDMETHODIMP GoForward() override { return Step(L"GoForward"); }
  STDMETHODIMP GoHome() override { return Step(L"GoHome"); }
  STDMETHODIMP Refresh() override { return Step(L"Refresh"); }
  STDMETHODIMP Navigate(BSTR address, VARIANT* flags, VARIANT* frame, VARIANT* post_data,
                        VARIANT* headers) override;
  STDMETHODIMP get_Document(IDispatch** document) override;
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL value) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG message) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // IViewObject
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

  // Driving it as a page engine would. Event arguments are given in script order.
  // The pending navigation (or `address`) becomes the document: NavigateComplete on the first
  // event set, DocumentComplete on the second.
  void CompleteNavigation(const std::wstring& address = {});
  void ShowDocument(const std::wstring& address);
  void DropDocument();
  // One event to the sinks of one set; returns the Invoke results.
  std::vector<HRESULT> Fire(REFIID set, DISPID id, std::vector<VARIANT> args);
  // BeforeNavigate on the first set; true when a sink cancelled it.
  bool FireBeforeNavigate(const std::wstring& address);
  // StatusTextChange or TitleChange on both sets.
  void FireOnBothSets(DISPID id, const std::wstring& text);
  // NewWindow (107) or FrameNewWindow (204) with `address` as argument 1; true when processed.
  bool FireNewWindow(DISPID id, VARIANT address);

  [[nodiscard]] DocumentDouble* document() const { return document_.get(); }
  [[nodiscard]] HWND view() const { return view_; }
  [[nodiscard]] int sinks(REFIID set) const;

  std::vector<NavigateCall> navigations;
  std::vector<std::wstring> steps;  // history steps, by method name
  std::vector<MSG> offered_keys;    // TranslateAccelerator
  int drop_target_changes = 0;
  VARIANT_BOOL drop_target = VARIANT_TRUE;
  int draws = 0;
  com_ptr<IDispatch> script;  // what the documents' script property gives
  static constexpr COLORREF kContentColor = RGB(10, 200, 30);

 private:
  class EventPoint;
  ~BrowserDouble();
  HRESULT Step(const wchar_t* name);
  EventPoint* PointFor(REFIID set) const;

  LONG refs_ = 1;
  const BrowserDoubleOptions options_;
  com_ptr<IOleClientSite> site_;
  com_ptr<DocumentDouble> document_;
  int document_asks_ = 0;
  std::wstring pending_;
  HWND view_ = nullptr;
  std::unique_ptr<EventPoint> first_set_;
  std::unique_ptr<EventPoint> second_set_;
};

// A bare automation object standing for what pages hold: a script object, an external object.
class PageObject final : public IDispatch {
 public:
  PageObject();
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  // The count as it stands, and the objects alive.
  [[nodiscard]] LONG refs() const { return refs_; }
  static int live();

 private:
  ~PageObject();
  LONG refs_ = 1;
};

// Messages the double's view window received (it belongs to another module, as the real
// control's windows do).
std::vector<UINT> TakeViewMessages();

}  // namespace zuvelo::testing
