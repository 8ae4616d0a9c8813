// Binding of one native object to its window through the window property "this": made when
// WM_CREATE arrives, deleted (and the property removed) once it has handled WM_DESTROY, or at
// once when it fails WM_CREATE. Nothing its procedure throws leaves it.
#pragma once

#include <windows.h>

#include <memory>

#include "base/catch_all.h"

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

// A window procedure's body: what it throws is traced and the message answered as failed, -1 for
// WM_CREATE (the window is not made), 0 otherwise.
template <class Body>
LRESULT GuardedWindowMessage(const char* where, UINT message, Body&& body) noexcept {
  LRESULT result = 0;
  if (CatchAll(where, [&] { result = body(); }) == Escaped::kNothing) return result;
  return message == WM_CREATE ? -1 : 0;
}

// The class procedure of a window class whose windows each own one T, made as T(window).
// Messages before WM_CREATE get the default window procedure.
template <class T>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowObject* self = BoundObject(window);
  if (self == nullptr && message != WM_CREATE) {
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  const LRESULT result = GuardedWindowMessage("WindowProc", message, [&]() -> LRESULT {
    if (self == nullptr) {
      auto made = std::make_unique<T>(window);
      if (!::SetPropA(window, kWindowObjectProperty, made.get())) return -1;
      self = made.release();
    }
    return self->WindowProc(window, message, wparam, lparam);
  });
  if (self == nullptr) return result;
  // A window whose creation failed may be torn down without WM_DESTROY (Wine does so).
  if (message == WM_DESTROY || (message == WM_CREATE && result == -1)) {
    ::RemovePropA(window, kWindowObjectProperty);
    delete self;
  }
  return result;
}

}  // namespace zuvelo
