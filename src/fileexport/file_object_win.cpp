// The file writer's members: argument checks, the save dialog request and the writes.
#include "fileexport/file_object_win.h"

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "base/bstr_win.h"
#include "base/code_page_win.h"
#include "fileexport/save_dialog_win.h"
#include "shell/services/message_box_win.h"

namespace zuvelo {
namespace {

// Pairs of display text and pattern, double-zero terminated.
constexpr char kFilter[] = "Text File(*.txt)\0*.txt\0HTML File(*.html)\0*.html\0All(*.*)\0*.*\0";

constexpr DWORD kDialogFlags = OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_PATHMUSTEXIST |
                               OFN_EXTENSIONDIFFERENT | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                               OFN_OVERWRITEPROMPT;

struct SaveKind {
  const char* extension;  // the default extension, with its dot
  DWORD filter_index;
};

// A BSTR may hold zeros; what is written ends at the first, as a C string would.
std::string ScriptTextToAnsi(std::wstring_view text, UINT code_page) {
  return WideToAnsi(text.substr(0, text.find(L'\0')), code_page);
}

std::optional<SaveKind> KindOf(std::wstring_view extension) {
  if (extension == L".txt") return SaveKind{".txt", 1};
  if (extension == L".html") return SaveKind{".html", 2};
  return std::nullopt;
}

// The oldest dialog layout (76 bytes in a 32-bit build), with no file name suggested.
std::optional<std::string> AskPath(HWND owner, const SaveKind& kind, const std::string& title) {
  char path[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = owner;
  dialog.hInstance = ::GetModuleHandleA(nullptr);
  dialog.lpstrFilter = kFilter;
  dialog.nFilterIndex = kind.filter_index;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = kind.extension;
  dialog.Flags = kDialogFlags;
  if (!ShowSaveDialog(dialog)) return std::nullopt;
  path[MAX_PATH - 1] = '\0';  // a hook, unlike the platform, might fill the whole buffer
  return std::string(path);
}

void WriteBool(VARIANT* result, bool value) {
  if (result == nullptr) return;
  ::VariantInit(result);
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

std::span<const Member<IDispatchFileImpl>> IDispatchFileImpl::Members() {
  using F = IDispatchFileImpl;
  static constexpr Member<F> members[] = {
      {L"open", 101, MemberKind::kMethod, &F::Open},
      {L"close", 102, MemberKind::kMethod, &F::Close},
      {L"write", 103, MemberKind::kMethod, &F::Write},
  };
  return members;
}

com_ptr<IDispatchFileImpl> IDispatchFileImpl::Create(HWND owner, UINT code_page) {
  return com_ptr<IDispatchFileImpl>(new (std::nothrow) IDispatchFileImpl(owner, code_page));
}

HRESULT IDispatchFileImpl::Open(const Invocation& call) {
  if (is_open()) return STG_E_INVALIDFUNCTION;
  if (call.count() < 2 || !IsType(call.arg(0), VT_BSTR)) return E_INVALIDARG;
  const BSTR mode = V_BSTR(call.arg(0));
  if (bstr_view(mode) != L"default") {
    // The page asked for something this writer does not offer; tell the user what it was.
    ShowMessageBox(owner_, mode ? mode : L"", nullptr, MB_OK);
    return E_INVALIDARG;
  }
  if (!IsType(call.arg(1), VT_BSTR)) return E_INVALIDARG;
  const std::optional<SaveKind> kind = KindOf(bstr_view(V_BSTR(call.arg(1))));
  if (!kind) return E_INVALIDARG;
  const VARIANT* title = call.arg(2);
  const std::string title_text = IsType(title, VT_BSTR)
                                     ? ScriptTextToAnsi(bstr_view(V_BSTR(title)), code_page_)
                                     : std::string();

  const std::optional<std::string> path = AskPath(owner_, *kind, title_text);
  if (path) {
    file_.reset(::CreateFileA(path->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              0, nullptr));
    if (!file_) return TYPE_E_IOERROR;
  }
  WriteBool(call.result(), path.has_value());
  return S_OK;
}

HRESULT IDispatchFileImpl::Close(const Invocation&) {
  file_.reset();
  return S_OK;
}

HRESULT IDispatchFileImpl::Write(const Invocation& call) {
  if (!is_open()) return STG_E_INVALIDFUNCTION;
  if (call.count() != 1 || !IsType(call.arg(0), VT_BSTR)) return E_INVALIDARG;
  const std::string bytes = ScriptTextToAnsi(bstr_view(V_BSTR(call.arg(0))), code_page_);
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!ok || written != bytes.size()) return TYPE_E_IOERROR;
  return S_OK;
}

}  // namespace zuvelo
