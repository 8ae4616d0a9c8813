// Message boxes, and the hook that replaces them in tests.
#include "shell/services/message_box_win.h"

#include <cstdlib>

#include "shell/services/program_end.h"

namespace zuvelo {
namespace {

// The hook is copied out so that it runs unlocked: a hook may itself be slow or re-entrant.
std::optional<int> ToHook(const MessageBoxCall& call) {
  const MessageBoxHook hook = MessageBoxSeam::Get();
  if (!hook) return std::nullopt;
  return hook(call);
}

MessageBoxCall NarrowCall(HWND owner, const char* text, const char* caption, UINT style) {
  MessageBoxCall call;
  call.owner = owner;
  call.text = text ? text : "";
  if (caption) call.caption = caption;
  call.style = style;
  return call;
}

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  if (auto answer = ToHook(NarrowCall(owner, text, caption, style))) return *answer;
  return ::MessageBoxA(owner, text, caption, style);
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
  MessageBoxCall call;
  call.owner = owner;
  call.wide = true;
  call.wide_text = text ? text : L"";
  if (caption) call.wide_caption = caption;
  call.style = style;
  if (auto answer = ToHook(call)) return *answer;
  return ::MessageBoxW(owner, text, caption, style);
}

void FatalMessageBox(HWND owner, const char* text, const char* caption) {
  MessageBoxCall call = NarrowCall(owner, text, caption, MB_OK);
  call.fatal = true;
  if (ToHook(call)) return;
  ::MessageBoxA(owner, text, caption, MB_OK);
  // No static destructors: other threads may still be using what they would tear down. What
  // must not be lost (the cache) is saved by the program-end actions, which lock what they use.
  RunProgramEndActions();
  ::ExitProcess(EXIT_FAILURE);
}

}  // namespace zuvelo
