#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// Files and processes as a test looks at them.

QByteArray ReadFileBytes(const QString &path); // empty when unreadable
bool WriteFileBytes(const QString &path, const QByteArray &bytes);

// Every file of a folder, hidden ones included, sorted by name.
QStringList FilesIn(const QString &folder);

// What a batch leaves in the data folder while it runs: the batch files (one
// per lane), the component copies and the lock.
QStringList WorkingFiles(const QString &dataFolder);

// The command lines (arguments joined by blanks) of the running processes,
// other than this one, that mention the text: for a folder, the batch's
// shell, the converter copy and ffmpeg all do.
QStringList ProcessesMentioning(const QString &text);
// The /proc states (R, S, T...) of those processes, one letter each.
QString ProcessStatesMentioning(const QString &text);
// A stopped process (state T) whose command line holds both texts; 0 when none is.
pid_t StoppedProcessMentioning(const QString &program, const QString &text);
