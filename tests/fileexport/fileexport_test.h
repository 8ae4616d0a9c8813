// Fixture of the file writer tests: the object in a real JScript engine as `file`, the save
// dialog answered by the test, message boxes recorded, a fresh folder for the files.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/variant_win.h"
#include "bridge/automation/jscript_host_win.h"
#include "fileexport/file_object_win.h"
#include "fileexport/save_dialog_win.h"
#include "support/invoke_with.h"
#include "support/message_box_recorder.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

using Lines = std::vector<std::string>;

// One save dialog as it was asked for, its texts copied out of the request.
struct DialogRequest {
  OPENFILENAMEA fields{};
  std::string filter;  // every byte up to and including the double zero
  std::string title;
  std::string default_extension;
  std::string initial_file;
};

class FileExportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A writer made as the external object makes one, with the code page given.
  void MakeWriter(UINT code_page = CP_ACP);

  // The next dialogs choose this file of the test's folder, or cancel when it is empty.
  void ChooseFile(const std::string& name) { answer_ = name; }
  void CancelDialogs() { answer_.reset(); }

  // The value of a script expression as text.
  std::wstring Text(const wchar_t* expression);
  // The error number a statement throws, as text, or "ok".
  std::wstring Attempt(const wchar_t* statement);

  [[nodiscard]] std::filesystem::path PathOf(const std::string& name) const {
    return folder_ / name;
  }
  [[nodiscard]] std::string Contents(const std::string& name) const;

  static Lines Trace() { return ProcessTraceListener().Take(); }

  HWND owner_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  JScriptHost host_;
  MessageBoxRecorder boxes_;
  com_ptr<IDispatchFileImpl> writer_;
  std::vector<DialogRequest> dialogs_;

 private:
  bool Answer(OPENFILENAMEA& dialog);

  std::filesystem::path folder_;
  std::optional<std::string> answer_;
  ScopedSaveDialogHook dialog_hook_{[this](OPENFILENAMEA& d) { return Answer(d); }};
};

// HRESULTs as script sees them in a caught error's number.
inline std::wstring ErrorNumber(HRESULT hr) { return std::to_wstring(static_cast<int>(hr)); }

}  // namespace zuvelo::testing
