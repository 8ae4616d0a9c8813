// The two message conventions through which other threads and windows reach the UI thread:
// named commands, and attach / step / detach of an object kept by the main window.
#pragma once

#include <windows.h>

#include <cstring>
#include <map>
#include <optional>
#include <span>

#include "base/com_ptr_win.h"

namespace zuvelo {

inline constexpr UINT WM__NAMED_COMMAND = 0x8204;
inline constexpr UINT WM__MAINTHREAD_ATTACH = 0x820B;
inline constexpr UINT WM__MAINTHREAD_CALL = 0x820C;
inline constexpr UINT WM__MAINTHREAD_DETACH = 0x820D;

// Always sent, never posted, so that a text argument stays valid while it is handled.
LRESULT SendNamedCommand(HWND target, const char* name, WPARAM argument);
// For a worker that must not wait on a busy UI thread; false when no answer came in time.
bool SendNamedCommandTimeout(HWND target, const char* name, WPARAM argument, UINT timeout_ms,
                             LRESULT* answer);

template <class Window>
struct NamedCommandEntry {
  const char* name;
  LRESULT (Window::*run)(WPARAM argument);
};

// Runs the entry whose name equals lParam's byte for byte. Nothing for a null or unknown name:
// the window then gives the message default handling.
template <class Window>
std::optional<LRESULT> DispatchNamedCommand(Window& window,
                                            std::span<const NamedCommandEntry<Window>> table,
                                            WPARAM wparam, LPARAM lparam) {
  const auto* name = reinterpret_cast<const char*>(lparam);
  if (name == nullptr) return std::nullopt;
  for (const auto& entry : table) {
    if (std::strcmp(entry.name, name) == 0) return (window.*entry.run)(wparam);
  }
  return std::nullopt;
}

// An object whose step the main window runs on the UI thread and which it keeps alive while
// attached. A script class implements AddRef and Release once for both of its faces.
class AttachableObject {
 public:
  virtual void MainThreadStep() = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
  // The program is ending: the object's threads are to stop. False when one still runs after
  // `most_ms`; such an object must not be freed.
  virtual bool StopAndWait(DWORD most_ms) {
    static_cast<void>(most_ms);
    return true;
  }
  // The detach has been handled: the object has left the set, whose reference goes next.
  virtual void Detached() {}

 protected:
  ~AttachableObject() = default;
};

[[nodiscard]] inline LPARAM ToLParam(AttachableObject* object) {
  return reinterpret_cast<LPARAM>(object);
}

// The main window's attached-object set: ordered by address, one reference per entry, touched
// only on the UI thread.
class AttachedObjects {
 public:
  // What the end of the program waits, in all, for the threads of what is still attached.
  static constexpr DWORD kEndWaitMs = 3000;

  AttachedObjects() = default;
  // Stops and releases what is still attached, in set order; an object whose thread outlived
  // kEndWaitMs keeps its reference, and the process end takes both.
  ~AttachedObjects();
  AttachedObjects(const AttachedObjects&) = delete;
  AttachedObjects& operator=(const AttachedObjects&) = delete;

  // The three main-thread messages (result 0); nothing for any other message.
  std::optional<LRESULT> HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // A double attach and the detach of a stranger are internal errors that end the program;
  // under a test's message-box hook they return with the set unchanged.
  void Attach(HWND window, AttachableObject* object);
  void Detach(HWND window, AttachableObject* object);
  // No check that the object is attached: the worker of a spent run may still post steps.
  static void RunStep(AttachableObject* object);

  [[nodiscard]] bool contains(AttachableObject* object) const {
    return objects_.find(object) != objects_.end();
  }
  [[nodiscard]] std::size_t size() const { return objects_.size(); }

 private:
  std::map<AttachableObject*, com_ptr<AttachableObject>> objects_;
};

}  // namespace zuvelo
