#include "core/base/Various.h"

#include "core/platform/FileSystem.h"

#include <QDir>
#include <QStringList>

void CreateFolderPath(QString &path) {
    if (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);

    const QStringList pieces = path.split(u'/');
    QString prefix;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        prefix = i == 0 ? pieces[i] : prefix + u'/' + pieces[i];
        // The empty first piece of an absolute path is the root, which exists.
        if (prefix.isEmpty() || pieces[i].isEmpty())
            continue;
        if (!FolderExists(prefix))
            QDir().mkdir(prefix);
    }
}

bool FolderExists(const QString &path) {
    return IsDirectory(path);
}

bool FileExists(const QString &path) {
    return IsNonDirectory(path);
}

QString FormatDuration(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    const auto twoDigits = [](qint64 value) {
        return value < 10 ? u'0' + QString::number(value) : QString::number(value);
    };
    return twoDigits(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60) + u':' +
           twoDigits(seconds % 60);
}

QString PlainDecimal(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (!text.contains(u'.'))
        return text;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}
