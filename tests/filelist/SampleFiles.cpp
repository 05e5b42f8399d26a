#include "tests/filelist/SampleFiles.h"

#include "tests/support/MediaTools.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace SampleFiles {

namespace {

QString made(const QString &path, const ClipSpec &clip) {
    if (!MakeClip(path, clip))
        qFatal("ffmpeg could not make %s", qPrintable(path));
    return path;
}

QString written(const QString &path, const QByteArray &content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

QString makeMpeg4Avi(const QString &folder, const QString &name) {
    ClipSpec clip;
    clip.seconds = 3;
    clip.codecArguments = {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                           QStringLiteral("libmp3lame")};
    return made(QDir(folder).filePath(name), clip);
}

QString makeH264Mp4(const QString &folder, const QString &name) {
    ClipSpec clip;
    clip.seconds = 4;
    clip.width = 352;
    clip.height = 288;
    clip.codecArguments = {QStringLiteral("-c:v"),    QStringLiteral("libx264"),
                           QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                           QStringLiteral("-c:a"),    QStringLiteral("aac")};
    return made(QDir(folder).filePath(name), clip);
}

QString makeMp3(const QString &folder, const QString &name) {
    ClipSpec clip;
    clip.seconds = 5;
    clip.video = false;
    return made(QDir(folder).filePath(name), clip);
}

QString makeEmpty(const QString &folder, const QString &name) {
    return written(QDir(folder).filePath(name), QByteArray());
}

QString makeTextAsAvi(const QString &folder, const QString &name) {
    return written(QDir(folder).filePath(name), "These are not the frames you are looking for.\n");
}

QString makeOddlyNamed(const QString &folder) {
    ClipSpec clip;
    clip.seconds = 2;
    clip.width = 160;
    clip.height = 120;
    clip.codecArguments = {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                           QStringLiteral("libmp3lame")};
    return made(QDir(folder).filePath(QStringLiteral("it's a \"clip\" $HOME `x` ünïcødé 日本.avi")),
                clip);
}

QString makeRotatedMp4(const QString &folder, int degrees) {
    // ffmpeg keeps the rotation only when it copies the stream.
    const QString plain = makeH264Mp4(folder, QStringLiteral("unturned.mp4"));
    const QString path = QDir(folder).filePath(QStringLiteral("turned %1.mp4").arg(degrees));
    const ProgramResult result = RunProgram(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("file:") + plain,
         QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-metadata:s:v"),
         QStringLiteral("rotate=%1").arg(degrees), QStringLiteral("file:") + path});
    if (result.exitCode != 0 || !QFile::remove(plain))
        qFatal("ffmpeg could not turn %s: %s", qPrintable(plain), result.output.constData());
    return path;
}

QString makeAnamorphicMpeg(const QString &folder) {
    ClipSpec clip;
    clip.seconds = 1;
    clip.width = 720;
    clip.height = 480;
    clip.codecArguments = {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"),
                           QStringLiteral("-aspect"), QStringLiteral("16:9")};
    return made(QDir(folder).filePath(QStringLiteral("wide dvd.mpg")), clip);
}

QString makeAnamorphicMkv(const QString &folder) {
    ClipSpec clip;
    clip.seconds = 1;
    clip.codecArguments = {QStringLiteral("-c:v"),    QStringLiteral("libx264"),
                           QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                           QStringLiteral("-aspect"), QStringLiteral("16:9")};
    return made(QDir(folder).filePath(QStringLiteral("wide.mkv")), clip);
}

QString makeTwoSoundTracksMkv(const QString &folder) {
    const QString subtitles = written(QDir(folder).filePath(QStringLiteral("words.srt")),
                                      "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
    const QString path = QDir(folder).filePath(QStringLiteral("two tracks.mkv"));
    const QStringList arguments = {u"-nostdin"_s,
                                   u"-loglevel"_s,
                                   u"error"_s,
                                   u"-y"_s,
                                   u"-f"_s,
                                   u"lavfi"_s,
                                   u"-i"_s,
                                   u"testsrc2=size=320x240:rate=25:duration=1"_s,
                                   u"-f"_s,
                                   u"lavfi"_s,
                                   u"-i"_s,
                                   u"sine=frequency=440:duration=1"_s,
                                   u"-f"_s,
                                   u"lavfi"_s,
                                   u"-i"_s,
                                   u"sine=frequency=880:duration=1"_s,
                                   u"-i"_s,
                                   u"file:"_s + subtitles,
                                   u"-map"_s,
                                   u"0"_s,
                                   u"-map"_s,
                                   u"1"_s,
                                   u"-map"_s,
                                   u"2"_s,
                                   u"-map"_s,
                                   u"3"_s,
                                   u"-c:v"_s,
                                   u"libx264"_s,
                                   u"-preset"_s,
                                   u"ultrafast"_s,
                                   u"-c:a:0"_s,
                                   u"aac"_s,
                                   u"-ac:a:0"_s,
                                   u"2"_s,
                                   u"-c:a:1"_s,
                                   u"ac3"_s,
                                   u"-ac:a:1"_s,
                                   u"6"_s,
                                   u"-c:s"_s,
                                   u"srt"_s,
                                   u"-metadata:s:a:0"_s,
                                   u"language=eng"_s,
                                   u"-metadata:s:a:1"_s,
                                   u"language=fra"_s,
                                   u"-metadata:s:s:0"_s,
                                   u"language=eng"_s,
                                   u"-disposition:a:0"_s,
                                   u"0"_s,
                                   u"-disposition:a:1"_s,
                                   u"default"_s,
                                   u"file:"_s + path};
    const ProgramResult result = RunProgram(QStringLiteral("ffmpeg"), arguments);
    if (result.exitCode != 0)
        qFatal("ffmpeg could not make %s: %s", qPrintable(path), result.output.constData());
    return path;
}

QStringList makeSmallFiles(const QString &folder, int count) {
    ClipSpec sound;
    sound.seconds = 0.2;
    sound.video = false;
    const QString first = made(QDir(folder).filePath(QStringLiteral("file1.avi")), sound);
    QStringList paths{first};
    for (int i = 2; i <= count; ++i) {
        paths << QDir(folder).filePath(QStringLiteral("file%1.avi").arg(i));
        if (!QFile::copy(first, paths.last()))
            qFatal("cannot copy %s", qPrintable(first));
    }
    return paths;
}

} // namespace SampleFiles
