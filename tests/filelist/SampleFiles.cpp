#include "tests/filelist/SampleFiles.h"

#include "tests/support/MediaTools.h"

#include <QDir>
#include <QFile>

namespace SampleFiles {

namespace {

QString made(const QString &path, const ClipSpec &spec) {
    if (!MakeClip(path, spec))
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
    ClipSpec spec;
    spec.seconds = 3;
    spec.codecArguments = {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                           QStringLiteral("libmp3lame")};
    return made(QDir(folder).filePath(name), spec);
}

QString makeH264Mp4(const QString &folder, const QString &name) {
    ClipSpec spec;
    spec.seconds = 4;
    spec.width = 352;
    spec.height = 288;
    spec.codecArguments = {QStringLiteral("-c:v"),    QStringLiteral("libx264"),
                           QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                           QStringLiteral("-c:a"),    QStringLiteral("aac")};
    return made(QDir(folder).filePath(name), spec);
}

QString makeMp3(const QString &folder, const QString &name) {
    ClipSpec spec;
    spec.seconds = 5;
    spec.video = false;
    return made(QDir(folder).filePath(name), spec);
}

QString makeEmpty(const QString &folder, const QString &name) {
    return written(QDir(folder).filePath(name), QByteArray());
}

QString makeTextAsAvi(const QString &folder, const QString &name) {
    return written(QDir(folder).filePath(name), "These are not the frames you are looking for.\n");
}

QString makeOddlyNamed(const QString &folder) {
    ClipSpec spec;
    spec.seconds = 2;
    spec.width = 160;
    spec.height = 120;
    spec.codecArguments = {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                           QStringLiteral("libmp3lame")};
    return made(QDir(folder).filePath(QStringLiteral("it's a \"clip\" $HOME `x` ünïcødé 日本.avi")),
                spec);
}

QStringList makeTextFiles(const QString &folder, int count) {
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << written(QDir(folder).filePath(QStringLiteral("file%1.avi").arg(i)), "x");
    return paths;
}

} // namespace SampleFiles
