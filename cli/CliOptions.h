#pragma once

#include "core/filelist/FileListRow.h"
#include "core/filelist/TrimTimes.h"
#include "core/profiles/ConversionSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

// What mobivert-cli is asked to do, read from its command line and checked
// against the chosen device's profile file.

// Exit statuses of mobivert-cli.
enum CliExit : int {
    ExitConverted = 0, // every file converted (or the listing/printing mode succeeded)
    ExitFailed = 1,    // a conversion failed, or the batch could not run
    ExitInvalid = 2,   // invalid options or values; nothing was converted
    // Ended by a signal: 128 + the signal's number, as the shell reports it.
};

struct TrimRange {
    TimeFields start;
    TimeFields end;
};

struct CliRequest {
    enum class Mode {
        Convert,
        Resume,
        DryRun,
        Info,
        Preview,
        ListDevices,
        ListProfiles,
        Help,
        Version
    };
    Mode mode = Mode::Convert;
    bool json = false;

    QString device;        // one of the four device names
    int profileNumber = 0; // 1-based; 0 when the device loads no profile
    QString profileName;
    bool settingsChanged = false; // an option changed the profile's settings
    ConversionSettings settings;
    QStringList sizeItems;    // the device's size list, for the limit check
    QStringList qualityItems; // the device's quality list, for the limit check

    std::optional<QString> outputFolder; // nothing: the folder saved by the window
    std::optional<TrimRange> trim;       // for every file
    // --audio-track and --burn-subtitles TRACK, for every file: a 1-based
    // track number or a language code; empty for the source's default.
    QString audioTrack;
    QString subtitleTrack;
    MediaDescription media; // --kind (every file); --title, --show, --season, --episode (one file)
    std::optional<qint64> fitBytes; // --fit: the size all outputs together fill
    bool addToLibrary = false;
    std::optional<QString> ipod; // --ipod: the iPod the library hand-off adds to
    bool createThumbnails = false;
    QString pspStartNumber = QStringLiteral("1");
    int jobs = 0; // files converted at once: a number, or 0 for automatic (FilesAtOnce)
    qint64 previewSeconds = 0; // --preview: the time previewed in each file

    QStringList files; // as given on the command line
};

struct CliParse {
    std::optional<CliRequest> request;
    QString error; // why there is no request
    int exitCode = ExitInvalid;
    bool json = false; // --json was given, so the error is reported as JSON
};

// Reads the arguments (the program name first, as QCoreApplication gives
// them). Every value is checked here, before any file is read: the device
// and profile, each setting against the device's lists, a custom size, the
// trim times' form and order, the device-only options, and the codec's size
// and quality limits.
CliParse ParseCliArguments(const QStringList &arguments);

// Gives every row the request's track choices.
void ApplyTrackChoices(const CliRequest &request, QList<FileListRow> &rows);

// The four devices: name, and the caption the window shows for it.
struct CliDevice {
    QString name;
    QString caption;
};
QList<CliDevice> CliDevices();

// The position of a value in an option list: an item matches when it equals
// the value without regard to case and blanks, also when the value leaves
// out the item's unit ("128" for "128 kbps", "25" for "25 fps").
std::optional<int> FindOptionItem(const QStringList &items, const QString &value);

// The trim dialog's message for a refused trim range, on one line.
QString TrimRefusalText(TrimVerdict verdict, qint64 totalSeconds);
