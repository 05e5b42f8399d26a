#include "tests/profiles/ProfileFolder.h"

#include "core/platform/ApplicationFolder.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

ProfileFolder::ProfileFolder() {
    QDir(m_dir.path()).mkpath(QStringLiteral("Profiles"));
    SetApplicationFolder(m_dir.path());
}

ProfileFolder::~ProfileFolder() {
    SetApplicationFolder(TestPaths::appDir());
}

QString ProfileFolder::write(const QString &device, const QByteArray &text) const {
    const QString file = m_dir.path() + u"/Profiles/" + device + u".ini";
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file));
    out.write(text);
    return file;
}

QByteArray ProfileSectionText(int number, const QByteArray &name,
                              std::initializer_list<int> values) {
    static const char *const keys[] = {
        "AudioCodec",    "AudioQuality",         "AudioSampleRate",
        "AudioChannels", "AudioNoAudio",         "VideoCodec",
        "VideoSize",     "VideoQuality",         "VideoFrameRate",
        "VideoNoVideo",  "VideoOriginalQuality", "VideoKeepAspectRatio"};
    if (values.size() != 12)
        qFatal("a profile has twelve values");
    QByteArray text = "[Profile" + QByteArray::number(number) + "]\nName=" + name + '\n';
    int i = 0;
    for (int value : values)
        text += QByteArray(keys[i++]) + '=' + QByteArray::number(value) + '\n';
    return text;
}

QByteArray StandardDeviceFile(const QByteArray &general, const QByteArray &extra) {
    return "[General]\n" + general +
           "[Defaults]\n"
           "AudioCodec=aac|mp3\n"
           "AudioQuality=64 kbps|128 kbps|192 kbps\n"
           "AudioSampleRate=22050|44100|48000\n"
           "AudioChannels=Mono|Stereo\n"
           "VideoCodec=mpeg4|h264|wmv2\n"
           "VideoSize=176x144|320x240|480x272|640x480|720x480\n"
           "VideoQuality=384 kbps|768 kbps|1500 kbps\n"
           "VideoFrameRate=15 fps|25 fps|30 fps\n" +
           ProfileSectionText(1, "Small", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
           ProfileSectionText(2, "Medium", {1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 1}) +
           ProfileSectionText(3, "Large", {2, 2, 2, 1, 0, 2, 2, 2, 2, 0, 1, 1}) + extra;
}
