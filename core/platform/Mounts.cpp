#include "core/platform/Mounts.h"

#include <QFile>

namespace {

// Decodes the octal escapes the kernel writes for blanks, tabs, line
// breaks and backslashes.
QString unescaped(const QByteArray &field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [](char c) {
            return c >= '0' && c <= '7';
        };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            bytes.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                              (field[i + 3] - '0')));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return QFile::decodeName(bytes);
}

} // namespace

QList<MountEntry> ParseMountInfo(const QByteArray &text) {
    QList<MountEntry> mounts;
    for (const QByteArray &line : text.split('\n')) {
        // id, parent id, major:minor, root, mount point, options, optional
        // fields, "-", then the file system type, the source and its options.
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-", 6);
        if (fields.size() < 7 || separator < 0 || separator + 2 >= fields.size())
            continue;
        mounts.append({QString::fromLatin1(fields[2]), unescaped(fields[3]), unescaped(fields[4]),
                       unescaped(fields[separator + 1]), unescaped(fields[separator + 2])});
    }
    return mounts;
}

QList<MountEntry> ReadMounts() {
    const QByteArray chosen = qgetenv("MOBIVERT_MOUNTINFO");
    QFile file(chosen.isNull() ? QStringLiteral("/proc/self/mountinfo")
                               : QFile::decodeName(chosen));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A file of /proc reports no size: read it to its end.
    return ParseMountInfo(file.readAll());
}
