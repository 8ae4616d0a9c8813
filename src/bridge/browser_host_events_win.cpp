// The browser host's COM faces: the two event sinks, the browser's events turned into named
// commands for the main window, pop-up handling, and the document host handler with its guarded
// GetExternal.
#include <windows.h>

#include <exdispid.h>
#include <shellapi.h>

#include <array>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "base/trace.h"
#include "base/variant_win.h"
#include "bridge/atl_host_win.h"
#include "bridge/browser_host_object_win.h"
#include "bridge/browser_host_win.h"
#include "bridge/page_trust.h"
#include "net/service_address.h"
#include "shell/services/settings_win.h"

namespace zuvelo {
namespace {

// Argument positions are counted from the end, as automation stores them: the last argument
// of BeforeNavigate and NewWindow (cancel, processed) is element 0, the address element 5.
constexpr UINT kNavigationArgs = 6;
constexpr UINT kAddressSlot = 5;
constexpr UINT kFlagSlot = 0;

void OpenInUserBrowser(const std::string& address) {
  if (const OpenAddressHook hook = OpenAddressSeam::Get()) {
    hook(address);
    return;
  }
  ::ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The argument as text: strings as they are, anything else converted; empty when that fails.
std::string ArgumentText(const VARIANT* argument) {
  unique_variant text;
  if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(argument), 0, VT_BSTR))) {
    return {};
  }
  return WideToAnsi(bstr_view(V_BSTR(text.get())));
}

void SetFlag(VARIANT& flag) {
  if (V_VT(&flag) == (VT_BYREF | VT_BOOL) && V_BOOLREF(&flag) != nullptr) {
    *V_BOOLREF(&flag) = VARIANT_TRUE;
  }
}

[[nodiscard]] bool HasArgs(const DISPPARAMS* params, UINT count) {
  return params != nullptr && params->rgvarg != nullptr && params->cArgs >= count;
}

}  // namespace

STDMETHODIMP BrowserHost::EventSink::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, DIID_DWebBrowserEvents)) {
    *ppv = static_cast<IDispatch*>(&host_.first_sink_);
  } else if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
    *ppv = static_cast<IDispatch*>(&host_.second_sink_);
  }
  return *ppv ? S_OK : E_NOINTERFACE;
}

HRESULT BrowserHost::OnEvent(DISPID id, DISPPARAMS* params) {
  switch (id) {
    case DISPID_BEFORENAVIGATE:
      if (HasArgs(params, kNavigationArgs) &&
          Report("DISPID_BEFORENAVIGATE", &params->rgvarg[kAddressSlot]) != 0) {
        SetFlag(params->rgvarg[kFlagSlot]);
      }
      break;
    case DISPID_NAVIGATECOMPLETE:
      if (HasArgs(params, 1)) Report("DISPID_NAVIGATECOMPLETE", &params->rgvarg[0]);
      break;
    case DISPID_STATUSTEXTCHANGE:
      if (HasArgs(params, 1)) Report("DISPID_STATUSTEXTCHANGE", &params->rgvarg[0]);
      break;
    case DISPID_NEWWINDOW:
    case DISPID_FRAMENEWWINDOW:
      if (HasArgs(params, kNavigationArgs)) OnNewWindow(*params);
      break;
    case DISPID_TITLECHANGE:
      if (HasArgs(params, 1)) Report("DISPID_TITLECHANGE", &params->rgvarg[0]);
      break;
    case DISPID_DOCUMENTCOMPLETE:
      SendNamedCommand(::GetParent(window_), "DISPID_DOCUMENTCOMPLETE", 0);
      break;
    default:
      break;
  }
  return S_OK;
}

LRESULT BrowserHost::Report(const char* command, const VARIANT* argument) {
  const std::string text = ArgumentText(argument);
  return SendNamedCommand(::GetParent(window_), command, reinterpret_cast<WPARAM>(text.c_str()));
}

// The browser opens no window of its own: pages of the service's site go to the user's web
// browser, anything else is refused and the status bar says so.
void BrowserHost::OnNewWindow(DISPPARAMS& params) {
  const VARIANT& address = params.rgvarg[kAddressSlot];
  if (V_VT(&address) != VT_BSTR) return;
  SetFlag(params.rgvarg[kFlagSlot]);
  const std::string target = WideToAnsi(bstr_view(V_BSTR(&address)));
  if (target.starts_with(HomeAddress())) {
    OpenInUserBrowser(target);
    return;
  }
  SendNamedCommand(::GetParent(window_), "DISPID_STATUSTEXTCHANGE",
                   reinterpret_cast<WPARAM>(kPopupBlocked));
}

STDMETHODIMP BrowserHost::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDocHostUIHandler)) {
    *ppv = static_cast<IDocHostUIHandler*>(this);
  }
  return *ppv ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP BrowserHost::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return E_NOTIMPL;
}

// Without a former handler the browser keeps its own defaults.
STDMETHODIMP BrowserHost::GetHostInfo(DOCHOSTUIINFO* info) {
  return previous_handler_ ? previous_handler_->GetHostInfo(info) : E_NOTIMPL;
}

STDMETHODIMP BrowserHost::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                 IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}
STDMETHODIMP BrowserHost::HideUI() { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }

// Without a former handler the key is not ours: S_FALSE lets the browser handle it.
STDMETHODIMP BrowserHost::TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) {
  return previous_handler_ ? previous_handler_->TranslateAccelerator(message, group, command)
                           : S_FALSE;
}

STDMETHODIMP BrowserHost::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }

// The external object reads the user's logs and writes files, so only pages of the service and
// the start pages the user chose get it. The handler is not told which frame asks; the check is
// on the control's top document.
STDMETHODIMP BrowserHost::GetExternal(IDispatch** external) {
  if (external == nullptr) return E_POINTER;
  *external = nullptr;
  return NoThrow("WC__WWW GetExternal", [&] {
    if (!IsCurrentPageTrusted()) return E_NOTIMPL;
    SendNamedCommand(::GetParent(window_), "GETEXTERNAL", reinterpret_cast<WPARAM>(external));
    return *external ? S_OK : E_NOTIMPL;
  });
}

STDMETHODIMP BrowserHost::TranslateUrl(DWORD, OLECHAR*, OLECHAR**) { return E_NOTIMPL; }
STDMETHODIMP BrowserHost::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }

// Asked once, without waiting: the document that asks is there already.
bool BrowserHost::IsCurrentPageTrusted() {
  const com_ptr<IWebBrowser> browser = Browser();
  com_ptr<IDispatch> any;
  com_ptr<IHTMLDocument2> document;
  unique_bstr address;
  if (!browser || FAILED(browser->get_Document(any.put())) || !any || FAILED(any.query(document)) ||
      FAILED(document->get_URL(address.put()))) {
    return false;
  }
  const std::array<std::wstring, 3> trusted = {
      AnsiToWide(HomeAddress()), AnsiToWide(GameHomeSetting()), AnsiToWide(ScriptHomeSetting())};
  const bool ok = IsTrustedPage(bstr_view(address.get()), trusted);
  if (!ok)
    trace("WC__WWW GetExternal refused %s\r\n", WideToAnsi(bstr_view(address.get())).c_str());
  return ok;
}

}  // namespace zuvelo
