// Named-command senders and the main window's attached-object set.
#include "shell/services/mainthread_calls_win.h"

#include "base/trace.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {

LRESULT SendNamedCommand(HWND target, const char* name, WPARAM argument) {
  return ::SendMessageA(target, WM__NAMED_COMMAND, argument, reinterpret_cast<LPARAM>(name));
}

bool SendNamedCommandTimeout(HWND target, const char* name, WPARAM argument, UINT timeout_ms,
                             LRESULT* answer) {
  DWORD_PTR result = 0;
  const LRESULT sent =
      ::SendMessageTimeoutA(target, WM__NAMED_COMMAND, argument, reinterpret_cast<LPARAM>(name),
                            SMTO_NORMAL, timeout_ms, &result);
  if (answer) *answer = static_cast<LRESULT>(result);
  return sent != 0;
}

AttachedObjects::~AttachedObjects() {
  // Each entry leaves the set before its reference goes, so a destructor that reaches back
  // into the set finds it consistent.
  const DWORD start = ::GetTickCount();
  while (!objects_.empty()) {
    auto entry = objects_.extract(objects_.begin());
    const DWORD spent = ::GetTickCount() - start;
    if (!entry.key()->StopAndWait(spent < kEndWaitMs ? kEndWaitMs - spent : 0)) {
      trace("AttachedObjects still running lParam=%X\r\n",
            static_cast<unsigned>(ToLParam(entry.key())));
      static_cast<void>(entry.mapped().release());  // its thread may still use it
    }
  }
}

std::optional<LRESULT> AttachedObjects::HandleMessage(HWND window, UINT message, WPARAM,
                                                      LPARAM lparam) {
  auto* object = reinterpret_cast<AttachableObject*>(lparam);
  switch (message) {
    case WM__MAINTHREAD_ATTACH:
      Attach(window, object);
      return 0;
    case WM__MAINTHREAD_CALL:
      RunStep(object);
      return 0;
    case WM__MAINTHREAD_DETACH:
      Detach(window, object);
      return 0;
    default:
      return std::nullopt;
  }
}

// The trace shows the low 32 bits of the address, as a 32-bit build shows all of it.
void AttachedObjects::Attach(HWND window, AttachableObject* object) {
  trace("WM__MAINTHREAD_ATTACH lParam=%X\r\n", static_cast<unsigned>(ToLParam(object)));
  if (object == nullptr) return;
  if (contains(object)) {
    FatalMessageBox(window, "TICK ALREADY ATTACHED");
    return;
  }
  objects_.emplace(object, com_ptr<AttachableObject>::copy_of(object));
}

void AttachedObjects::Detach(HWND window, AttachableObject* object) {
  trace("WM__MAINTHREAD_DETACH lParam=%X\r\n", static_cast<unsigned>(ToLParam(object)));
  auto found = objects_.find(object);
  if (found == objects_.end()) {
    FatalMessageBox(window, "DETACH UNKNOWN");
    return;
  }
  const auto entry = objects_.extract(found);
  object->Detached();
}

void AttachedObjects::RunStep(AttachableObject* object) {
  if (object) object->MainThreadStep();
}

}  // namespace zuvelo
