#include "core/convert/BatchBuilder.h"

#include "core/base/Various.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/SizeOptions.h"
#include "core/filelist/TrimTimes.h"
#include "core/platform/FileSystem.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

bool isChecked(int value) {
    return value == 1;
}

// The whole number at the start of a typed text (blanks first allowed);
// zero when there is none.
qint64 leadingNumber(const QString &text) {
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == u'-' || trimmed[end] == u'+'))
        ++end;
    while (end < trimmed.size() && trimmed[end].isDigit() && trimmed[end].unicode() < 128 &&
           end < 12)
        ++end;
    return trimmed.left(end).toLongLong();
}

} // namespace

std::optional<qint64> TrimmedLength(const FileListRow &row) {
    if (!row.IsTrimmed() || *row.EndTime < *row.BeginTime)
        return std::nullopt;
    return *row.EndTime - *row.BeginTime;
}

QString PspBaseName(int videoCodecPosition, qint64 number) {
    const QString prefix = videoCodecPosition == 0 || videoCodecPosition == 1
                               ? QStringLiteral("M4V")
                               : QStringLiteral("MAQ");
    return prefix + QString::number(number).rightJustified(4, u'0');
}

std::optional<QList<qint64>> PspNumbers(const QString &typed, const QStringList &namesInFolder,
                                        qsizetype count) {
    static const QRegularExpression pspName(QStringLiteral("^(M4V|MAQ)(\\d{1,9})(\\..*)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QSet<qint64> taken;
    qint64 next = std::max<qint64>(0, leadingNumber(typed));
    for (const QString &name : namesInFolder) {
        const QRegularExpressionMatch match = pspName.match(name);
        if (!match.hasMatch())
            continue;
        const qint64 number = match.captured(2).toLongLong();
        taken.insert(number);
        next = std::max(next, number + 1);
    }
    QList<qint64> numbers;
    qint64 lowFree = 1; // every number below it is taken or given
    while (numbers.size() < count) {
        if (next <= HighestPspNumber) {
            taken.insert(next);
            numbers.append(next++);
            continue;
        }
        while (lowFree <= HighestPspNumber && taken.contains(lowFree))
            ++lowFree;
        if (lowFree > HighestPspNumber)
            return std::nullopt;
        numbers.append(lowFree);
        taken.insert(lowFree);
    }
    return numbers;
}

bool AddsToLibrary(const ConversionSettings &settings, const BatchOptions &options) {
    return settings.device == u"iPod" && options.addToLibrary;
}

bool UsesTwoPasses(const ConversionSettings &settings) {
    return isChecked(settings.twoPass) && !isChecked(settings.noVideo) &&
           !isChecked(settings.originalQuality);
}

QStringList ConversionOptions(const ConversionSettings &settings, const BatchCodecData &codecs,
                              const FileListRow &row, const std::optional<RowFit> &fit) {
    QStringList options;
    if (isChecked(settings.noVideo)) {
        options << QStringLiteral("-vn");
    } else {
        if (!codecs.videoFormat.isEmpty())
            options << QStringLiteral("-f") << codecs.videoFormat;
        options << QStringLiteral("-vcodec") << settings.videoCodec;
        options +=
            SizeOptions(settings.videoSize, row.VideoSize, isChecked(settings.keepAspectRatio));
        // The converter gets 50 kbit/s less than the box shows.
        if (fit || settings.videoBitrate)
            options << QStringLiteral("-b")
                    << PlainDecimal(fit ? fit->videoKbps : *settings.videoBitrate - 50, 6) +
                           QStringLiteral("kbps");
        options << QStringLiteral("-r")
                << FrameRateText(settings.videoFrameRate).remove(QStringLiteral(" fps"));
        if (isChecked(settings.originalQuality) && !fit)
            options << QStringLiteral("-sameq");
        if (UsesTwoPasses(settings) || fit)
            options << QStringLiteral("-twopass");
        if (fit && fit->maxBytes > 0)
            options << QStringLiteral("-fitsize") << QString::number(fit->maxBytes);
        // Automatic leaves the choice to the converter, which probes the source.
        if (settings.deinterlace == Deinterlace::Always)
            options << QStringLiteral("-deinterlace");
        else if (settings.deinterlace == Deinterlace::Never)
            options << QStringLiteral("-nodeinterlace");
        if (isChecked(settings.burnSubtitles))
            options << QStringLiteral("-burnsubs")
                    << (row.SubtitleTrack.isEmpty() ? QStringLiteral("default")
                                                    : row.SubtitleTrack);
    }

    // The converter's -t takes a length: the part from Begin Time to End Time.
    if (const std::optional<qint64> length = TrimmedLength(row))
        options << QStringLiteral("-ss") << FormatTrimTime(*row.BeginTime) << QStringLiteral("-t")
                << FormatTrimTime(*length);

    if (!isChecked(settings.noVideo))
        options += codecs.extraParameters.split(u' ', Qt::SkipEmptyParts);

    if (isChecked(settings.noAudio)) {
        options << QStringLiteral("-an");
    } else {
        if (!row.AudioTrack.isEmpty())
            options << QStringLiteral("-audiotrack") << row.AudioTrack;
        options << QStringLiteral("-acodec") << settings.audioCodec << QStringLiteral("-ab")
                << KbpsText(settings.audioBitrate).remove(u' ') << QStringLiteral("-ar")
                << SampleRateText(settings.audioSampleRate) << QStringLiteral("-ac")
                << QString::number(settings.audioChannelsPosition + 1);
    }
    return options;
}

QStringList MediaTagOptions(const ConversionSettings &settings, const FileListRow &row) {
    if (isChecked(settings.noVideo))
        return {};
    const MediaTags tags = ResolveMediaTags(RowBaseName(row), row.Media);
    // The converter's kind words are mobivert-cli's without the hyphen.
    QStringList options{QStringLiteral("-kind"), MediaKindWord(tags.kind).remove(u'-')};
    if (!tags.title.isEmpty())
        options << QStringLiteral("-title") << tags.title;
    if (!tags.show.isEmpty())
        options << QStringLiteral("-show") << tags.show;
    if (tags.season)
        options << QStringLiteral("-season") << QString::number(*tags.season);
    if (tags.episode)
        options << QStringLiteral("-episode") << QString::number(*tags.episode);
    return options;
}

namespace {

// The names given out in one batch: a taken name becomes "name (2).ext",
// "name (3).ext" and so on, never one an earlier row was given.
class OutputNames {
public:
    explicit OutputNames(const std::function<bool(const QString &)> &pathTaken)
        : m_pathTaken(pathTaken) {}

    bool taken(const QString &path) const { return m_given.contains(path) || m_pathTaken(path); }
    void give(const QString &path) { m_given.insert(path); }

    // The first free name for the base name in the folder.
    QString freePath(const QString &folder, const QString &base, const QString &extension) {
        QString output = JoinPath(folder, base + u'.' + extension);
        if (taken(output)) {
            // Every counter below the first to try has been found taken
            // already, so many rows of one name do not test them all again
            // row after row.
            int &counter = m_firstFreeCounter[base];
            counter = std::max(counter, 2);
            for (;; ++counter) {
                output = JoinPath(folder, base + QStringLiteral(" (%1).").arg(counter) + extension);
                if (!taken(output))
                    break;
            }
            ++counter;
        }
        give(output);
        return output;
    }

private:
    const std::function<bool(const QString &)> &m_pathTaken;
    QSet<QString> m_given; // paths handed to earlier rows of this batch
    QHash<QString, int> m_firstFreeCounter;
};

// The PSP thumbnail of a row: its cover picture at 160x120.
BatchCommand thumbnailCommand(const QString &converter, const QString &input,
                              const QString &thumbnail) {
    return BatchCommand{converter, {QStringLiteral("-i")}, {}}
        .addFile(input)
        .add({QStringLiteral("-f"), QStringLiteral("image2"), QStringLiteral("-cover"),
              QStringLiteral("-vframes"), QStringLiteral("1"), QStringLiteral("-s"),
              QStringLiteral("160x120"), QStringLiteral("-an"), QStringLiteral("-y")})
        .addFile(thumbnail);
}

} // namespace

BatchPlan BuildBatch(const ConversionSettings &settings, const BatchCodecData &codecs,
                     const QList<FileListRow> &rows, const BatchOptions &options,
                     const std::function<bool(const QString &)> &pathTaken) {
    BatchPlan plan;
    const QString converter = BatchFiles::converter(options.dataFolder);
    const bool psp = settings.device == u"PSP";
    const bool toLibrary = AddsToLibrary(settings, options);
    const bool thumbnails = psp && options.createThumbnails;
    const QString extension =
        isChecked(settings.noVideo) ? codecs.audioExtension : codecs.videoExtension;
    const qint64 firstNumber = std::max<qint64>(0, leadingNumber(options.pspStartNumber));
    OutputNames names(pathTaken);

    for (qsizetype i = 0; i < rows.size(); ++i) {
        const FileListRow &row = rows[i];
        const QString base = psp ? PspBaseName(settings.videoCodecPosition,
                                               options.pspNumbers.value(i, firstNumber + i))
                                 : RowBaseName(row);
        const QString output = names.freePath(options.outputFolder, base, extension);

        const std::optional<RowFit> fit =
            i < options.fit.size() ? std::optional<RowFit>(options.fit[i]) : std::nullopt;
        const auto addCommand = [&plan, i](const BatchCommand &command) {
            plan.commands.append(command);
            plan.lineRows.append(int(i));
        };
        BatchCommand conversion{converter, {QStringLiteral("-i")}, {}};
        conversion.addFile(row.Filepath)
            .add(ConversionOptions(settings, codecs, row, fit))
            .add(MediaTagOptions(settings, row));
        if (isChecked(settings.alwaysEncode))
            conversion.add({QStringLiteral("-alwaysencode")});
        addCommand(conversion.add({QStringLiteral("-y")}).addFile(output));
        plan.outputPaths.append(output);

        if (toLibrary)
            addCommand(
                BatchCommand{BatchFiles::trackDrop(options.dataFolder), {}, {}}.addFile(output));

        QString thumbnail;
        if (thumbnails) {
            // Named after the video's final name; an existing file is never replaced.
            const QString candidate = output.chopped(extension.size() + 1) + QStringLiteral(".thm");
            if (!names.taken(candidate)) {
                thumbnail = candidate;
                names.give(thumbnail);
                addCommand(thumbnailCommand(converter, row.Filepath, thumbnail));
            }
        }
        plan.thumbnailPaths.append(thumbnail);

        const std::optional<qint64> length = TrimmedLength(row);
        plan.rows.append({row.Filepath, length.value_or(row.Duration)});
    }
    plan.lanes = std::max(1, std::min(options.lanes, int(rows.size())));
    return plan;
}
