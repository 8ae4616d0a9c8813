// Binding of one native object to its window through the window property "this": made when
// WM_CREATE arrives, deleted (and the property removed) once it has handled WM_DESTROY, or at
// once when it fails WM_CREATE.
#pragma once

#include <windows.h>

#include <memory>

namespace zuvelo {

inline constexpr const char* kWindowObjectProperty = "this";

// The window procedure is the first virtual operation, the deleting destructor the second.
class WindowObject {
 public:
  virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual ~WindowObject() = default;

 protected:
  WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;
};

[[nodiscard]] inline WindowObject* BoundObject(HWND window) {
  return static_cast<WindowObject*>(::GetPropA(window, kWindowObjectProperty));
}

// The class procedure of a window class whose windows each own one T, made as T(window).
// Messages before WM_CREATE get the default window procedure.
template <class T>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowObject* self = BoundObject(window);
  if (self == nullptr) {
    if (message != WM_CREATE) return ::DefWindowProcA(window, message, wparam, lparam);
    auto made = std::make_unique<T>(window);
    if (!::SetPropA(window, kWindowObjectProperty, made.get())) return -1;
    self = made.release();
  }
  const LRESULT result = self->WindowProc(window, message, wparam, lparam);
  // A window whose creation failed may be torn down without WM_DESTROY (Wine does so).
  if (message == WM_DESTROY || (message == WM_CREATE && result == -1)) {
    ::RemovePropA(window, kWindowObjectProperty);
    delete self;
  }
  return result;
}

}  // namespace zuvelo
