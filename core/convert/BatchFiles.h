#pragma once

#include <QString>

// The working files of a batch in the data folder: the batch file, the
// copies of the components it runs, and the lock that keeps two batches
// from sharing them.
namespace BatchFiles {

inline constexpr char16_t ConverterName[] = u"BrannockVideoConverter.exe";
inline constexpr char16_t TrackDropName[] = u"TrackDrop.exe";

QString batch(const QString &dataFolder); // BVC.bat
// The batch file of a lane (0-based): BVC.bat for the first, then BVC2.bat,
// BVC3.bat, ...
QString laneBatch(const QString &dataFolder, int lane);
QString converter(const QString &dataFolder);     // BrannockVideoConverter.exe
QString threadLibrary(const QString &dataFolder); // pthreadGC2.dll (not shipped here)
QString trackDrop(const QString &dataFolder);     // TrackDrop.exe
// TrackDrop.ipod: the mount point of the iPod that TrackDrop adds the
// batch's files to; without it, TrackDrop adds them to the playlist.
QString trackDropTarget(const QString &dataFolder);
QString lock(const QString &dataFolder); // BVC.lock

// The shipped components in the application folder.
QString shippedConverter();     // Components/BrannockVideoConverter.dll
QString shippedThreadLibrary(); // Components/pthreadGC2.dll
QString shippedTrackDrop();     // Components/TrackDrop.exe

} // namespace BatchFiles
