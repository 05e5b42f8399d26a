#include "core/convert/PreviewCommand.h"

#include "core/convert/BatchFiles.h"
#include "core/convert/ConsoleLineSplitter.h"

#include <QFileInfo>

#include <algorithm>

PreviewStretch PreviewRange(const FileListRow &row) {
    if (const std::optional<qint64> length = TrimmedLength(row))
        return {*row.BeginTime, *row.BeginTime + *length};
    return {0, row.Duration};
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
    clipped.BeginTime = command.clip.begin;
    clipped.EndTime = command.clip.end;
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
