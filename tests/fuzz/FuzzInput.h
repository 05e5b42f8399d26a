#pragma once

// Helpers shared by the fuzz targets: cutting an input into the fields a
// target reads, and a check that stops the run with a readable message (the
// fuzzer then keeps the input as a crash file).

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

[[noreturn]] inline void fail(const char *file, int line, const char *condition,
                              const QString &detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

// Quotes a text for a failure message, with control characters made visible.
inline QString shown(const QString &text) {
    QString result = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c == u'\\')
            result += u"\\x" + QString::number(c.unicode(), 16).rightJustified(2, u'0');
        else
            result += c;
    }
    return result + u'"';
}

inline QByteArray bytes(const uint8_t *data, size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input cut at every line feed, so that seed files are plain text. The
// two characters "\n" inside a field stand for a line feed, so a field can
// still hold one; every other byte (carriage returns, NULs) is kept.
inline QList<QByteArray> fields(QByteArrayView input, qsizetype count, QByteArray *rest) {
    QList<QByteArray> result;
    qsizetype at = 0;
    while (result.size() < count) {
        qsizetype end = input.indexOf('\n', at);
        if (end < 0)
            end = input.size();
        result.append(input.sliced(at, end - at).toByteArray().replace("\\n", "\n"));
        at = std::min(end + 1, input.size());
    }
    if (rest)
        *rest = input.sliced(at).toByteArray();
    return result;
}

// A field as the two kinds of text a user's input can become: decoded as
// UTF-8 (invalid bytes become replacement characters) and read as raw UTF-16
// (which can hold unpaired surrogates, as a pasted text can).
inline QString asUtf8(const QByteArray &field) {
    return QString::fromUtf8(field);
}
inline QString asUtf16(const QByteArray &field) {
    QString text(field.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), field.constData(), size_t(text.size()) * sizeof(QChar));
    return text;
}

} // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                                \
    } while (false)
