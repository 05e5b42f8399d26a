#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The library hand-off of an iPod batch ("Add files directly to iTunes"):
// TrackDrop adds every converted file to a connected iPod's own database,
// or, with no iPod connected, to the Mobivert playlist in the music folder.

// The iPods mounted now, each by its mount point.
QStringList ConnectedIpods();

// Asks the shipped TrackDrop whether the iPod can take the batch's files;
// it also backs up the iPod's database before the batch writes to it.
// Nothing when it can; otherwise the reason, one line.
std::optional<QString> CheckIpod(const QString &mountPoint);

// What the end of the batch tells the user about the hand-off: the iPod
// the files went to, or that no iPod was connected and where the playlist is.
QString LibraryNote(const QString &ipodMountPoint);
