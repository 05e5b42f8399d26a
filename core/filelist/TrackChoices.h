#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <QList>
#include <QString>

#include <vector>

// The choices of a sound or subtitle track that the file's properties
// window offers: the source's default first, then every track. A choice's
// value is what the row keeps: empty for the default, else the track's
// 1-based number.

struct TrackChoice {
    QString text;  // "Default (track 2, fra)", "1: eng, aac, 2 channels"
    QString value; // "", "1"

    friend bool operator==(const TrackChoice &, const TrackChoice &) = default;
};

QList<TrackChoice> SoundTrackChoices(const std::vector<converter::SourceTrack> &tracks);
QList<TrackChoice> SubtitleTrackChoices(const std::vector<converter::SourceTrack> &tracks);

// The position among the choices of the track a row's value names (a
// number or a language, as the converter reads it); 0, the default, for an
// empty value or one that names no track.
int TrackChoiceIndex(const std::vector<converter::SourceTrack> &tracks, const QString &value);
