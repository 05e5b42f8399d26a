#include "core/convert/VideoLimits.h"

#include "core/filelist/FileListRow.h"
#include "core/profiles/CustomVideoSize.h"
#include "core/profiles/ProfileFile.h"

namespace {

QString itemAt(const QStringList &items, std::optional<qint16> position) {
    return position && *position >= 0 && *position < items.size() ? items[*position] : QString();
}

QString sizeMessage(const QString &entry) {
    return QStringLiteral("The maximum video size for the selected videocodec is: ") + entry;
}

} // namespace

std::optional<QString> CheckVideoLimits(const ConversionSettings &settings,
                                        const QStringList &sizeItems,
                                        const QStringList &qualityItems) {
    if (settings.videoCodec.isEmpty())
        return std::nullopt;
    const QString &file = settings.profileFile;
    const QString &codec = settings.videoCodec;

    const qint16 sizePosition = qint16(settings.videoSizePosition);
    const std::optional<qint16> sizeLimit =
        ProfileFile::ReadMaxVideoSize(file, codec, sizePosition);
    const std::optional<qint16> sizeLimitEntry = ProfileFile::ReadMaxVideoSize(file, codec, -1);
    if (sizeLimit && sizePosition > *sizeLimit)
        return sizeMessage(itemAt(sizeItems, sizeLimitEntry));
    if (sizePosition < 0) {
        const std::optional<QSize> largest = ParseFrameSize(itemAt(sizeItems, sizeLimitEntry));
        const std::optional<QSize> &custom = settings.videoSize;
        if (custom && largest &&
            (custom->width() > largest->width() || custom->height() > largest->height()))
            return sizeMessage(itemAt(sizeItems, sizeLimitEntry));
        // A custom size typed for one codec may not suit another chosen later.
        if (std::optional<QString> refusal =
                CustomVideoSize::CodecSizeRefusal(codec, VideoSizeText(settings.videoSize)))
            return refusal;
    }

    const qint16 qualityPosition = qint16(settings.videoBitratePosition);
    const std::optional<qint16> qualityLimit =
        ProfileFile::ReadMaxVideoQuality(file, codec, qualityPosition);
    if (qualityLimit && qualityPosition > *qualityLimit) {
        return QStringLiteral("The maximum video quality for the selected videocodec is: ") +
               itemAt(qualityItems, ProfileFile::ReadMaxVideoQuality(file, codec, -1));
    }
    return std::nullopt;
}
