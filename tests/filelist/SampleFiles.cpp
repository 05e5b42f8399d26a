#include "tests/filelist/SampleFiles.h"

#include "tests/support/MediaTools.h"

#include <QDir>
#include <QFile>

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

QStringList makeTextFiles(const QString &folder, int count) {
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << written(QDir(folder).filePath(QStringLiteral("file%1.avi").arg(i)), "x");
    return paths;
}

} // namespace SampleFiles
