// Fixture of the analyzer tests: an analyzer made for the stand-in host window, known to
// script as `ana`; helpers that run it to its detach, hold a run in its worker, and compare
// trace lines whose times and exit codes vary from run to run.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "bridge/handle.h"
#include "logana/analyzer_object_win.h"
#include "page_test.h"

namespace zuvelo::testing {

class AnalyzerTest : public PageTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Pumps the main thread until the analyzer is no longer attached.
  void RunToDetach(IDispatchLogAnaImpl* analyzer);
  // A script object from an expression.
  com_ptr<IDispatch> Object(const std::wstring& expression);

  // The trace lines since the last take, masked: the exit code read by KillThread (the worker
  // may not have ended yet), callback times, replay and run times.
  Lines Masked();

  com_ptr<IDispatchLogAnaImpl> analyzer_;
};

std::string AttachLine(IDispatchLogAnaImpl* analyzer);
std::string DetachLine(IDispatchLogAnaImpl* analyzer);

// The trace of a KillThread that finds a thread, masked.
Lines KillThreadLines();
// The option line for the values given.
std::string OptionLine(int sort, int lobby, unsigned match_mask, unsigned match, unsigned skip_mask,
                       unsigned skip, int player_length);
// A profile line with its time masked.
std::string ProfileLine(const wchar_t* name, int count);

// Holds every run in its worker until released, like a long scan would; the run then goes on
// as if its work had given `result` (a failure ends it as a failed step does).
class RunHold {
 public:
  explicit RunHold(HRESULT result = S_OK);
  // Lets held runs go and waits until none is inside.
  ~RunHold();
  RunHold(const RunHold&) = delete;
  RunHold& operator=(const RunHold&) = delete;
  // Waits until `count` runs have entered.
  bool WaitEntered(int count = 1);
  void Release() { ::SetEvent(release_.get()); }
  [[nodiscard]] int entered() const { return entered_; }

 private:
  unique_kernel_handle release_;
  std::atomic<int> entered_{0};
  std::atomic<int> inside_{0};
  ScopedAnalyzeWorkerHooks hooks_;
};

}  // namespace zuvelo::testing
