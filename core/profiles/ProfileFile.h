#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Reading a device's profile file, Profiles/<device>.ini in the application
// folder. Every function reads the file anew: nothing is cached, so an edit
// takes effect at the next read of the value concerned. A missing file or
// key reads as its default.
namespace ProfileFile {

// The profile file of a device: <application folder>/Profiles/<device>.ini.
QString Path(const QString &deviceName);

// Splits an option list at every "|". Nothing is trimmed and empty pieces are
// kept ("a||b" gives three items, "a|" two); an empty value gives no items.
QStringList SplitOptionList(const QString &value);

// The keys of section "Defaults" that hold the eight option lists, in the
// order the settings boxes are filled.
inline constexpr std::array<const char16_t *, 4> AudioListKeys{
    u"AudioCodec", u"AudioQuality", u"AudioSampleRate", u"AudioChannels"};
inline constexpr std::array<const char16_t *, 4> VideoListKeys{u"VideoCodec", u"VideoSize",
                                                               u"VideoQuality", u"VideoFrameRate"};

// One option list from section "Defaults" (longer values are cut at 254
// characters before they are split).
QStringList ReadOptionList(const QString &file, const QString &key);

// "NumberOfProfiles" of section "General"; nothing when it is not a 16-bit
// whole number.
std::optional<qint16> ReadNumberOfProfiles(const QString &file);
// The names of Profile1 to ProfileN, empty for a missing section; no names
// when the count is unreadable or below 1.
QStringList ReadProfileNames(const QString &file);
// "DefaultProfile" of section "General": a 0-based position in the profile
// list; nothing when it is not a 16-bit whole number.
std::optional<qint16> ReadDefaultProfile(const QString &file);

// Section name of profile number n (1-based): "Profile" + n.
QString ProfileSection(int number);

// The twelve values of one profile, in the order they are applied. The
// eight positions default to -1 and the four check states to 0; a value
// that is present but not a 16-bit whole number (empty text included) reads
// as nothing, and its control keeps its state.
enum class ProfileKey {
    AudioCodec,
    AudioQuality,
    AudioSampleRate,
    AudioChannels,
    AudioNoAudio,
    VideoCodec,
    VideoSize,
    VideoQuality,
    VideoFrameRate,
    VideoNoVideo,
    VideoOriginalQuality,
    VideoKeepAspectRatio,
};
inline constexpr int ProfileKeyCount = 12;

QString KeyName(ProfileKey key);
bool IsCheckKey(ProfileKey key);

struct ProfileValues {
    std::array<std::optional<qint16>, ProfileKeyCount> values;
    std::optional<qint16> operator[](ProfileKey key) const {
        return values[static_cast<size_t>(key)];
    }
};

ProfileValues ReadProfile(const QString &file, int number);

// The conversion data of one codec section. The section is named like the
// codec's item text (names match without regard to case).
struct CodecSection {
    QString videoFormat;     // the converter's container format; empty for none
    QString extraParameters; // further converter arguments, passed on unchanged
    QString extension;       // output file extension without the dot
};
CodecSection ReadCodecSection(const QString &file, const QString &codec);

// The highest permitted positions in the size and quality lists. A missing
// key reads as currentPosition, so it never refuses anything; a value that
// is not a 16-bit whole number reads as nothing.
std::optional<qint16> ReadMaxVideoSize(const QString &file, const QString &codec,
                                       qint16 currentPosition);
std::optional<qint16> ReadMaxVideoQuality(const QString &file, const QString &codec,
                                          qint16 currentPosition);

} // namespace ProfileFile
