#include "core/profiles/ProfileFile.h"

#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"
#include "core/settings/ReadWriteIniFile.h"

namespace ProfileFile {

namespace {

const QString General = QStringLiteral("General");
const QString Defaults = QStringLiteral("Defaults");

constexpr std::array<const char16_t *, ProfileKeyCount> KeyNames{
    u"AudioCodec",    u"AudioQuality",         u"AudioSampleRate",
    u"AudioChannels", u"AudioNoAudio",         u"VideoCodec",
    u"VideoSize",     u"VideoQuality",         u"VideoFrameRate",
    u"VideoNoVideo",  u"VideoOriginalQuality", u"VideoKeepAspectRatio",
};

std::optional<qint16> readLimit(const QString &file, const QString &codec, const QString &key,
                                qint16 currentPosition) {
    return ToInt16(ReadIniValue(codec, key, currentPosition, file));
}

std::optional<qint16> numberOfProfiles(const IniFile &contents) {
    return ToInt16(
        ReadIniValue(contents, General, QStringLiteral("NumberOfProfiles"), QStringLiteral("0")));
}

} // namespace

QString Path(const QString &deviceName) {
    return JoinPath(JoinPath(ApplicationFolder(), QStringLiteral("Profiles")),
                    deviceName + u".ini");
}

QStringList SplitOptionList(const QString &value) {
    if (value.isEmpty())
        return {};
    return value.split(u'|', Qt::KeepEmptyParts);
}

QStringList ReadOptionList(const QString &file, const QString &key) {
    return SplitOptionList(ReadIniValue(Defaults, key, QString(), file));
}

std::optional<qint16> ReadNumberOfProfiles(const QString &file) {
    return numberOfProfiles(ReadIniFile(file));
}

QStringList ReadProfileNames(const QString &file) {
    QStringList names;
    // Read once for all names: a spoilt file may claim 32767 profiles.
    const IniFile contents = ReadIniFile(file);
    const qint16 count = numberOfProfiles(contents).value_or(0);
    for (int number = 1; number <= count; ++number)
        names.append(
            ReadIniValue(contents, ProfileSection(number), QStringLiteral("Name"), QString()));
    return names;
}

std::optional<qint16> ReadDefaultProfile(const QString &file) {
    return ToInt16(ReadIniValue(General, QStringLiteral("DefaultProfile"), 0, file));
}

QString ProfileSection(int number) {
    return u"Profile" + QString::number(number);
}

QString KeyName(ProfileKey key) {
    return QString::fromUtf16(KeyNames[static_cast<size_t>(key)]);
}

bool IsCheckKey(ProfileKey key) {
    switch (key) {
    case ProfileKey::AudioNoAudio:
    case ProfileKey::VideoNoVideo:
    case ProfileKey::VideoOriginalQuality:
    case ProfileKey::VideoKeepAspectRatio:
        return true;
    default:
        return false;
    }
}

ProfileValues ReadProfile(const QString &file, int number) {
    ProfileValues profile;
    const QString section = ProfileSection(number);
    const IniFile contents = ReadIniFile(file);
    for (int i = 0; i < ProfileKeyCount; ++i) {
        const auto key = static_cast<ProfileKey>(i);
        const QString fallback = IsCheckKey(key) ? QStringLiteral("0") : QStringLiteral("-1");
        profile.values[static_cast<size_t>(i)] =
            ToInt16(ReadIniValue(contents, section, KeyName(key), fallback));
    }
    return profile;
}

CodecSection ReadCodecSection(const QString &file, const QString &codec) {
    const IniFile contents = ReadIniFile(file);
    return {ReadIniValue(contents, codec, QStringLiteral("VideoFormat"), QString()),
            ReadIniValue(contents, codec, QStringLiteral("ExtraParameters"), QString()),
            ReadIniValue(contents, codec, QStringLiteral("Extension"), QString())};
}

std::optional<qint16> ReadMaxVideoSize(const QString &file, const QString &codec,
                                       qint16 currentPosition) {
    return readLimit(file, codec, QStringLiteral("MaxVideoSize"), currentPosition);
}

std::optional<qint16> ReadMaxVideoQuality(const QString &file, const QString &codec,
                                          qint16 currentPosition) {
    return readLimit(file, codec, QStringLiteral("MaxVideoQuality"), currentPosition);
}

} // namespace ProfileFile
