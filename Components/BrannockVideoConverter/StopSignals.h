#pragma once

namespace converter {

// The signals that stop a conversion (SIGTERM, SIGINT, SIGHUP) are caught and
// written to a pipe, which the loop that follows ffmpeg watches; SIGPIPE is
// ignored.
void installStopSignals();

// The read end of that pipe; -1 before installStopSignals.
int stopSignalFd();

// A signal that has arrived, 0 when none.
int pendingStopSignal();

// Ends the converter by that signal, as if it had not been caught.
[[noreturn]] void endBySignal(int number);

// Stops the conversion (by SIGTERM) when whoever runs it is gone: the parent
// that ran the converter, or the batch shell leading its process group
// ($MOBIVERT_BATCH_SHELL=1). Called once the signals are caught.
void stopWithParent();

} // namespace converter
