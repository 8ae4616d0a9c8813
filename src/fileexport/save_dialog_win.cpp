// The save dialog and its test hook.
#include "fileexport/save_dialog_win.h"

namespace zuvelo {

bool ShowSaveDialog(OPENFILENAMEA& dialog) {
  if (const SaveDialogHook hook = SaveDialogSeam::Get()) return hook(dialog);
  return ::GetSaveFileNameA(&dialog) != FALSE;
}

}  // namespace zuvelo
