#pragma once

#include "core/platform/Mounts.h"

#include <QStringList>

// The portable devices among the mounted volumes: an iPod holds its own
// database, iPod_Control/iTunes/iTunesDB; a PSP Memory Stick has a PSP or
// MP_ROOT folder at its root. Only the file systems such devices carry are
// looked at (FAT, exFAT, HFS+, NTFS), so a network mount that hangs is
// never touched.

// Whether the folder holds an iPod database.
bool IsIpodFolder(const QString &folder);

// The mount points, in mount order, each volume once.
QStringList IpodMountPoints(const QList<MountEntry> &mounts);
QStringList MemoryStickMountPoints(const QList<MountEntry> &mounts);

// The folder of a Memory Stick that the PSP lists videos from: MP_ROOT/
// 100MNV01 for MPEG-4 (the first two video codecs of the PSP's list) and
// MP_ROOT/100ANV01 for H.264.
QString PspVideoFolder(const QString &mountPoint, int videoCodecPosition);
