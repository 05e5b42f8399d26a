#include "core/filelist/SourceSummary.h"

#include <QStringList>

#include <cmath>
#include <utility>

using converter::FieldOrder;
using converter::SourceFacts;
using converter::SourceTrack;
using converter::Transfer;

namespace {

QString sizeText(int width, int height) {
    return QStringLiteral("%1 × %2").arg(width).arg(height);
}

QString languageText(const SourceTrack &track) {
    return track.language.empty() ? QStringLiteral("unknown language")
                                  : QString::fromStdString(track.language);
}

QString rotationText(int degrees) {
    return degrees == 0 ? QStringLiteral("none") : QStringLiteral("%1°").arg(degrees);
}

QString pixelAspectText(const SourceFacts &facts) {
    if (!facts.anamorphic())
        return QStringLiteral("square");
    return QStringLiteral("%1:%2").arg(facts.sarNum).arg(facts.sarDen);
}

QString scanText(FieldOrder order) {
    switch (order) {
    case FieldOrder::Progressive:
        return QStringLiteral("progressive");
    case FieldOrder::TopFirst:
        return QStringLiteral("interlaced, top field first");
    case FieldOrder::BottomFirst:
        return QStringLiteral("interlaced, bottom field first");
    case FieldOrder::Unknown:
        break;
    }
    return QStringLiteral("not stated: measured when converting");
}

QString rangeText(Transfer transfer) {
    switch (transfer) {
    case Transfer::Pq:
        return QStringLiteral("HDR (PQ), tone-mapped to BT.709 when converted");
    case Transfer::Hlg:
        return QStringLiteral("HDR (HLG), tone-mapped to BT.709 when converted");
    case Transfer::Standard:
        break;
    }
    return QStringLiteral("standard (SDR)");
}

QString summaryLine(const SourceTrack &track, QString (*trackText)(const SourceTrack &)) {
    QString text = trackText(track);
    if (track.isDefault)
        text += u", default";
    return text;
}

QString tracksText(const std::vector<SourceTrack> &tracks,
                   QString (*trackText)(const SourceTrack &)) {
    if (tracks.empty())
        return QStringLiteral("none");
    QStringList lines;
    for (const SourceTrack &track : tracks)
        lines << summaryLine(track, trackText);
    return lines.join(u'\n');
}

} // namespace

DisplayedSize DisplayedSizeOf(const SourceFacts &facts) {
    DisplayedSize size{facts.width, facts.height};
    // An even width, as the file list shows it (and as pictures are scaled).
    if (facts.anamorphic())
        size.width = 2 * static_cast<int>(std::nearbyint(static_cast<double>(facts.width) *
                                                         facts.sarNum / facts.sarDen / 2));
    if (facts.rotation == 90 || facts.rotation == 270)
        std::swap(size.width, size.height);
    return size;
}

QString SoundTrackText(const SourceTrack &track) {
    QString text = QString::number(track.number) + u": " + languageText(track) + u", " +
                   QString::fromStdString(track.codec);
    if (track.channels > 0)
        text += u", " + QString::number(track.channels) +
                (track.channels == 1 ? u" channel" : u" channels");
    return text;
}

QString SubtitleTrackText(const SourceTrack &track) {
    return QString::number(track.number) + u": " + languageText(track) + u", " +
           QString::fromStdString(track.codec) + (track.picture ? u", picture" : u", text");
}

QList<SourceSummaryLine> SummarizeSource(const std::optional<SourceFacts> &facts) {
    if (!facts)
        return {{QString(), UnreadableSourceText}};
    QList<SourceSummaryLine> lines;
    if (facts->hasVideo) {
        const DisplayedSize shown = DisplayedSizeOf(*facts);
        lines << SourceSummaryLine{QStringLiteral("Displayed size:"),
                                   sizeText(shown.width, shown.height)}
              << SourceSummaryLine{QStringLiteral("Stored size:"),
                                   sizeText(facts->width, facts->height)}
              << SourceSummaryLine{QStringLiteral("Rotation:"), rotationText(facts->rotation)}
              << SourceSummaryLine{QStringLiteral("Pixel aspect:"), pixelAspectText(*facts)}
              << SourceSummaryLine{QStringLiteral("Scan:"), scanText(facts->fieldOrder)}
              << SourceSummaryLine{QStringLiteral("Range:"), rangeText(facts->transfer)};
    } else {
        lines << SourceSummaryLine{QStringLiteral("Picture:"), QStringLiteral("none")};
    }
    lines << SourceSummaryLine{QStringLiteral("Sound tracks:"),
                               tracksText(facts->audio, SoundTrackText)}
          << SourceSummaryLine{QStringLiteral("Subtitle tracks:"),
                               tracksText(facts->subtitles, SubtitleTrackText)};
    return lines;
}
