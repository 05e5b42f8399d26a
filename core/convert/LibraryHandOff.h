#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class BatchProgress;
struct BatchRecord;

// The library hand-off of an iPod batch ("Add files directly to iTunes"):
// TrackDrop adds every converted file to a connected iPod's own database,
// or, with no iPod connected, to the Mobivert playlist in the music folder.

// The iPods mounted now, each by its mount point.
QStringList ConnectedIpods();

// Asks the shipped TrackDrop whether the iPod can take the batch's files;
// it also backs up the iPod's database before the batch writes to it.
// Nothing when it can; otherwise the reason, one line.
std::optional<QString> CheckIpod(const QString &mountPoint);

// Whether an error a batch reported is a hand-off's (TrackDrop's line).
bool IsHandOffError(const QString &message);

// How the hand-offs of converted files went: how many were added, and
// why each of the others was not.
struct HandOffOutcome {
    int added = 0;
    QStringList notAdded;
};

// The hand-offs of a batch that has ended: a row with its file on disk was
// handed off when its hand-off said so; otherwise why not.
HandOffOutcome HandOffOutcomeOf(const BatchProgress &progress, const QStringList &outputPaths);

// Hands the record's converted files whose hand-off was cut off or failed
// to the library again, one TrackDrop run each, and marks those added.
HandOffOutcome HandOffLeftFiles(BatchRecord &record);

// Taking up an interrupted batch (mobivert-cli --resume, the window's
// restore), with the batch lock held: hands off the files left as
// HandOffLeftFiles does, then keeps the record in the data folder while
// anything is left to do (a hand-off that failed again, a row to convert)
// and removes it otherwise. The note for the user (LibraryNote), or
// nothing when no hand-off was left.
std::optional<QString> ResumeHandOffs(const QString &dataFolder, BatchRecord &record);

// Where the hand-off puts the files: "the iPod at MOUNTPOINT", or, with no
// iPod, "the playlist PATH".
QString LibraryPlace(const QString &ipodMountPoint);

// What the end of the batch tells the user about the hand-off: the iPod
// the files went to, or that no iPod was connected and where the playlist
// is; with any not added, how many were and why the others were not.
QString LibraryNote(const QString &ipodMountPoint, const HandOffOutcome &outcome = {});
