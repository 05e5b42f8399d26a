#include "core/convert/FitPlanning.h"

#include "core/convert/ConvertFiles.h"
#include "core/filelist/MediaInfoDLL.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/profiles/ProfileFile.h"

#include <algorithm>

namespace {

// The batch passes on 50 kbit/s less than an entry shows.
constexpr double EntryHeadroomKbps = 50;

double entryKbps(const QString &entry) {
    return ReadKbps(entry).value_or(0) - EntryHeadroomKbps;
}

} // namespace

bool CanFit(const ConversionSettings &settings) {
    return settings.noVideo != 1 && settings.originalQuality != 1;
}

double ExactSeconds(const FileListRow &row) {
    const std::optional<qint32> milliseconds =
        LibraryNumberToInt32(QueryMediaInfo(row.Filepath).PlayTime);
    const double whole = milliseconds && *milliseconds > 0 ? *milliseconds / 1000.0 : 0;
    if (!row.IsTrimmed())
        return whole;
    const std::optional<qint64> length = TrimmedLength(row);
    if (!length)
        return 0;
    // The trim's end may lie in the file's last, partial second.
    return whole > 0 ? std::min(double(*length), whole - double(*row.BeginTime)) : double(*length);
}

FitOutcome PlanFit(const ConversionSettings &settings, const QStringList &qualityItems,
                   const QList<FileListRow> &rows, qint64 sizeBytes) {
    FitOutcome outcome;
    const QString lowestEntry = qualityItems.value(0);
    const std::optional<qint16> highestPosition = ProfileFile::ReadMaxVideoQuality(
        settings.profileFile, settings.videoCodec, qint16(qualityItems.size() - 1));
    const QString highestEntry = qualityItems.value(highestPosition.value_or(-1));

    FitRequest request;
    request.sizeBytes = sizeBytes;
    for (const FileListRow &row : rows)
        request.seconds.append(ExactSeconds(row));
    const bool sound = settings.noAudio != 1;
    request.audioKbps = sound ? settings.audioBitrate.value_or(0) : 0;
    request.overhead =
        OverheadOf(ReadBatchCodecData(settings).videoFormat, settings.videoFrameRate.value_or(0),
                   sound ? settings.audioSampleRate.value_or(0) : 0);
    request.lowestKbps = std::max(1.0, entryKbps(lowestEntry));
    request.highestKbps = std::max(request.lowestKbps, entryKbps(highestEntry));
    outcome.plan = FitBatch(request);

    const QString size = AskedMegabytesText(sizeBytes);
    switch (outcome.plan.verdict) {
    case FitPlan::Verdict::UnknownLength:
        outcome.refusal = {QStringLiteral("The length of %1 is not known,")
                               .arg(rows[outcome.plan.unknownRow].Filepath),
                           QStringLiteral("so the batch cannot be fitted into %1.").arg(size)};
        return outcome;
    case FitPlan::Verdict::TooSmall:
        outcome.refusal = {
            QStringLiteral("The files do not fit into %1.").arg(size),
            QStringLiteral("Even at the lowest video quality the device offers (%1) they need %2.")
                .arg(lowestEntry, MegabytesText(outcome.plan.neededBytes))};
        return outcome;
    case FitPlan::Verdict::BelowSize:
        outcome.note = QStringLiteral("Even at the highest video quality the codec allows (%1) "
                                      "the files take only about %2 of %3.")
                           .arg(highestEntry, MegabytesText(outcome.plan.expectedBytes), size);
        for (qsizetype i = 0; i < rows.size(); ++i)
            outcome.rows.append({outcome.plan.videoKbps, 0});
        return outcome;
    case FitPlan::Verdict::Fits:
        for (const qint64 bytes : outcome.plan.rowBytes)
            outcome.rows.append({outcome.plan.videoKbps, bytes});
        return outcome;
    }
    return outcome;
}
