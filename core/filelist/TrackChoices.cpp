#include "core/filelist/TrackChoices.h"

#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "core/filelist/SourceSummary.h"

using converter::SourceTrack;

namespace {

QString defaultText(const std::vector<SourceTrack> &tracks) {
    const std::optional<SourceTrack> track = converter::chooseTrack(tracks, {});
    if (!track)
        return QStringLiteral("Default (none in this file)");
    QString text = QStringLiteral("Default (track ") + QString::number(track->number);
    if (!track->language.empty())
        text += u", " + QString::fromStdString(track->language);
    return text + u')';
}

QList<TrackChoice> choices(const std::vector<SourceTrack> &tracks,
                           QString (*trackText)(const SourceTrack &)) {
    QList<TrackChoice> result{{defaultText(tracks), QString()}};
    for (const SourceTrack &track : tracks)
        result.append({trackText(track), QString::number(track.number)});
    return result;
}

} // namespace

QList<TrackChoice> SoundTrackChoices(const std::vector<SourceTrack> &tracks) {
    return choices(tracks, SoundTrackText);
}

QList<TrackChoice> SubtitleTrackChoices(const std::vector<SourceTrack> &tracks) {
    return choices(tracks, SubtitleTrackText);
}

int TrackChoiceIndex(const std::vector<SourceTrack> &tracks, const QString &value) {
    if (value.trimmed().isEmpty() || value.trimmed().compare(u"default", Qt::CaseInsensitive) == 0)
        return 0;
    const std::optional<SourceTrack> track =
        converter::chooseTrack(tracks, value.trimmed().toStdString());
    return track ? track->number : 0;
}
