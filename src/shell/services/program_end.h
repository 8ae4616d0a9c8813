// Work that must be done however the program ends, also where no static destructor runs: after
// a fatal message box, at the end of the user's session, when a tool gives up on a worker.
#pragma once

namespace zuvelo {

using ProgramEndAction = void (*)();

// Each action is kept once, and runs in the order the actions were first given.
void AtProgramEnd(ProgramEndAction action);
// Runs every action now, on the calling thread; the program may go on or end afterwards.
void RunProgramEndActions();

}  // namespace zuvelo
