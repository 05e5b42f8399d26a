#pragma once

#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal)
// into a call on the event loop's thread, so the program can close its
// windows, save its settings and clean up instead of dying mid-write.
namespace TerminationSignals {

// Installs the handlers; the callback runs once per signal received.
// Returns false when the handlers could not be installed.
bool watch(std::function<void(int signalNumber)> onSignal);

// Whether a termination signal has arrived: windows then close without
// asking questions.
bool received();

} // namespace TerminationSignals
