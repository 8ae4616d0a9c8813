// The program-end actions: a list under a lock, run from a copy so that an action may itself
// register one.
#include "shell/services/program_end.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace zuvelo {
namespace {

std::mutex& ActionsLock() {
  static std::mutex lock;
  return lock;
}

std::vector<ProgramEndAction>& Actions() {
  static std::vector<ProgramEndAction> actions;
  return actions;
}

}  // namespace

void AtProgramEnd(ProgramEndAction action) {
  std::lock_guard<std::mutex> hold(ActionsLock());
  std::vector<ProgramEndAction>& actions = Actions();
  if (action && std::find(actions.begin(), actions.end(), action) == actions.end())
    actions.push_back(action);
}

void RunProgramEndActions() {
  std::vector<ProgramEndAction> actions;
  {
    std::lock_guard<std::mutex> hold(ActionsLock());
    actions = Actions();
  }
  for (ProgramEndAction action : actions) action();
}

}  // namespace zuvelo
