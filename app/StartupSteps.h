#pragma once

#include <QStringList>

class frmMain;

// Start-up once the main window is loaded: shows it, then, once it is on
// screen and over it, offers an interrupted batch again and adds the files
// named on the command line (`arguments`, without the program name).
void ShowMainWindowAtStart(frmMain &main, const QStringList &arguments);

// A logout or kill (SIGTERM, SIGINT, SIGHUP) closes every window the usual
// way, so the settings are saved and a running conversion is cleaned up
// with its record kept, and then ends the application, also when a dialog
// (the conversion window, the Error Log) held it in a loop of its own.
void EndOnTerminationSignals();
