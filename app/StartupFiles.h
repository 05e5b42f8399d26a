#pragma once

#include <QStringList>

class frmMain;

// The files named on the command line, as a file manager passes them through
// "Open With" (the desktop file's %F): each existing file is added to the
// list as a dropped file would be. The one argument "/debug" is the debug
// switch, not a file.
struct StartupArguments {
    QStringList files;    // existing files, in the order given
    QStringList notFiles; // "argument: why it is no file", for those that name no file
};

StartupArguments ReadStartupArguments(const QStringList &arguments);

// The message for arguments that name no existing file: one message for all.
QString NotFilesMessage(const QStringList &notFiles);

// Adds the files named on the command line to the shown main window, then
// reports, once, the arguments that are not files.
void AddStartupFiles(frmMain &main, const QStringList &arguments);
