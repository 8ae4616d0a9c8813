// ATL.DLL's two exports, looked up by ordinal as the library exports them: 42 AtlAxWinInit,
// 47 AtlAxGetControl.
#include "bridge/atl_host_win.h"

namespace zuvelo {
namespace {

using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

constexpr WORD kAtlAxWinInitOrdinal = 42;
constexpr WORD kAtlAxGetControlOrdinal = 47;

// Never freed: windows of its class and the controls they host live until the process ends.
HMODULE AtlLibrary() {
  static const HMODULE library = ::LoadLibraryA("ATL.DLL");
  return library;
}

template <class Function>
Function AtlExport(WORD ordinal) {
  const HMODULE library = AtlLibrary();
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

bool InitControlHosting() {
  const auto init = AtlExport<AtlAxWinInitFunction>(kAtlAxWinInitOrdinal);
  return init != nullptr && init();
}

com_ptr<IUnknown> HostedControl(HWND host) {
  static const auto get_control = AtlExport<AtlAxGetControlFunction>(kAtlAxGetControlOrdinal);
  com_ptr<IUnknown> control;
  if (get_control == nullptr || host == nullptr) return control;
  if (FAILED(get_control(host, control.put()))) control.reset();
  return control;
}

}  // namespace zuvelo
