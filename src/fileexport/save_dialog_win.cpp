// The save dialog and its test hook. The dialog is modal on the main thread, so the hook
// needs no lock.
#include "fileexport/save_dialog_win.h"

#include <utility>

namespace zuvelo {
namespace {

SaveDialogHook& Hook() {
  static SaveDialogHook hook;
  return hook;
}

}  // namespace

bool ShowSaveDialog(OPENFILENAMEA& dialog) {
  if (Hook()) return Hook()(dialog);
  return ::GetSaveFileNameA(&dialog) != FALSE;
}

ScopedSaveDialogHook::ScopedSaveDialogHook(SaveDialogHook hook)
    : previous_(std::exchange(Hook(), std::move(hook))) {}

ScopedSaveDialogHook::~ScopedSaveDialogHook() { Hook() = std::move(previous_); }

}  // namespace zuvelo
