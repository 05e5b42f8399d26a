#include "core/profiles/ProfileSettings.h"

#include "core/filelist/FileListRow.h"

namespace ProfileSettings {

using ProfileFile::ProfileKey;

namespace {

QString itemAt(const QStringList &items, int position) {
    return position >= 0 && position < items.size() ? items[position] : QString();
}

} // namespace

const QStringList &OptionLists::list(ProfileKey key) const {
    static const QStringList none;
    switch (key) {
    case ProfileKey::AudioCodec:
        return audioCodec;
    case ProfileKey::AudioQuality:
        return audioBitrate;
    case ProfileKey::AudioSampleRate:
        return audioSampleRate;
    case ProfileKey::AudioChannels:
        return audioChannels;
    case ProfileKey::VideoCodec:
        return videoCodec;
    case ProfileKey::VideoSize:
        return videoSize;
    case ProfileKey::VideoQuality:
        return videoBitrate;
    case ProfileKey::VideoFrameRate:
        return videoFrameRate;
    default:
        return none;
    }
}

OptionLists ReadOptionLists(const QString &file) {
    const auto read = [&file](const char16_t *key) {
        return ProfileFile::ReadOptionList(file, QString::fromUtf16(key));
    };
    const auto &audio = ProfileFile::AudioListKeys;
    const auto &video = ProfileFile::VideoListKeys;
    return {read(audio[0]), read(audio[1]), read(audio[2]), read(audio[3]),
            read(video[0]), read(video[1]), read(video[2]), read(video[3])};
}

void ApplyProfile(Selection &selection, const ProfileFile::ProfileValues &profile,
                  const OptionLists &lists) {
    for (int i = 0; i < ProfileFile::ProfileKeyCount; ++i) {
        const auto key = static_cast<ProfileKey>(i);
        const std::optional<qint16> value = profile[key];
        if (!value)
            continue;
        const bool valid = ProfileFile::IsCheckKey(key)
                               ? *value >= 0 && *value <= 2
                               : *value >= -1 && *value < lists.list(key).size();
        if (valid)
            selection[key] = *value;
    }
}

DeviceProfiles ReadDeviceProfiles(const QString &file) {
    DeviceProfiles profiles;
    profiles.names = ProfileFile::ReadProfileNames(file);
    const std::optional<qint16> position = ProfileFile::ReadDefaultProfile(file);
    if (position && *position >= 0 && *position < profiles.names.size())
        profiles.defaultPosition = *position;
    return profiles;
}

bool IsCustomEntry(const QString &profileName) {
    return profileName == CustomEntry;
}

Selection SelectionForProfile(const QString &file, const OptionLists &lists, int number) {
    Selection selection;
    const DeviceProfiles profiles = ReadDeviceProfiles(file);
    const auto load = [&](int position) {
        // The box's "Custom" entries load nothing.
        if (!IsCustomEntry(profiles.names[position]))
            ApplyProfile(selection, ProfileFile::ReadProfile(file, position + 1), lists);
    };
    if (profiles.defaultPosition)
        load(*profiles.defaultPosition);
    // Choosing the profile that is already selected changes nothing.
    if (number >= 1 && number <= profiles.names.size() && number - 1 != profiles.defaultPosition)
        load(number - 1);
    return selection;
}

ConversionSettings ToConversionSettings(const QString &device, const Selection &selection,
                                        const OptionLists &lists) {
    ConversionSettings settings;
    settings.device = device;
    settings.profileFile = ProfileFile::Path(device);
    settings.audioCodec = itemAt(lists.audioCodec, selection[ProfileKey::AudioCodec]);
    settings.audioBitrate =
        ReadKbps(itemAt(lists.audioBitrate, selection[ProfileKey::AudioQuality]));
    settings.audioSampleRate =
        ReadSampleRate(itemAt(lists.audioSampleRate, selection[ProfileKey::AudioSampleRate]));
    settings.audioChannelsPosition = selection[ProfileKey::AudioChannels];
    settings.noAudio = selection[ProfileKey::AudioNoAudio];
    settings.videoCodecPosition = selection[ProfileKey::VideoCodec];
    settings.videoCodec = itemAt(lists.videoCodec, settings.videoCodecPosition);
    settings.videoSizePosition = selection[ProfileKey::VideoSize];
    settings.videoSize = ParseFrameSize(itemAt(lists.videoSize, settings.videoSizePosition));
    settings.videoBitratePosition = selection[ProfileKey::VideoQuality];
    settings.videoBitrate = ReadKbps(itemAt(lists.videoBitrate, settings.videoBitratePosition));
    settings.videoFrameRate =
        ReadFrameRate(itemAt(lists.videoFrameRate, selection[ProfileKey::VideoFrameRate]));
    settings.noVideo = selection[ProfileKey::VideoNoVideo];
    settings.originalQuality = selection[ProfileKey::VideoOriginalQuality];
    settings.keepAspectRatio = selection[ProfileKey::VideoKeepAspectRatio];
    return settings;
}

ConversionSettings SettingsForProfile(const QString &device, int number) {
    const QString file = ProfileFile::Path(device);
    const OptionLists lists = ReadOptionLists(file);
    return ToConversionSettings(device, SelectionForProfile(file, lists, number), lists);
}

} // namespace ProfileSettings
