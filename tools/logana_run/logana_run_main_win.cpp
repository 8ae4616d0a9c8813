// logana-run: runs an analysis script outside the window, with `external` as pages see it.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/catch_all.h"
#include "base/code_page_win.h"
#include "base/com_apartment_win.h"
#include "bridge/external_object_win.h"
#include "headless_page_win.h"
#include "net/service_address.h"
#include "progress_line.h"
#include "run_host_object_win.h"
#include "runner_options.h"
#include "shell/services/message_box_win.h"
#include "shell/services/program_end.h"
#include "shell/services/settings_win.h"
#include "shell/use_wsock32.h"

namespace zuvelo::run {
namespace {

enum ExitCode { kScriptFailed = 1, kBadCommandLine = 2, kMessageBox = 3, kAnalysisError = 4 };

// After a message box the worker still ends its run; it gets this long to do so.
constexpr DWORD kWindDownMs = 5000;

std::optional<std::wstring> ReadScript(const std::string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string text = bytes.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return AnsiToWide(text, CP_UTF8);
}

// Makes the working folder current and points its settings at the log folder; false with a
// message on standard error when that cannot be done.
bool EnterWorkingFolder(const RunnerOptions& options) {
  std::error_code error;
  const std::filesystem::path logs =
      options.logs.empty() ? std::filesystem::path() : std::filesystem::absolute(options.logs);
  if (!options.work.empty()) {
    std::filesystem::create_directories(options.work, error);
    if (!::SetCurrentDirectoryA(options.work.c_str())) {
      std::fprintf(stderr, "logana-run: cannot use working folder %s\n", options.work.c_str());
      return false;
    }
  }
  if (!logs.empty()) {
    if (!std::filesystem::is_directory(logs, error)) {
      std::fprintf(stderr, "logana-run: no log folder %s\n", logs.string().c_str());
      return false;
    }
    WriteLogPathSetting(logs.string().c_str());
  }
  return true;
}

std::vector<std::wstring> WideArgs(const std::vector<std::string>& args) {
  std::vector<std::wstring> wide;
  for (const std::string& arg : args) wide.push_back(AnsiToWide(arg, CP_UTF8));
  return wide;
}

// One run: the engine with `external` and `host`, the script, then the analyses it started.
class Run {
 public:
  explicit Run(const RunnerOptions& options)
      : options_(options),
        boxes_([this](const MessageBoxCall& box) { return OnBox(box); }),
        page_(
            [this](const char* name, WPARAM argument) {
              // Game starts and pop-ups mean nothing here.
              if (argument != 0 && std::strcmp(name, "STATUS") == 0) {
                OnStatus(reinterpret_cast<const char*>(argument));
              }
              return LRESULT{0};
            },
            "RunWindows MainProc") {}

  int Execute(const std::wstring& script);

 private:
  int OnBox(const MessageBoxCall& box) {
    const std::string text = box.wide ? WideToAnsi(box.wide_text, CP_UTF8) : box.text;
    std::fprintf(stderr, "%slogana-run: message box: %s\n", progress_.Finish().c_str(),
                 text.c_str());
    if (!box_seen_.exchange(true)) box_tick_ = ::GetTickCount();
    return IDOK;
  }
  void OnStatus(const char* status) {
    if (std::strncmp(status, "ERROR(", 6) == 0) analysis_failed_ = true;
    if (options_.quiet && !analysis_failed_) return;
    const std::string line = progress_.Show(status, ::GetTickCount());
    std::fputs(line.c_str(), stderr);
  }
  bool GiveUp() const { return box_seen_ && ::GetTickCount() - box_tick_ > kWindDownMs; }
  int ReportErrors(JScriptHost& engine, HRESULT ran);

  const RunnerOptions& options_;
  ProgressLine progress_;
  std::atomic<bool> box_seen_{false};
  std::atomic<DWORD> box_tick_{0};
  bool analysis_failed_ = false;
  ScopedMessageBoxHook boxes_;
  headless::HeadlessPage page_;
};

int Run::Execute(const std::wstring& script) {
  JScriptHost& engine = page_.script;
  com_ptr<IDispatchBrowserExternalImpl> external =
      IDispatchBrowserExternalImpl::Create(page_.host.hwnd());
  com_ptr<IDispatchRunHostImpl> host =
      IDispatchRunHostImpl::Create(WideArgs(options_.args), stdout);
  if (!page_.ok()) {
    std::fprintf(stderr, "logana-run: cannot create its windows (error %lu)\n",
                 static_cast<unsigned long>(page_.error()));
    return kScriptFailed;
  }
  if (!engine.ok() || !external || !host) {
    std::fprintf(stderr, "logana-run: cannot start the script engine (hr=%lX)\n",
                 static_cast<unsigned long>(engine.status()));
    return kScriptFailed;
  }
  engine.AddNamedItem(L"external", external.get());
  engine.AddNamedItem(L"host", host.get());
  const HRESULT ran = engine.Run(script);
  headless::PumpWhileAttached(page_.main, [this] { return GiveUp(); });
  std::fputs(progress_.Finish().c_str(), stderr);
  std::fflush(stdout);
  if (page_.main.attached().size() > 0) {
    // A worker that did not end after a box cannot be waited for safely; what the script
    // changed in the cache is saved all the same.
    std::fprintf(stderr, "logana-run: the analysis did not end; giving up\n");
    std::fflush(stderr);
    RunProgramEndActions();
    ::ExitProcess(kMessageBox);
  }
  // A box or an error status explains more than the script error that often follows it.
  const int failed = ReportErrors(engine, ran);
  engine.Close();
  if (box_seen_) return kMessageBox;
  if (analysis_failed_) return kAnalysisError;
  return failed != 0 ? failed : host->exit_code();
}

int Run::ReportErrors(JScriptHost& engine, HRESULT ran) {
  const std::vector<ScriptError> errors = engine.TakeErrors();
  for (const ScriptError& error : errors) {
    std::fprintf(stderr, "logana-run: script error at line %lu: %s (hr=%08lX)\n",
                 static_cast<unsigned long>(error.line),
                 WideToAnsi(error.description, CP_UTF8).c_str(),
                 static_cast<unsigned long>(error.code));
  }
  if (errors.empty() && FAILED(ran)) {
    std::fprintf(stderr, "logana-run: the script failed (hr=%08lX)\n",
                 static_cast<unsigned long>(ran));
  }
  return errors.empty() && SUCCEEDED(ran) ? 0 : kScriptFailed;
}

int RunMain(int argc, char** argv) {
  const ParsedOptions parsed = ParseRunnerOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "logana-run: %s (see --help)\n", parsed.error.c_str());
    return kBadCommandLine;
  }
  const RunnerOptions& options = parsed.options;
  const std::optional<std::wstring> script = ReadScript(options.script);
  if (!script) {
    std::fprintf(stderr, "logana-run: cannot read %s\n", options.script.c_str());
    return kBadCommandLine;
  }
  if (!EnterWorkingFolder(options)) return kBadCommandLine;
  std::optional<zuvelo::ScopedHomeAddress> home;
  if (!options.home.empty()) home.emplace(options.home);
  // Downloads and the trace need the sockets layer, as in the program.
  const zuvelo::SocketsLayer sockets;
  zuvelo::ComApartment apartment;
  if (!apartment.ok()) return kScriptFailed;
  return Run(options).Execute(*script);
}

}  // namespace
}  // namespace zuvelo::run

int main(int argc, char** argv) {
  int code = zuvelo::run::kScriptFailed;
  static_cast<void>(
      zuvelo::CatchAll("logana-run", [&] { code = zuvelo::run::RunMain(argc, argv); }));
  return code;
}
