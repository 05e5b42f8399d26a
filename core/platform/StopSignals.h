#pragma once

#include <functional>

// Turns SIGTSTP (Ctrl+Z in a terminal) and SIGCONT ("fg", "kill -CONT")
// into calls on the event loop's thread, so that a program can stop what it
// runs in other process groups before it stops itself, and take it up
// again when it continues.
namespace StopSignals {

// Installs the handlers. `onStop` runs for SIGTSTP and must end by
// stopping the program (stopSelf()); `onContinue` runs for SIGCONT.
bool watch(std::function<void()> onStop, std::function<void()> onContinue);

// Stops the program as SIGTSTP would have without a handler.
void stopSelf();

} // namespace StopSignals
