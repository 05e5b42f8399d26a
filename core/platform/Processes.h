#pragma once

#include <QList>
#include <QString>

#include <sys/types.h>

// The processes of this machine as /proc shows them.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parentPid = 0;
    pid_t processGroup = 0;
    char state = '?';  // R, S, D, Z (a zombie: ended, not yet collected), ...
    QString imageName; // the executable's file name (from /proc/PID/exe, else the command line)
};

QList<ProcessEntry> ListProcesses();

// The image name ends with the given name, compared without regard to
// letter case (so a full path or a longer name that ends with it matches).
bool ImageNameMatches(const QString &imageName, const QString &name);

// Ends every process of the given process group whose image name matches:
// first asks them to stop (SIGTERM), then kills what is left after the
// grace period. Processes of other groups, such as those of another running
// copy of Mobivert, are never touched. An empty name does nothing.
void KillProcessByName(const QString &name, pid_t processGroup, int graceMs = 3000);

// Whether any process of the group is still running (zombies, which have
// ended and only wait to be collected, do not count).
bool ProcessGroupAlive(pid_t processGroup);
