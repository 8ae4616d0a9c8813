// The native object behind one "WC_WWW" window. Not reference counted: the window owns it, and
// its interfaces answer AddRef with 1 and Release with 0. No pointer to the control is kept;
// every operation asks the control's host window for it afresh.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <mshtmhst.h>
#include <mshtml.h>

#include <span>
#include <string>

#include "base/com_ptr_win.h"
#include "base/window_object_win.h"
#include "bridge/automation/script_object.h"
#include "shell/services/mainthread_calls_win.h"

namespace zuvelo {

class BrowserHost final : public WindowObject, public IDocHostUIHandler {
 public:
  explicit BrowserHost(HWND window) noexcept;
  ~BrowserHost() override = default;

  LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

  // The document host handler.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 0; }
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(BOOL) override;
  STDMETHODIMP OnDocWindowActivate(BOOL) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override;
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override;
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD, OLECHAR*, OLECHAR**) override;
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override;

  // Both event sinks deliver here.
  HRESULT OnEvent(DISPID id, DISPPARAMS* params);

 private:
  // The dispatch interface of one event set. Either sink answers for both sets, so the
  // control finds each sink under the identity it advised it with.
  class EventSink final : public IDispatch {
   public:
    explicit EventSink(BrowserHost& host) noexcept : host_(host) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 0; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
      return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
      return NoThrow("WC__WWW Event", [&] { return host_.OnEvent(id, params); });
    }

   private:
    BrowserHost& host_;
  };

  static std::span<const NamedCommandEntry<BrowserHost>> Commands();

  LRESULT OnCreate(const CREATESTRUCTA& create);
  LRESULT Abandon(const char* box);
  bool ConnectEvents();
  void OnDestroy();
  LRESULT OnSetText(HWND window, WPARAM wparam, LPARAM lparam);
  void Navigate(const char* text);
  void WriteHtml(const std::wstring& html);
  void OnEraseBackground(HDC dc);
  void OnAppCommand(LPARAM lparam);

  LRESULT WriteHtmlCommand(WPARAM html);
  LRESULT UpdateHandlerCommand(WPARAM);
  LRESULT ScriptCommand(WPARAM);

  void OnNewWindow(DISPPARAMS& params);
  LRESULT Report(const char* command, const VARIANT* argument);
  [[nodiscard]] bool IsCurrentPageTrusted();

  [[nodiscard]] IUnknown* Identity() { return static_cast<IDocHostUIHandler*>(this); }
  [[nodiscard]] HWND ControlWindow() const;
  [[nodiscard]] com_ptr<IWebBrowser> Browser() const;
  // The control's current document, waiting for one for at most kDocumentWaitMs.
  [[nodiscard]] com_ptr<IHTMLDocument2> CurrentDocument() const;

  com_ptr<IDocHostUIHandler> previous_handler_;
  EventSink first_sink_{*this};
  EventSink second_sink_{*this};
  const HWND window_;
  DWORD first_cookie_ = 0;
  DWORD second_cookie_ = 0;
};

}  // namespace zuvelo
