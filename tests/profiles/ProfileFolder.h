#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

// A temporary application folder with a Profiles/ folder that the test
// fills. While the object lives the application folder points at it.
class ProfileFolder final {
public:
    ProfileFolder();
    ~ProfileFolder();
    ProfileFolder(const ProfileFolder &) = delete;
    ProfileFolder &operator=(const ProfileFolder &) = delete;

    QString path() const { return m_dir.path(); }
    // Writes Profiles/<device>.ini; returns its path.
    QString write(const QString &device, const QByteArray &text) const;

private:
    QTemporaryDir m_dir;
};

// One profile section: the name and the twelve values in file order
// (AudioCodec ... VideoKeepAspectRatio).
QByteArray ProfileSectionText(int number, const QByteArray &name,
                              std::initializer_list<int> values);

// A device file with three profiles, default 1 (the second profile):
//   lists  AudioCodec aac|mp3, AudioQuality 64|128|192 kbps,
//          AudioSampleRate 22050|44100|48000, AudioChannels Mono|Stereo,
//          VideoCodec mpeg4|h264|wmv2,
//          VideoSize 176x144|320x240|480x272|640x480|720x480,
//          VideoQuality 384|768|1500 kbps, VideoFrameRate 15|25|30 fps
//   Profile1 "Small": every position 0, every check 0
//   Profile2 "Medium": every position 1, Keep Aspect Ratio 1
//   Profile3 "Large": every position 2, eXtreme Qty 1, Keep Aspect Ratio 1
// Extra text is appended (more sections).
QByteArray StandardDeviceFile(const QByteArray &general = "NumberOfProfiles=3\nDefaultProfile=1\n",
                              const QByteArray &extra = {});
