#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <QList>
#include <QString>

#include <optional>

// What the converter finds in a source, in words for the file's properties
// window: the picture as shown and as stored, its scan and range, and its
// sound and subtitle tracks. Pure functions of the probe's facts.

struct SourceSummaryLine {
    QString label; // "Displayed size:"
    QString text;  // one line, or one line per track

    friend bool operator==(const SourceSummaryLine &, const SourceSummaryLine &) = default;
};

inline const QString UnreadableSourceText =
    QStringLiteral("Mobivert could not read this file as a video.");

// The lines of "What Mobivert found"; for a file the probe could not read,
// one line without a label saying so.
QList<SourceSummaryLine> SummarizeSource(const std::optional<converter::SourceFacts> &facts);

// The picture as shown: the stored width stretched by the pixel aspect,
// turned for a rotation of 90 or 270 degrees.
struct DisplayedSize {
    int width = 0;
    int height = 0;
};
DisplayedSize DisplayedSizeOf(const converter::SourceFacts &facts);

// "2: fra, ac3, 6 channels" (the summary adds ", default" to the default one)
QString SoundTrackText(const converter::SourceTrack &track);
// "1: eng, subrip, text"
QString SubtitleTrackText(const converter::SourceTrack &track);
