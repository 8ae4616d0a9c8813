// The browser host's window: creating and connecting the control, navigation and history,
// HTML writing, drawing into a foreign device context, and its named commands.
#include "bridge/browser_host_win.h"

#include <ocidl.h>
#include <ole2.h>

#include <utility>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "base/handle_win.h"
#include "base/trace.h"
#include "base/variant_win.h"
#include "bridge/atl_host_win.h"
#include "bridge/browser_host_object_win.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {
namespace {

struct Pseudo {
  const char* text;
  HRESULT (STDMETHODCALLTYPE IWebBrowser::*step)();
};

constexpr Pseudo kPseudoAddresses[] = {
    {"about:home", &IWebBrowser::GoHome},
    {"about:gobackward", &IWebBrowser::GoBack},
    {"about:goforward", &IWebBrowser::GoForward},
    {"about:refresh", &IWebBrowser::Refresh},
};

[[nodiscard]] bool StartsWith(const char* text, std::string_view prefix) {
  return std::string_view(text).starts_with(prefix);
}

HRESULT Connect(IUnknown* control, REFIID events, IDispatch* sink, DWORD* cookie) {
  com_ptr<IConnectionPointContainer> container;
  com_ptr<IConnectionPoint> point;
  HRESULT hr = com_ptr<IUnknown>::copy_of(control).query(container);
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(events, point.put());
  if (SUCCEEDED(hr)) hr = point->Advise(sink, cookie);
  return hr;
}

void Disconnect(IUnknown* control, REFIID events, DWORD cookie) {
  com_ptr<IConnectionPointContainer> container;
  com_ptr<IConnectionPoint> point;
  if (FAILED(com_ptr<IUnknown>::copy_of(control).query(container))) return;
  if (SUCCEEDED(container->FindConnectionPoint(events, point.put()))) point->Unadvise(cookie);
}

// A 24-bit device-independent bitmap of the given size.
HBITMAP MakeBitmap(HDC dc, LONG width, LONG height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

ATOM RegisterBrowserHostClass(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = &BoundWindowProc<BrowserHost>;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  window_class.lpszClassName = kBrowserHostClass;
  return ::RegisterClassA(&window_class);
}

BrowserHost::BrowserHost(HWND window) noexcept : window_(window) {}

LRESULT BrowserHost::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(*reinterpret_cast<const CREATESTRUCTA*>(lparam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      if (lparam != 0) {
        ::SetWindowPos(ControlWindow(), nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam),
                       SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
      }
      return 0;
    case WM_SETFOCUS:
      ::SetFocus(ControlWindow());
      return 0;
    case WM_SETTEXT:
      return OnSetText(window, wparam, lparam);
    case WM_CLOSE:
      if (const HWND popup = ::GetLastActivePopup(window); popup != window) {
        ::SendMessageA(popup, WM_CLOSE, 0, 0);
      }
      break;
    case WM_ERASEBKGND:
      OnEraseBackground(reinterpret_cast<HDC>(wparam));
      break;
    case WM_APPCOMMAND:
      OnAppCommand(lparam);
      break;
    case WM__NAMED_COMMAND:
      if (auto done = DispatchNamedCommand(*this, Commands(), wparam, lparam)) return *done;
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

std::span<const NamedCommandEntry<BrowserHost>> BrowserHost::Commands() {
  static constexpr NamedCommandEntry<BrowserHost> commands[] = {
      {"WRITEHTML", &BrowserHost::WriteHtmlCommand},
      {"UPDATEDOCUIHANDLER", &BrowserHost::UpdateHandlerCommand},
      {"GETSCRIPT", &BrowserHost::ScriptCommand},
  };
  return commands;
}

LRESULT BrowserHost::OnCreate(const CREATESTRUCTA& create) {
  const std::string control_name = BrowserControlSeam::Get().value_or(kBrowserControl);
  const HWND control = ::CreateWindowExA(
      0, kAtlHostClass, control_name.c_str(),
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBrowserControlId)), create.hInstance, nullptr);
  if (control == nullptr) return -1;
  // Files dropped on the window must not replace the page.
  if (auto browser2 = HostedControlAs<IWebBrowser2>(control)) {
    browser2->put_RegisterAsDropTarget(VARIANT_FALSE);
  }
  if (!Browser()) return Abandon("GetControl failed");
  if (!ConnectEvents()) return Abandon("AtlAdvice failed");
  if (create.lpszName != nullptr && create.lpszName[0] != '\0') Navigate(create.lpszName);
  return 0;
}

// The control goes with the failed window: not every platform sends WM_DESTROY after a failed
// WM_CREATE.
LRESULT BrowserHost::Abandon(const char* box) {
  ShowMessageBox(window_, box, nullptr, MB_ICONERROR);
  OnDestroy();
  return -1;
}

bool BrowserHost::ConnectEvents() {
  const com_ptr<IUnknown> control = HostedControl(ControlWindow());
  return SUCCEEDED(Connect(control.get(), DIID_DWebBrowserEvents, &first_sink_, &first_cookie_)) &&
         SUCCEEDED(Connect(control.get(), DIID_DWebBrowserEvents2, &second_sink_, &second_cookie_));
}

// The document gets its former handler back, so nothing that outlives this window (a page
// object kept by script) reaches into a deleted host.
void BrowserHost::OnDestroy() {
  const HWND control_window = ControlWindow();
  if (const com_ptr<IUnknown> control = HostedControl(control_window)) {
    Disconnect(control.get(), DIID_DWebBrowserEvents, first_cookie_);
    Disconnect(control.get(), DIID_DWebBrowserEvents2, second_cookie_);
    com_ptr<IDispatch> document;
    com_ptr<ICustomDoc> custom;
    if (auto browser = Browser(); browser && SUCCEEDED(browser->get_Document(document.put())) &&
                                  document && SUCCEEDED(document.query(custom))) {
      custom->SetUIHandler(previous_handler_.get());
    }
  }
  if (control_window != nullptr) ::DestroyWindow(control_window);
}

LRESULT BrowserHost::OnSetText(HWND window, WPARAM wparam, LPARAM lparam) {
  const auto* text = reinterpret_cast<const char*>(lparam);
  if (text == nullptr) return ::DefWindowProcA(window, WM_SETTEXT, wparam, lparam);
  if (text[0] == '<') {
    WriteHtml(AnsiToWide(text));
    return 0;
  }
  Navigate(text);
  // Pseudo-addresses, and anything else in "about:", never become the window text, so the
  // text stays the last address navigated to.
  if (StartsWith(text, "about:")) return 0;
  return ::DefWindowProcA(window, WM_SETTEXT, wparam, lparam);
}

// History steps that cannot be made (nothing to go back to) fail quietly.
void BrowserHost::Navigate(const char* text) {
  const com_ptr<IWebBrowser> browser = Browser();
  if (!browser) return;
  for (const Pseudo& pseudo : kPseudoAddresses) {
    if (std::string_view(text) == pseudo.text) {
      (browser.get()->*pseudo.step)();
      return;
    }
  }
  unique_variant absent;
  unique_variant frame = variant_text(L"_top");
  unique_variant headers = variant_text(kNavigationHeaders);
  const unique_bstr address = make_bstr(AnsiToWide(text));
  browser->Navigate(address.get(), absent.get(), frame.get(), absent.get(), headers.get());
}

void BrowserHost::WriteHtml(const std::wstring& html) {
  const com_ptr<IHTMLDocument2> document = CurrentDocument();
  if (!document) return;
  const unique_safearray lines(::SafeArrayCreateVector(VT_VARIANT, 0, 1));
  if (!lines) return;
  VARIANT* element = nullptr;
  if (FAILED(::SafeArrayAccessData(lines.get(), reinterpret_cast<void**>(&element)))) return;
  variant_text(html).release_to(element);
  ::SafeArrayUnaccessData(lines.get());
  if (SUCCEEDED(document->write(lines.get()))) document->close();
}

// Only a context that belongs to no window (a memory or printer context) is drawn into: the
// control paints its own window itself.
void BrowserHost::OnEraseBackground(HDC dc) {
  if (!::IsWindowVisible(window_) || ::WindowFromDC(dc) != nullptr) return;
  const com_ptr<IUnknown> control = HostedControl(ControlWindow());
  if (!control) return;
  RECT client{};
  ::GetClientRect(window_, &client);
  const unique_device_context memory(::CreateCompatibleDC(dc));
  const unique_bitmap bitmap(MakeBitmap(dc, client.right, client.bottom));
  if (!memory || !bitmap) return;
  const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  ::OleDraw(control.get(), DVASPECT_CONTENT, memory.get(), &client);
  ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  ::SelectObject(memory.get(), previous);
}

void BrowserHost::OnAppCommand(LPARAM lparam) {
  const com_ptr<IWebBrowser> browser = Browser();
  if (!browser) return;
  switch (GET_APPCOMMAND_LPARAM(lparam)) {
    case APPCOMMAND_BROWSER_BACKWARD:
      browser->GoBack();
      break;
    case APPCOMMAND_BROWSER_FORWARD:
      browser->GoForward();
      break;
    default:
      break;
  }
}

LRESULT BrowserHost::WriteHtmlCommand(WPARAM html) {
  if (html != 0) WriteHtml(reinterpret_cast<const wchar_t*>(html));
  return 0;
}

LRESULT BrowserHost::UpdateHandlerCommand(WPARAM) {
  const com_ptr<IHTMLDocument2> document = CurrentDocument();
  com_ptr<IServiceProvider> services;
  if (!document || FAILED(document.query(services))) return 0;
  com_ptr<IDocHostUIHandler> current;
  if (FAILED(services->QueryService(IID_IDocHostUIHandler, IID_IDocHostUIHandler,
                                    current.put_void()))) {
    current.reset();
  }
  com_ptr<IUnknown> identity;
  if (current && (current.get() == this ||
                  (SUCCEEDED(current.query(identity)) && identity.get() == Identity()))) {
    return 0;
  }
  previous_handler_ = std::move(current);
  com_ptr<ICustomDoc> custom;
  if (SUCCEEDED(document.query(custom)) && SUCCEEDED(custom->SetUIHandler(this))) {
    trace("WC__WWW Set DocUIHander ok\r\n");
  }
  return 0;
}

// The script object goes to the receiver with the reference get_Script gave.
LRESULT BrowserHost::ScriptCommand(WPARAM) {
  const com_ptr<IHTMLDocument2> document = CurrentDocument();
  com_ptr<IDispatch> script;
  if (!document || FAILED(document->get_Script(script.put()))) return 0;
  return reinterpret_cast<LRESULT>(script.release());
}

HWND BrowserHost::ControlWindow() const { return ::GetDlgItem(window_, kBrowserControlId); }

com_ptr<IWebBrowser> BrowserHost::Browser() const {
  return HostedControlAs<IWebBrowser>(ControlWindow());
}

// The thread does not handle messages while it waits: the callers are answering a sent
// message, and nothing may run in between.
com_ptr<IHTMLDocument2> BrowserHost::CurrentDocument() const {
  com_ptr<IHTMLDocument2> document;
  const com_ptr<IWebBrowser> browser = Browser();
  if (!browser) return document;
  com_ptr<IDispatch> any;
  const DWORD start = ::GetTickCount();
  while (FAILED(browser->get_Document(any.put())) || !any) {
    if (::GetTickCount() - start >= kDocumentWaitMs) return document;
    ::Sleep(1);
  }
  if (FAILED(any.query(document))) document.reset();
  return document;
}

}  // namespace zuvelo
