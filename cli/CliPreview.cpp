#include "cli/CliPreview.h"

#include "cli/CliOutput.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/FitPlanning.h"
#include "core/convert/PreviewConversion.h"
#include "core/filelist/TrimTimes.h"
#include "core/filelist/VideoFrameReader.h"
#include "core/platform/FileSystem.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QTimer>

#include <cmath>
#include <variant>

namespace {

// NAME-kind.png in the folder, or NAME-kind (2).png and so on when taken.
QString freePath(const QString &folder, const QString &name, const QString &kind) {
    QString path = JoinPath(folder, name + u'-' + kind + QStringLiteral(".png"));
    for (int counter = 2; QFileInfo::exists(path); ++counter)
        path = JoinPath(folder, name + u'-' + kind + QStringLiteral(" (%1).png").arg(counter));
    return path;
}

// The clip of each row, worked out with --fit over all the files as the
// conversion does; nothing without --fit. A refusal when the files cannot
// fit.
std::variant<QList<RowFit>, QString> previewFits(const CliRequest &request,
                                                 const QList<FileListRow> &rows) {
    if (!request.fitBytes || !CanFit(request.settings))
        return QList<RowFit>();
    const FitOutcome outcome =
        PlanFit(request.settings, request.qualityItems, rows, *request.fitBytes);
    if (!outcome.refusal.isEmpty())
        return outcome.refusal.join(u' ');
    return outcome.rows;
}

// Converts the clip and waits for it, or for a termination signal; the
// converter's error, if any.
QString convertClip(PreviewConversion &conversion, const CliRequest &request,
                    const BatchCodecData &codecs, const FileListRow &row,
                    const std::optional<RowFit> &fit, const std::function<int()> &pendingSignal) {
    QEventLoop loop;
    QString error;
    QObject::connect(&conversion, &PreviewConversion::converted, &loop, &QEventLoop::quit);
    QObject::connect(&conversion, &PreviewConversion::failed, &loop, [&](const QString &text) {
        error = text;
        loop.quit();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (pendingSignal() != 0)
            loop.quit();
    });
    watch.start(50);
    conversion.start(request.settings, codecs, row, request.previewSeconds, fit);
    loop.exec();
    return error;
}

// The two frames at the time previewed, saved into the folder, and what
// was measured of the clip.
struct PreviewResult {
    qint64 time = 0;
    QString sourcePath; // empty: no picture
    QString previewPath;
    std::optional<MediaStats> stats;
};

PreviewResult saveFrames(const PreviewCommand &command, const FileListRow &row,
                         qint64 previewSeconds, const QString &folder) {
    PreviewResult result;
    result.time = std::clamp(previewSeconds, command.clip.begin, command.clip.end);
    const QImage converted = VideoFrameReader(command.outputPath)
                                 .frameAt(double(result.time - command.clip.begin))
                                 .image;
    result.stats = ReadMediaStats(command.outputPath);
    const int height = converted.isNull() ? 240 : converted.height();
    const QImage source =
        VideoFrameReader(row.Filepath).frameAt(double(result.time), QSize(0, height)).image;
    const QString name = QFileInfo(row.Filepath).completeBaseName();
    if (!source.isNull() && !source.save(result.sourcePath = freePath(folder, name, u"source"_qs)))
        result.sourcePath.clear();
    if (!converted.isNull() &&
        !converted.save(result.previewPath = freePath(folder, name, u"preview"_qs)))
        result.previewPath.clear();
    return result;
}

// Only what was measured: a clip without a picture has no size and no
// video bit rate, a clip that could not be read nothing at all.
void printPreview(CliOutput &out, const FileListRow &row, const PreviewResult &result) {
    const std::optional<MediaStats> &stats = result.stats;
    const QSize size = stats ? stats->pictureSize : QSize();
    const bool picture = size.isValid() && !size.isEmpty();
    const qint64 kbps = stats ? std::lround(stats->videoKbps()) : 0;
    const double mbPerMinute = stats ? stats->bytesPerMinute() / 1e6 : 0;
    if (out.json()) {
        QJsonObject event{{QStringLiteral("event"), QStringLiteral("preview")},
                          {QStringLiteral("file"), row.Filepath},
                          {QStringLiteral("time"), FormatTrimTime(result.time)},
                          {QStringLiteral("source"), result.sourcePath},
                          {QStringLiteral("preview"), result.previewPath}};
        if (stats) {
            event.insert(QStringLiteral("video"), picture);
            event.insert(QStringLiteral("mbPerMinute"), std::round(mbPerMinute * 10) / 10);
        }
        if (picture) {
            event.insert(QStringLiteral("width"), size.width());
            event.insert(QStringLiteral("height"), size.height());
            event.insert(QStringLiteral("videoKbps"), kbps);
        }
        out.object(event);
        return;
    }
    QStringList facts;
    if (picture)
        facts.append(
            QStringLiteral("%1x%2, %3 kbit/s").arg(size.width()).arg(size.height()).arg(kbps));
    else
        facts.append(stats ? QStringLiteral("no video") : QStringLiteral("not measured"));
    if (stats)
        facts.append(QStringLiteral("about %1 MB per minute").arg(mbPerMinute, 0, 'f', 1));
    out.line(row.Filepath + QStringLiteral(" at ") + FormatTrimTime(result.time) +
             QStringLiteral(": ") + facts.join(QStringLiteral(", ")));
    out.line(QStringLiteral("  source frame: ") +
             (result.sourcePath.isEmpty() ? QStringLiteral("no picture") : result.sourcePath));
    out.line(QStringLiteral("  converted frame: ") +
             (result.previewPath.isEmpty() ? QStringLiteral("no picture") : result.previewPath));
}

} // namespace

int RunCliPreview(const CliRequest &request, const QList<FileListRow> &rows, const QString &folder,
                  CliOutput &out, const std::function<int()> &pendingSignal) {
    if (!QFileInfo(folder).isDir()) {
        out.problem(QStringLiteral("--preview: no such folder: ") + folder);
        return ExitInvalid;
    }
    const BatchCodecData codecs = ReadBatchCodecData(request.settings);
    const std::variant<QList<RowFit>, QString> fits = previewFits(request, rows);
    if (const QString *refusal = std::get_if<QString>(&fits)) {
        out.problem(*refusal);
        return ExitInvalid;
    }
    const QList<RowFit> &fit = std::get<QList<RowFit>>(fits);
    int status = ExitConverted;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const FileListRow &row = rows[i];
        PreviewConversion conversion;
        const QString error = convertClip(
            conversion, request, codecs, row,
            i < fit.size() ? std::optional<RowFit>(fit[i]) : std::nullopt, pendingSignal);
        if (pendingSignal() != 0)
            return 128 + pendingSignal(); // the conversion's folder goes with it
        if (!error.isEmpty()) {
            // The converter's own messages name the file already.
            const QString text = QString(error).replace(u'\n', u' ');
            out.problem(text.contains(row.Filepath) ? text
                                                    : row.Filepath + QStringLiteral(": ") + text);
            status = ExitFailed;
            continue;
        }
        printPreview(out, row,
                     saveFrames(conversion.command(), row, request.previewSeconds, folder));
    }
    return status;
}
