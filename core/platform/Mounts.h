#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The file systems mounted for this process, as the kernel lists them in
// /proc/self/mountinfo.
struct MountEntry {
    QString device;         // major:minor of the file system
    QString root;           // the folder of the file system that is mounted
    QString mountPoint;     // where it is mounted
    QString fileSystemType; // "vfat", "ext4", ...
    QString source;         // "/dev/sdb1", ...

    friend bool operator==(const MountEntry &, const MountEntry &) = default;
};

// Reads the text of a mountinfo file: one mount a line, in mount order;
// lines that do not have the expected fields are passed over. Blanks, tabs,
// line breaks and backslashes in paths arrive escaped as \040, \011, \012
// and \134, and are decoded.
QList<MountEntry> ParseMountInfo(const QByteArray &text);

// The mounts of this process: /proc/self/mountinfo, or the file named by
// MOBIVERT_MOUNTINFO when that is set (tests point it at recorded text).
// Nothing when the file cannot be read.
QList<MountEntry> ReadMounts();
