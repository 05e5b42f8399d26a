#include "core/convert/PreviewCommand.h"

#include "core/convert/BatchFiles.h"
#include "core/convert/ConsoleLineSplitter.h"
#include "core/filelist/TrimTimes.h"

#include <QFileInfo>

#include <algorithm>

PreviewStretch PreviewRange(const FileListRow &row) {
    const qint64 total = TimeTextToSeconds(row.Duration).value_or(0);
    if (const std::optional<qint64> length = TrimmedLength(row)) {
        const qint64 begin = TimeTextToSeconds(row.BeginTime).value_or(0);
        return {begin, begin + *length};
    }
    return {0, total};
}

PreviewStretch PreviewClip(const FileListRow &row, qint64 seconds) {
    const PreviewStretch range = PreviewRange(row);
    // A file whose length is unknown is still tried from its start.
    const qint64 last = range.end > range.begin ? range.end : range.begin + PreviewSeconds;
    const qint64 begin =
        std::clamp(seconds - 1, range.begin, std::max(range.begin, last - PreviewSeconds));
    return {begin, std::min(last, begin + PreviewSeconds)};
}

PreviewCommand BuildPreviewCommand(const ConversionSettings &settings, const BatchCodecData &codecs,
                                   const FileListRow &row, qint64 seconds, const QString &folder,
                                   const std::optional<RowFit> &fit) {
    PreviewCommand command;
    command.clip = PreviewClip(row, seconds);
    FileListRow clipped = row;
    clipped.BeginTime = FormatTrimTime(command.clip.begin);
    clipped.EndTime = FormatTrimTime(command.clip.end);
    BatchOptions options; // no library hand-off, no thumbnail: the conversion line alone
    options.dataFolder = folder;
    options.outputFolder = folder;
    if (fit)
        options.fit = {RowFit{fit->videoKbps, 0}};
    const BatchPlan plan = BuildBatch(settings, codecs, {clipped}, options,
                                      [](const QString &path) { return QFileInfo::exists(path); });
    command.program = BatchFiles::shippedConverter();
    command.arguments = plan.commands.value(0).arguments;
    command.outputPath = plan.outputPaths.value(0);
    return command;
}

QString ConverterErrorText(const QByteArray &output, int exitStatus) {
    ConsoleLineSplitter splitter;
    QStringList lines = splitter.feed(output);
    lines += splitter.finish();
    QStringList messages;
    for (const QString &line : std::as_const(lines)) {
        const QString text = line.trimmed();
        const bool noise = text.isEmpty() || text.startsWith(u"Duration:") ||
                           text.contains(u"time=") ||
                           (text.startsWith(u"video:") && text.contains(u" audio:"));
        if (!noise)
            messages.append(text);
    }
    if (messages.isEmpty())
        return QStringLiteral("The converter ended with status %1.").arg(exitStatus);
    return messages.join(u'\n');
}
