#pragma once

#include <QStringList>

// The main window's start-up to ready: the real mobivert binary from its
// start until it is waiting for the user (its window is up and its SIGTERM
// handler installed), and the same load steps in this process (window
// built, loaded and shown, first events handled). Each with a home folder
// of its own, so no real settings are read or written.
QStringList RunStartupBench();
