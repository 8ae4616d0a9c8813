// The one way the program shows a message box, so tests can watch boxes instead of blocking.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "base/seam.h"

namespace zuvelo {

// A box as it was asked for. Narrow boxes keep their bytes (ANSI, Shift-JIS for Japanese);
// wide boxes keep their UTF-16 text. A missing caption is the platform's default caption.
struct MessageBoxCall {
  HWND owner = nullptr;
  bool wide = false;
  std::string text;
  std::optional<std::string> caption;
  std::wstring wide_text;
  std::optional<std::wstring> wide_caption;
  UINT style = 0;
  bool fatal = false;  // an internal error: outside tests the program ends after the box
};

// Returns the button the user chose.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);

// Shows the box (OK button) and ends the process with exit code 1. With a hook installed the
// box only goes to the hook and the call returns, so tests see the fault without ending.
void FatalMessageBox(HWND owner, const char* text, const char* caption = nullptr);

// Test seam: while a hook is installed, no box is shown; the hook gets each box and answers
// with a button. Hooks nest; boxes may come from any thread.
using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
using MessageBoxSeam = Seam<MessageBoxHook, struct MessageBoxSeamTag>;
using ScopedMessageBoxHook = MessageBoxSeam::Scope;

}  // namespace zuvelo
