#include "core/convert/ConvertFiles.h"

#include "core/base/DebugLog.h"
#include "core/base/Various.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/FolderSpace.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"
#include "core/profiles/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Copies a component over an earlier copy; the copy keeps the source's
// permissions, the executable bit included. A component not shipped is
// passed over (the batch then reports what could not run); one that could
// not be copied gives what the user is told.
std::optional<QString> copyComponent(const QString &source, const QString &target) {
    QFile::remove(target);
    QFile shipped(source);
    if (!shipped.exists() || shipped.copy(target))
        return std::nullopt;
    return WriteFailureText(target, shipped.errorString(), FreeBytes(QFileInfo(target).path()),
                            shipped.size());
}

QString trueOrFalse(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void writeRowsDump(const QString &path, const QList<FileListRow> &rows) {
    QFile dump(path);
    if (!dump.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (const FileListRow &row : rows)
        dump.write((FileListCells(row).join(QStringLiteral(" | ")) + u'\n').toUtf8());
}

// A source whose name is no UTF-8 is named by its own bytes.
QByteArray linesText(const QStringList &lines) {
    QByteArray text;
    for (const QString &line : lines)
        text += PathToBytes(line) + '\n';
    return text;
}

// Tells TrackDrop which iPod the batch adds its files to; without the
// file it adds them to the playlist.
void writeTrackDropTarget(const QString &dataFolder, const QString &ipodMountPoint) {
    const QString target = BatchFiles::trackDropTarget(dataFolder);
    QFile::remove(target);
    if (ipodMountPoint.isEmpty())
        return;
    QSaveFile file(target);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QFile::encodeName(ipodMountPoint));
        file.commit();
    }
}

} // namespace

BatchCodecData ReadBatchCodecData(const ConversionSettings &settings) {
    const ProfileFile::CodecSection video =
        ProfileFile::ReadCodecSection(settings.profileFile, settings.videoCodec);
    const ProfileFile::CodecSection audio =
        ProfileFile::ReadCodecSection(settings.profileFile, settings.audioCodec);
    return {video.videoFormat, video.extraParameters, video.extension, audio.extension};
}

QByteArray BatchText(const BatchPlan &plan) {
    return linesText(BatchLines(plan.commands));
}

QByteArray RowBatchText(const BatchRun &run, int row) {
    QStringList lines;
    for (qsizetype i = 0; i < run.commands.size(); ++i) {
        if (run.lineRows.value(i, -1) == row)
            lines.append(run.commands[i].line());
    }
    return linesText(lines);
}

QStringList BatchListing(const BatchPlan &plan, const QString &dataFolder) {
    const int lanes = plan.lanes;
    if (lanes <= 1)
        return BatchLines(plan.commands);
    QStringList files;
    for (int lane = 0; lane < lanes; ++lane)
        files.append(QFileInfo(BatchFiles::laneBatch(dataFolder, lane)).fileName());
    QStringList listing{QStringLiteral("# %1 lanes (%2) take the files in order as they free up")
                            .arg(lanes)
                            .arg(files.join(QStringLiteral(", ")))};
    for (qsizetype i = 0; i < plan.commands.size(); ++i) {
        const int row = plan.lineRows.value(i, -1);
        if (i == 0 || row != plan.lineRows.value(i - 1, -1))
            listing.append(QStringLiteral("# File %1 of %2").arg(row + 1).arg(plan.rows.size()));
        listing.append(plan.commands[i].line());
    }
    return listing;
}

namespace {

std::optional<QList<qint64>> folderPspNumbers(qsizetype rows, const BatchOptions &options) {
    return PspNumbers(options.pspStartNumber,
                      QDir(options.outputFolder).entryList(QDir::Files | QDir::Hidden), rows);
}

} // namespace

std::optional<QString> PspNumbersRefusal(const ConversionSettings &settings, qsizetype rows,
                                         const BatchOptions &options) {
    if (settings.device != u"PSP" || folderPspNumbers(rows, options))
        return std::nullopt;
    return QStringLiteral("the output folder %1 has no free PSP file numbers left for %2 (the PSP "
                          "lists none numbered past %3); move some of its M4V and MAQ files "
                          "elsewhere")
        .arg(options.outputFolder,
             rows == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(rows))
        .arg(HighestPspNumber);
}

BatchPlan PlanBatch(const ConversionSettings &settings, const QList<FileListRow> &rows,
                    const BatchOptions &options) {
    BatchOptions planned = options;
    if (settings.device == u"PSP")
        planned.pspNumbers = folderPspNumbers(rows.size(), options).value_or(QList<qint64>());
    return BuildBatch(settings, ReadBatchCodecData(settings), rows, planned,
                      [](const QString &path) { return QFileInfo::exists(path); });
}

BatchPlan PrepareBatch(const ConversionSettings &settings, const QList<FileListRow> &rows,
                       const BatchOptions &options, QString *failure) {
    const QString &data = options.dataFolder;
    std::optional<QString> problem =
        copyComponent(BatchFiles::shippedConverter(), BatchFiles::converter(data));
    copyComponent(BatchFiles::shippedThreadLibrary(), BatchFiles::threadLibrary(data));
    if (AddsToLibrary(settings, options) && !problem) {
        problem = copyComponent(BatchFiles::shippedTrackDrop(), BatchFiles::trackDrop(data));
        writeTrackDropTarget(data, options.ipodMountPoint);
    }

    DebugLog &log = DebugLog::instance();
    const bool debug = !log.path().isEmpty();
    if (debug) {
        const QString dump = JoinPath(data, QStringLiteral("Debug3.log"));
        log.write(QStringLiteral("Dump3 will be saved to: \"") + dump + u"\".");
        writeRowsDump(dump, rows);
    }

    BatchPlan plan = PlanBatch(settings, rows, options);
    // Always a new file: a shell that still reads an earlier batch from this
    // folder goes on reading that one, never the new text from its offset.
    if (!problem) {
        const QString path = BatchFiles::batch(data);
        QSaveFile batch(path);
        const QByteArray text = BatchText(plan);
        plan.written =
            batch.open(QIODevice::WriteOnly) && batch.write(text) == text.size() && batch.commit();
        if (!plan.written)
            problem = WriteFailureText(path, batch.errorString(), FreeBytes(data), text.size());
    }
    if (failure)
        *failure = problem.value_or(QString());

    if (debug) {
        const QString dump = JoinPath(data, QStringLiteral("Debug1.log"));
        log.write(QStringLiteral("Dump1 will be saved to: \"") + dump + u"\".");
        QFile::remove(dump);
        if (plan.lanes <= 1) {
            QFile::copy(BatchFiles::batch(data), dump);
        } else {
            QFile file(dump);
            if (file.open(QIODevice::WriteOnly))
                file.write(linesText(BatchListing(plan, data)));
        }
        log.write(QStringLiteral("BVC Exists=") +
                  trueOrFalse(FileExists(BatchFiles::converter(data))));
        log.write(QStringLiteral("PTGC2 Exists=") +
                  trueOrFalse(FileExists(BatchFiles::threadLibrary(data))));
        log.write(QStringLiteral("BAT Exists=") + trueOrFalse(FileExists(BatchFiles::batch(data))));
    }
    return plan;
}
