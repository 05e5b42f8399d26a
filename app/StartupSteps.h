#pragma once

#include <QStringList>

class frmMain;

// Start-up once the main window is loaded: shows it, then, once it is on
// screen and over it, offers an interrupted batch again and adds the files
// named on the command line (`arguments`, without the program name).
void ShowMainWindowAtStart(frmMain &main, const QStringList &arguments);
