// The save-file dialog, through one function that tests can replace.
#pragma once

#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

#include <functional>

#include "base/seam.h"

namespace zuvelo {

// GetSaveFileNameA, or the installed hook. True when a path was chosen (in lpstrFile).
bool ShowSaveDialog(OPENFILENAMEA& dialog);

// Test seam: while a hook is installed no dialog is shown; the hook sees the request as the
// platform would, writes a path and answers true, or answers false for a cancel. Hooks nest.
using SaveDialogHook = std::function<bool(OPENFILENAMEA&)>;
using SaveDialogSeam = Seam<SaveDialogHook, struct SaveDialogSeamTag>;
using ScopedSaveDialogHook = SaveDialogSeam::Scope;

}  // namespace zuvelo
