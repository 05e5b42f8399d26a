// mobivert-cli: the window's conversions from a terminal. The same profile
// files, media information, batch builder, launcher, converter and output
// parser as the window, so both write the same batch for the same settings.
#include "cli/CliConversion.h"
#include "cli/CliHelpText.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/CliPreview.h"
#include "core/base/GetShellFolder.h"
#include "core/base/Various.h"
#include "core/convert/BatchCleanup.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchLock.h"
#include "core/convert/BatchRecord.h"
#include "core/convert/BatchStart.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/FitPlanning.h"
#include "core/convert/LibraryHandOff.h"
#include "core/convert/SourceNotes.h"
#include "core/filelist/VideoFileReader.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"
#include "core/platform/ProcessorCores.h"
#include "core/platform/StopSignals.h"
#include "core/platform/TerminationSignals.h"
#include "core/profiles/ProfileFile.h"
#include "core/profiles/ProfileSettings.h"
#include "core/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLockFile>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace {

// A termination signal that arrived before the batch started, and the
// batch that a signal cancels once it runs.
int g_pendingSignal = 0;
CliConversion *g_conversion = nullptr;

void onTerminationSignal(int signalNumber) {
    if (g_conversion)
        g_conversion->cancel(signalNumber);
    else
        g_pendingSignal = signalNumber;
}

// Ctrl+Z: the batch's lanes run in process groups of their own, which the
// terminal does not stop; they are stopped first, then the program.
void onStopSignal() {
    if (g_conversion)
        g_conversion->pause();
    StopSignals::stopSelf();
}

void onContinueSignal() {
    if (g_conversion)
        g_conversion->resume();
}

QJsonObject settingsObject(const ConversionSettings &s) {
    return {{QStringLiteral("audioCodec"), s.audioCodec},
            {QStringLiteral("audioBitrate"), KbpsText(s.audioBitrate)},
            {QStringLiteral("sampleRate"), SampleRateText(s.audioSampleRate)},
            {QStringLiteral("channels"), s.audioChannelsPosition + 1},
            {QStringLiteral("noAudio"), s.noAudio == 1},
            {QStringLiteral("videoCodec"), s.videoCodec},
            {QStringLiteral("size"), VideoSizeText(s.videoSize)},
            {QStringLiteral("videoBitrate"), KbpsText(s.videoBitrate)},
            {QStringLiteral("frameRate"), FrameRateText(s.videoFrameRate)},
            {QStringLiteral("noVideo"), s.noVideo == 1},
            {QStringLiteral("sameQuality"), s.originalQuality == 1},
            {QStringLiteral("keepAspect"), s.keepAspectRatio == 1},
            {QStringLiteral("twoPass"), UsesTwoPasses(s)}};
}

QString settingsText(const ConversionSettings &s) {
    const QString video =
        s.noVideo == 1 ? QStringLiteral("no video")
                       : QStringLiteral("video %1 %2 %3 %4%5")
                                 .arg(s.videoCodec, VideoSizeText(s.videoSize),
                                      s.originalQuality == 1 ? QStringLiteral("same quality")
                                                             : KbpsText(s.videoBitrate),
                                      FrameRateText(s.videoFrameRate),
                                      s.keepAspectRatio == 1 ? QStringLiteral(", keep aspect ratio")
                                                             : QString()) +
                             (UsesTwoPasses(s) ? QStringLiteral(", two passes") : QString());
    const QString audio = s.noAudio == 1 ? QStringLiteral("no audio")
                                         : QStringLiteral("audio %1 %2, %3 Hz, channels: %4")
                                               .arg(s.audioCodec, KbpsText(s.audioBitrate),
                                                    SampleRateText(s.audioSampleRate))
                                               .arg(s.audioChannelsPosition + 1);
    return video + QStringLiteral("; ") + audio;
}

int listDevices(const CliRequest &, CliOutput &out, QCoreApplication &) {
    for (const CliDevice &device : CliDevices()) {
        if (out.json())
            out.object({{QStringLiteral("event"), QStringLiteral("device")},
                        {QStringLiteral("name"), device.name},
                        {QStringLiteral("caption"), device.caption},
                        {QStringLiteral("default"), device.name == u"iPod"}});
        else
            out.line(device.name + u'\t' + device.caption);
    }
    return ExitConverted;
}

int listProfiles(const CliRequest &request, CliOutput &out, QCoreApplication &) {
    const QString file = ProfileFile::Path(request.device);
    const ProfileSettings::DeviceProfiles profiles = ProfileSettings::ReadDeviceProfiles(file);
    for (qsizetype i = 0; i < profiles.names.size(); ++i) {
        const int number = int(i + 1);
        const bool isDefault = profiles.defaultPosition == i;
        if (out.json()) {
            out.object(
                {{QStringLiteral("event"), QStringLiteral("profile")},
                 {QStringLiteral("device"), request.device},
                 {QStringLiteral("number"), number},
                 {QStringLiteral("name"), profiles.names[i]},
                 {QStringLiteral("default"), isDefault},
                 {QStringLiteral("settings"),
                  settingsObject(ProfileSettings::SettingsForProfile(request.device, number))}});
        } else {
            out.line(QString::number(number) + u'\t' + profiles.names[i] +
                     (isDefault ? QStringLiteral("\t(default)") : QString()));
        }
    }
    return ExitConverted;
}

// A file as the list holds it: the full path.
QString fullPath(const QString &file) {
    return QFileInfo(file).isAbsolute() ? file
                                        : QDir::cleanPath(QDir::current().absoluteFilePath(file));
}

// The rows of the files read, and how many files did not become rows.
struct ReadRows {
    QList<FileListRow> rows;
    int leftOut = 0;
};

// Where the library hand-off put the files (the iPod, else the playlist).
void printLibraryNote(CliOutput &out, const QString &ipodMountPoint, const QString &note) {
    if (out.json())
        out.object({{QStringLiteral("event"), QStringLiteral("library")},
                    {QStringLiteral("ipod"),
                     ipodMountPoint.isEmpty() ? QJsonValue() : QJsonValue(ipodMountPoint)},
                    {QStringLiteral("text"), note}});
    else
        out.line(note);
}

// Reads every file as the window's list does, on as many threads as there
// are cores, the rows in the order of the files. A file that holds neither
// video nor sound is reported and left out, as the window leaves it out of
// the list; a missing file stays a row, for the converter to report. Nothing
// when a termination signal arrived meanwhile.
std::optional<ReadRows> readRows(const QStringList &files, CliOutput &out) {
    // A path that is there but is no readable file (a folder, a FIFO, a
    // device) is refused before any reader opens it.
    ReadRows read;
    QStringList paths;
    for (const QString &file : files) {
        const QString path = fullPath(file);
        if (const QString problem = SourceFileProblem(path);
            !problem.isEmpty() && !IsMissingPath(path)) {
            out.problem(path + QStringLiteral(": ") + problem);
            ++read.leftOut;
            continue;
        }
        paths.append(path);
    }
    VideoFileReader reader(paths, AvailableCores());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const std::optional<VideoFileInfo> info = reader.waitFor(i);
        QCoreApplication::processEvents();
        if (g_pendingSignal != 0 || !info)
            return std::nullopt;
        if (!info->HoldsVideoOrAudio && !IsMissingPath(paths[i])) {
            out.problem(paths[i] + QStringLiteral(": holds no video, not added"));
            ++read.leftOut;
            continue;
        }
        FileListRow row;
        row.Filename = info->Filename;
        row.Codec = info->Codec;
        row.Duration = info->Duration;
        row.VideoSize = info->VideoSize;
        row.Filepath = paths[i];
        read.rows.append(row);
    }
    return read;
}

int showInfo(const CliRequest &request, CliOutput &out, QCoreApplication &) {
    const std::optional<ReadRows> read = readRows(request.files, out);
    if (!read)
        return 128 + g_pendingSignal;
    int status = read->leftOut > 0 ? ExitFailed : ExitConverted;
    // Rows of one name are told apart by their extensions, as in the list.
    const QStringList names = NamesApart(read->rows);
    for (qsizetype i = 0; i < read->rows.size(); ++i) {
        const FileListRow &row = read->rows[i];
        const QStringList cells = FileListCells(row);
        if (out.json())
            out.object({{QStringLiteral("event"), QStringLiteral("info")},
                        {QStringLiteral("file"), row.Filepath},
                        {QStringLiteral("filename"), row.Filename},
                        {QStringLiteral("codec"), row.Codec},
                        {QStringLiteral("duration"), cells[ColumnDuration]},
                        {QStringLiteral("videoSize"), cells[ColumnVideoSize]}});
        else
            out.line(InfoText::Line(
                {names[i], row.Codec, cells[ColumnDuration], cells[ColumnVideoSize]}));
        if (IsMissingPath(row.Filepath)) {
            out.problem(row.Filepath + QStringLiteral(": no such file"));
            status = ExitFailed;
        }
    }
    return status;
}

// The trim range, held against each file's duration as the trim dialog
// does, stored in the rows.
std::optional<QString> applyTrim(const TrimRange &trim, QList<FileListRow> &rows) {
    for (FileListRow &row : rows) {
        const TrimCheck check = CheckTrimTimes(trim.start, trim.end, row.Duration);
        if (check.Verdict != TrimVerdict::Accepted)
            return QStringLiteral("--trim for ") + row.Filepath + QStringLiteral(": ") +
                   TrimRefusalText(check.Verdict, row.Duration);
        row.BeginTime = check.BeginTime;
        row.EndTime = check.EndTime;
    }
    return std::nullopt;
}

QString lookUpDataFolder(CliOutput &out) {
    const ShellFolderResult result = LookUpShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE);
    if (result.status != ShellFolderStatus::Ok) {
        const QString message = ShellFolderMessage(result.status);
        out.problem(QStringLiteral("the settings folder cannot be used") +
                    (message.isEmpty() ? QString() : QStringLiteral(": ") + message));
        return {};
    }
    QString folder = result.path + DataFolderSuffix;
    CreateFolderPath(folder);
    if (!FolderExists(folder)) {
        out.problem(QStringLiteral("the settings folder cannot be created: ") + folder);
        return {};
    }
    return folder;
}

// The rows of the files the request names, trimmed as it asks, and the
// exit status the run ends with at best (failed when files were left out);
// nothing, with the exit status, when a signal stopped the reading, no file
// is left or the trim does not fit a file.
std::optional<QList<FileListRow>> readTrimmedRows(const CliRequest &request, CliOutput &out,
                                                  int &exitCode) {
    const std::optional<ReadRows> read = readRows(request.files, out);
    if (!read) {
        exitCode = 128 + g_pendingSignal;
        return std::nullopt;
    }
    exitCode = read->leftOut > 0 ? ExitFailed : ExitConverted;
    if (read->rows.isEmpty())
        return std::nullopt;
    std::optional<QList<FileListRow>> rows = read->rows;
    if (request.trim) {
        if (const std::optional<QString> refusal = applyTrim(*request.trim, *rows)) {
            out.problem(*refusal);
            exitCode = ExitInvalid;
            return std::nullopt;
        }
    }
    ApplyTrackChoices(request, *rows);
    return rows;
}

// The batch the request asks for, of the rows read.
BatchStart::Request startRequestOf(const CliRequest &request, const QString &dataFolder,
                                   const QList<FileListRow> &rows) {
    BatchOptions options;
    options.dataFolder = dataFolder;
    options.outputFolder = request.outputFolder.value_or(SettingsFile::readOutputDir(dataFolder));
    options.addToLibrary = request.addToLibrary;
    options.ipodMountPoint = request.ipod.value_or(QString());
    options.createThumbnails = request.createThumbnails;
    options.pspStartNumber = request.pspStartNumber;
    return {request.settings, request.profileName, rows,
            options,          request.jobs,        request.fitBytes.value_or(0)};
}

// Chooses the video bit rate that fits the rows into the size asked for;
// an exit status when the files cannot fit, before anything is written.
std::optional<int> planFit(const CliRequest &request, BatchStart::Request &startRequest,
                           CliOutput &out) {
    const FitOutcome fit = PlanFit(startRequest.settings, request.qualityItems, startRequest.rows,
                                   startRequest.fitBytes);
    if (!fit.refusal.isEmpty()) {
        out.problem(fit.refusal.join(u' '));
        return ExitInvalid;
    }
    startRequest.options.fit = fit.rows;
    if (out.json()) {
        out.object({{QStringLiteral("event"), QStringLiteral("fit")},
                    {QStringLiteral("size"), startRequest.fitBytes},
                    {QStringLiteral("videoBitrate"), fit.plan.videoKbps},
                    {QStringLiteral("expected"), fit.plan.expectedBytes},
                    {QStringLiteral("fills"), fit.note.isEmpty()}});
    } else if (request.mode != CliRequest::Mode::DryRun) {
        out.line(QStringLiteral("Fitting into %1: video at %2 kbps, two passes")
                     .arg(AskedMegabytesText(startRequest.fitBytes))
                     .arg(fit.plan.videoKbps));
        if (!fit.note.isEmpty())
            out.line(QStringLiteral("  ") + fit.note);
    }
    return std::nullopt;
}

// Prints the batch that would run, and what the converter will do for each
// source beyond its line.
int printDryRun(const BatchStart::Request &startRequest, CliOutput &out) {
    const BatchOptions &options = startRequest.options;
    if (options.outputFolder.trimmed().isEmpty()) {
        out.problem(QStringLiteral("Please, choose an output folder first."));
        return ExitInvalid;
    }
    const BatchPlan plan = BatchStart::dryRun(startRequest);
    // Read from the row's conversion command, its first.
    QStringList adaptations;
    for (qsizetype i = 0; i < plan.commands.size(); ++i) {
        if (plan.lineRows.value(i) == adaptations.size())
            adaptations.append(SourceNotesFor(plan.commands[i]));
    }
    if (out.json()) {
        QJsonObject batch{
            {QStringLiteral("event"), QStringLiteral("batch")},
            {QStringLiteral("lines"), QJsonArray::fromStringList(BatchLines(plan.commands))},
            {QStringLiteral("outputs"), QJsonArray::fromStringList(plan.outputPaths)},
            {QStringLiteral("adaptations"), QJsonArray::fromStringList(adaptations)}};
        // Several lanes take the lines of each file in row order as they
        // free up.
        if (plan.lanes > 1)
            batch.insert(QStringLiteral("lanes"), plan.lanes);
        out.object(batch);
        return ExitConverted;
    }
    for (const QString &line : BatchListing(plan, options.dataFolder))
        out.line(line);
    for (qsizetype row = 0; row < adaptations.size(); ++row) {
        if (!adaptations[row].isEmpty())
            out.line(QStringLiteral("Adapted to the source: %1: %2")
                         .arg(startRequest.rows.at(row).Filepath, adaptations[row]));
    }
    return ExitConverted;
}

QString profileText(const CliRequest &request) {
    if (request.profileNumber > 0)
        return QStringLiteral("profile %1 \"%2\"%3")
            .arg(request.profileNumber)
            .arg(request.profileName,
                 request.settingsChanged ? QStringLiteral(", changed") : QString());
    if (!request.profileName.isEmpty() && !ProfileSettings::IsCustomEntry(request.profileName))
        return QStringLiteral("profile \"%1\"").arg(request.profileName);
    return QStringLiteral("custom settings");
}

// What is converted, how and where to, as the batch begins.
void announceBatch(const CliRequest &request, const ConversionSettings &settings,
                   const BatchStart &start, CliOutput &out) {
    const BatchPlan &plan = start.plan();
    const qsizetype files = plan.rows.size();
    if (out.json()) {
        out.object({{QStringLiteral("event"), QStringLiteral("start")},
                    {QStringLiteral("device"), request.device},
                    {QStringLiteral("profile"), request.profileName},
                    {QStringLiteral("profileNumber"), request.profileNumber},
                    {QStringLiteral("changed"), request.settingsChanged},
                    {QStringLiteral("settings"), settingsObject(settings)},
                    {QStringLiteral("files"), int(files)},
                    {QStringLiteral("filesAtOnce"), plan.lanes},
                    {QStringLiteral("outputFolder"), start.options().outputFolder}});
        return;
    }
    const QString atOnce =
        plan.lanes > 1 ? QStringLiteral(" (%1 at once)").arg(plan.lanes) : QString();
    out.line(QStringLiteral("Converting %1 %2%3 for %4 with %5 into %6")
                 .arg(files)
                 .arg(files == 1 ? QStringLiteral("file") : QStringLiteral("files"), atOnce,
                      request.device, profileText(request), start.options().outputFolder));
    out.line(QStringLiteral("  ") + settingsText(settings));
}

// Runs the started batch until it ends, is cancelled or fails; then says
// where the library hand-off put the files, unless the batch was cancelled.
int runBatch(const BatchStart &start, CliOutput &out, QCoreApplication &application) {
    const BatchPlan &plan = start.plan();
    CliConversion conversion(start.options().dataFolder, plan, out, start.record());
    int exitCode = ExitFailed;
    QObject::connect(&conversion, &CliConversion::finished, &application, [&](int code) {
        exitCode = code;
        QCoreApplication::exit(code);
    });
    g_conversion = &conversion;
    // A signal that came while the batch was being written cancels it at once.
    if (g_pendingSignal != 0)
        QTimer::singleShot(0, &conversion, [&conversion] { conversion.cancel(g_pendingSignal); });
    else
        QTimer::singleShot(0, &conversion, &CliConversion::start);
    QCoreApplication::exec();
    g_conversion = nullptr;
    const QString &ipod = start.options().ipodMountPoint;
    if (!start.libraryNote().isEmpty() && (exitCode == ExitConverted || exitCode == ExitFailed)) {
        printLibraryNote(
            out, ipod,
            LibraryNote(ipod, HandOffOutcomeOf(conversion.progress(), plan.outputPaths)));
        // The record keeps the files not added.
        if (conversion.leftForResume() && !out.json())
            out.line(QStringLiteral("Run mobivert-cli --resume to add the rest."));
    }
    return exitCode;
}

// Converts the batch's rows (or prints their batch) as the request asks.
int convertRows(const CliRequest &request, BatchStart::Request startRequest, CliOutput &out,
                QCoreApplication &application) {
    if (startRequest.fitBytes > 0) {
        if (const std::optional<int> refused = planFit(request, startRequest, out))
            return *refused;
    }
    BatchOptions &options = startRequest.options;
    if (!options.outputFolder.trimmed().isEmpty())
        options.outputFolder = fullPath(options.outputFolder);
    // A batch begun without a profile is recorded as custom settings.
    if (startRequest.profile.isEmpty() && request.profileNumber == 0)
        startRequest.profile = ProfileSettings::CustomEntry;
    if (request.mode == CliRequest::Mode::DryRun)
        return printDryRun(startRequest, out);

    // Holds the data folder's batch lock, shared with the window, until the
    // batch has been cleaned up. Of several iPods connected, --ipod names one.
    const BatchStart start(startRequest,
                           [](const QStringList &) { return std::optional<QString>(); });
    if (const std::optional<BatchStart::Refusal> &refusal = start.refusal()) {
        out.problem(refusal->problem);
        return refusal->invalid ? ExitInvalid : ExitFailed;
    }
    announceBatch(request, startRequest.settings, start, out);
    return runBatch(start, out, application);
}

int convert(const CliRequest &request, CliOutput &out, QCoreApplication &application) {
    const QString dataFolder = lookUpDataFolder(out);
    if (dataFolder.isEmpty())
        return ExitFailed;

    int exitCode = 0;
    const std::optional<QList<FileListRow>> rows = readTrimmedRows(request, out, exitCode);
    if (!rows)
        return exitCode;
    return std::max(exitCode, convertRows(request, startRequestOf(request, dataFolder, *rows), out,
                                          application));
}

// The record of the last batch, once no batch runs: its half-written file
// removed and its converted files whose hand-off was cut off or failed
// added (what that gave is the note). Nothing while a batch still runs.
struct TakenRecord {
    BatchRecordFile::ReadResult found;
    std::optional<QString> handOffNote;
};
std::optional<TakenRecord> takeUpRecord(const QString &dataFolder, CliOutput &out) {
    // A record whose batch still runs is no interrupted one.
    QLockFile lock(BatchFiles::lock(dataFolder));
    if (TakeBatchLock(lock) == BatchLockRefusal::Busy) {
        out.problem(BusyMessage().join(u' '));
        return std::nullopt;
    }
    TakenRecord taken{BatchRecordFile::read(dataFolder), std::nullopt};
    if (taken.found.status == BatchRecordFile::ReadResult::Status::Found) {
        BatchRecordFile::removePartialFiles(taken.found.record);
        taken.handOffNote = ResumeHandOffs(dataFolder, taken.found.record);
    }
    // What the batch of an unreadable record left cannot be taken up.
    if (taken.found.status == BatchRecordFile::ReadResult::Status::Spoilt)
        RemoveWorkingFiles(dataFolder);
    return taken;
}

void reportSpoiltRecord(const BatchRecordFile::ReadResult &found, CliOutput &out) {
    out.problem(QStringLiteral("the record of the last batch could not be read (") + found.reason +
                (found.setAside.isEmpty()
                     ? QStringLiteral(") and could not be kept: nothing was resumed")
                     : QStringLiteral("); it was set aside as ") + found.setAside +
                           QStringLiteral(": nothing was resumed")));
}

int nothingToResume(const QString &dataFolder, CliOutput &out) {
    BatchRecordFile::remove(dataFolder);
    if (out.json())
        out.object({{QStringLiteral("event"), QStringLiteral("nothing-to-resume")}});
    else
        out.line(QStringLiteral("Nothing to resume."));
    return ExitConverted;
}

// Converts the rows the record left, with its settings.
int convertRecordRows(const BatchRecord &record, const QString &dataFolder, CliOutput &out,
                      QCoreApplication &application) {
    BatchStart::Request start = record.resumeRequest();
    start.options.dataFolder = dataFolder;
    CliRequest request;
    request.device = record.settings.device;
    request.profileName = record.profile;
    if (record.fitBytes > 0)
        request.qualityItems =
            ProfileSettings::ReadOptionLists(record.settings.profileFile).videoBitrate;
    if (!out.json())
        out.line(QStringLiteral("Resuming the interrupted batch: %1 of %2 files left.")
                     .arg(record.unconvertedCount())
                     .arg(record.rows.size()));
    return convertRows(request, start, out, application);
}

// Takes up the last interrupted batch: its hand-offs first, then its rows.
int resume(const CliRequest &, CliOutput &out, QCoreApplication &application) {
    const QString dataFolder = lookUpDataFolder(out);
    if (dataFolder.isEmpty())
        return ExitFailed;
    const std::optional<TakenRecord> taken = takeUpRecord(dataFolder, out);
    if (!taken)
        return ExitFailed;
    if (taken->found.status == BatchRecordFile::ReadResult::Status::Spoilt) {
        reportSpoiltRecord(taken->found, out);
        return ExitFailed;
    }
    const BatchRecord &record = taken->found.record;
    if (taken->handOffNote) {
        printLibraryNote(out, record.ipodMountPoint, *taken->handOffNote);
        if (record.unconvertedCount() == 0)
            return record.handOffsLeft().isEmpty() ? ExitConverted : ExitFailed;
    }
    if (taken->found.status != BatchRecordFile::ReadResult::Status::Found ||
        record.unconvertedCount() == 0)
        return nothingToResume(dataFolder, out);
    return convertRecordRows(record, dataFolder, out, application);
}

int preview(const CliRequest &request, CliOutput &out, QCoreApplication &) {
    int exitCode = 0;
    const std::optional<QList<FileListRow>> rows = readTrimmedRows(request, out, exitCode);
    if (!rows)
        return exitCode;
    const QString folder = fullPath(request.outputFolder.value_or(QDir::currentPath()));
    return std::max(exitCode,
                    RunCliPreview(request, *rows, folder, out, [] { return g_pendingSignal; }));
}

int showHelp(const CliRequest &, CliOutput &out, QCoreApplication &) {
    out.line(CliHelpText().trimmed());
    return ExitConverted;
}

int showVersion(const CliRequest &, CliOutput &out, QCoreApplication &) {
    out.line(QStringLiteral("mobivert-cli ") + QCoreApplication::applicationVersion());
    return ExitConverted;
}

// What runs each mode: a new mode is one more entry.
using ModeRunner = int (*)(const CliRequest &, CliOutput &, QCoreApplication &);
struct ModeEntry {
    CliRequest::Mode mode;
    ModeRunner run;
};
constexpr ModeEntry ModeRunners[] = {
    {CliRequest::Mode::Help, showHelp},           {CliRequest::Mode::Version, showVersion},
    {CliRequest::Mode::ListDevices, listDevices}, {CliRequest::Mode::ListProfiles, listProfiles},
    {CliRequest::Mode::Info, showInfo},           {CliRequest::Mode::Preview, preview},
    {CliRequest::Mode::Resume, resume},           {CliRequest::Mode::DryRun, convert},
    {CliRequest::Mode::Convert, convert},
};

int run(const CliRequest &request, CliOutput &out, QCoreApplication &application) {
    for (const ModeEntry &entry : ModeRunners) {
        if (entry.mode == request.mode)
            return entry.run(request, out, application);
    }
    return convert(request, out, application);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mobivert-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MOBIVERT_VERSION));

    // The file names as the system gave them: a name that is no UTF-8
    // keeps its bytes.
    const CliParse parsed = ParseCliArguments(QStringList{QCoreApplication::applicationFilePath()} +
                                              PathArguments(argc, argv));
    CliOutput out(parsed.json);
    if (!parsed.request) {
        out.problem(parsed.error);
        if (parsed.exitCode == ExitInvalid && !parsed.json)
            out.problem(QStringLiteral("run 'mobivert-cli --help' for the options"));
        return parsed.exitCode;
    }
    const CliRequest &request = *parsed.request;

    // Ctrl+C, SIGTERM and a closed terminal stop the reading of files, or
    // cancel the batch once it runs. A reader that goes away (a pipe into
    // "head") only loses the rest of the output: the batch still runs to its
    // end and is cleaned up.
    TerminationSignals::watch(onTerminationSignal);
    StopSignals::watch(onStopSignal, onContinueSignal);
    std::signal(SIGPIPE, SIG_IGN);

    return run(request, out, application);
}
