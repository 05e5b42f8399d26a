#include "core/platform/PathBytes.h"

#include <QUrl>

namespace {

constexpr char16_t StrayByteBase = 0xDC00;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there
// starts none (a stray byte, a sequence cut short, an overlong form, an
// encoded surrogate or a code point beyond U+10FFFF).
qsizetype sequenceLength(const QByteArray &bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) {
        return static_cast<unsigned char>(bytes[at + i]);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0; // shorter forms are overlong
        else if (lead == 0xED)
            secondHigh = 0x9F; // U+D800..U+DFFF are no characters
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(1) < secondLow || byte(1) > secondHigh)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!isContinuation(byte(i)))
            return 0;
    }
    return length;
}

bool isStrayByte(char16_t unit) {
    return unit >= StrayByteBase + 0x80 && unit <= StrayByteBase + 0xFF;
}

} // namespace

QString PathFromBytes(const QByteArray &bytes) {
    QString path;
    path.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = sequenceLength(bytes, at);
        if (length == 0) {
            path += QChar(char16_t(StrayByteBase + static_cast<unsigned char>(bytes[at])));
            ++at;
        } else {
            path += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        }
    }
    return path;
}

QByteArray PathToBytes(const QString &path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype start = 0; // of the text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (!isStrayByte(unit))
            continue;
        // A low surrogate after a high one is half of a character.
        if (i > 0 && path[i - 1].isHighSurrogate())
            continue;
        bytes += QStringView(path).sliced(start, i - start).toUtf8();
        bytes += char(unit - StrayByteBase);
        start = i + 1;
    }
    bytes += QStringView(path).sliced(start).toUtf8();
    return bytes;
}

bool HasStrayBytes(const QString &path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isStrayByte(path[i].unicode()) && (i == 0 || !path[i - 1].isHighSurrogate()))
            return true;
    }
    return false;
}

QString PathForDisplay(const QString &path) {
    return QString::fromUtf8(PathToBytes(path));
}

QStringList PathArguments(int argc, const char *const *argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(PathFromBytes(QByteArray(argv[i])));
    return arguments;
}

QString PathFromFileUrl(const QByteArray &encodedUrl) {
    const QUrl url = QUrl::fromEncoded(encodedUrl);
    if (!url.isLocalFile())
        return {};
    return PathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QUrl FileUrlOf(const QString &path) {
    return QUrl::fromEncoded("file://" + PathToBytes(path).toPercentEncoding("/"));
}
