// The INI reader and writer. Input: a section name, a key and a value on the
// first three lines, the INI document after them. Every input is tried twice,
// with the three names read as UTF-8 and as raw UTF-16.
//
// What must hold: a document read and written unchanged keeps every byte; a
// value that can be stored reads back exactly, and one that cannot changes
// nothing; a write changes the key's own line (or adds the key, or adds the
// section and the key) and no other line; every other value reads as before;
// the file functions agree with the document they wrap.
#include "tests/fuzz/FuzzInput.h"

#include "core/settings/IniFile.h"
#include "core/settings/ReadWriteIniFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

struct Line {
    QByteArray text;
    QByteArray terminator;
    friend bool operator==(const Line &, const Line &) = default;
};

// The lines of a document, cut the way a reader sees them.
QList<Line> linesOf(const QByteArray &text) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        Line line{text.sliced(start, (newline < 0 ? text.size() : newline) - start),
                  newline < 0 ? QByteArray() : QByteArray("\n")};
        if (line.text.endsWith('\r') && !line.terminator.isEmpty()) {
            line.text.chop(1);
            line.terminator = "\r\n";
        }
        lines.append(line);
        start = newline < 0 ? text.size() : newline + 1;
    }
    return lines;
}

// Names as the reader decodes them: a leading U+FEFF is part of the text.
QString decoded(QByteArrayView text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(text);
}

bool sameName(const QString &a, const QString &b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Every section and key name a document holds, in order (at most `limit`).
QList<std::pair<QString, QString>> keysOf(const QList<Line> &lines, qsizetype limit) {
    QList<std::pair<QString, QString>> keys;
    QString section;
    bool inSection = false;
    for (const Line &line : lines) {
        const QByteArray text = line.text;
        QByteArray bare = text;
        while (!bare.isEmpty() && (bare.front() == ' ' || bare.front() == '\t'))
            bare.remove(0, 1);
        if (bare.startsWith('[')) {
            const qsizetype close = bare.indexOf(']');
            section = decoded(bare.mid(1, close < 0 ? -1 : close - 1));
            inSection = true;
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (!inSection || equals < 0 || bare.startsWith(';') || bare.startsWith('#'))
            continue;
        keys.append({section, decoded(text.first(equals))});
        if (keys.size() >= limit)
            break;
    }
    return keys;
}

QString lineText(const Line &line) {
    return fuzz::shown(QString::fromUtf8(line.text + line.terminator));
}

// `after` is `before` with `added` inserted at `at`; the line before them may
// have gained the line end it lacked as the last line.
bool isInsertion(const QList<Line> &before, const QList<Line> &after, qsizetype at,
                 const QList<QByteArray> &added) {
    if (after.size() != before.size() + added.size() || at > before.size())
        return false;
    for (qsizetype i = 0; i < at; ++i) {
        const bool gainedEnd =
            i + 1 == at && before[i].terminator.isEmpty() && before[i].text == after[i].text;
        if (!(before[i] == after[i]) && !gainedEnd)
            return false;
    }
    for (qsizetype i = 0; i < added.size(); ++i) {
        if (after[at + i].text != added[i])
            return false;
    }
    for (qsizetype i = at; i < before.size(); ++i) {
        if (!(before[i] == after[i + added.size()]))
            return false;
    }
    return true;
}

// A write changed the key's line in place, inserted the key's line, or
// appended the section and its key; nothing else.
void checkOnlyTheKeyChanged(const QList<Line> &before, const QList<Line> &after,
                            const QString &section, const QString &key, const QByteArray &keyLine) {
    qsizetype first = 0;
    while (first < before.size() && first < after.size() && before[first] == after[first])
        ++first;
    const auto detail = [&] {
        return QStringLiteral("first change at line %1: %2 became %3")
            .arg(first + 1)
            .arg(first < before.size() ? lineText(before[first]) : QString(),
                 first < after.size() ? lineText(after[first]) : QString());
    };
    if (after.size() == before.size()) {
        if (first == before.size())
            return;
        const Line &old = before[first];
        const Line &now = after[first];
        const qsizetype equals = old.text.indexOf('=');
        FUZZ_CHECK(equals >= 0 && now.terminator == old.terminator &&
                       now.text ==
                           old.text.first(equals + 1) + keyLine.sliced(keyLine.indexOf('=') + 1) &&
                       sameName(decoded(old.text.first(equals)), key),
                   u"a line other than the key's changed; " + detail());
        for (qsizetype i = first + 1; i < before.size(); ++i)
            FUZZ_CHECK(before[i] == after[i], u"two lines changed; " + detail());
        return;
    }
    const QByteArray sectionLine = '[' + section.trimmed().toUtf8() + ']';
    FUZZ_CHECK(isInsertion(before, after, first, {keyLine}) ||
                   isInsertion(before, after, first + 1, {keyLine}) ||
                   isInsertion(before, after, before.size(), {sectionLine, keyLine}),
               u"not a write of the key alone; " + detail());
}

QString cutForReading(const QString &value) {
    if (value.size() <= MaxIniValueLength)
        return value;
    return value.first(value.at(MaxIniValueLength - 1).isHighSurrogate() ? MaxIniValueLength - 1
                                                                         : MaxIniValueLength);
}

const QString &scratchFile() {
    // tmpfs when there is one: the writer syncs its file, which on a disk
    // would slow every run down.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/mobivert-fuzz-XXXXXX")
                                    : QDir::tempPath() + u"/mobivert-fuzz-XXXXXX");
    static const QString file = folder.filePath(QStringLiteral("Settings.ini"));
    return file;
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void checkWrite(const QByteArray &document, const QString &section, const QString &key,
                const QString &value) {
    const auto detail = [&] {
        return QStringLiteral("section %1 key %2 value %3")
            .arg(fuzz::shown(section), fuzz::shown(key), fuzz::shown(value));
    };
    const IniFile original(document);
    FUZZ_CHECK(original.toText() == document, QStringLiteral("reading changed the document"));

    IniFile ini(document);
    const bool storable = IniFile::isStorableName(section, true) &&
                          IniFile::isStorableName(key, false) && IniFile::isStorableValue(value);
    const bool written = ini.setValue(section, key, value);
    FUZZ_CHECK(written == storable, detail());
    const QByteArray text = ini.toText();

    if (!written) {
        FUZZ_CHECK(text == document, u"a refused write changed the document; " + detail());
    } else {
        FUZZ_CHECK(IniFile::decodeValue(IniFile::encodeValue(value)) == value, detail());
        const std::optional<QString> readBack = IniFile(text).value(section, key);
        FUZZ_CHECK(readBack == value, u"read back as " +
                                          fuzz::shown(readBack.value_or(QStringLiteral("<none>"))) +
                                          u"; " + detail());
        checkOnlyTheKeyChanged(linesOf(document), linesOf(text), section, key,
                               key.trimmed().toUtf8() + '=' + IniFile::encodeValue(value));
        const IniFile rewritten(text);
        for (const auto &[otherSection, otherKey] : keysOf(linesOf(document), 64)) {
            if (sameName(otherSection, section) && sameName(otherKey, key))
                continue;
            FUZZ_CHECK(original.value(otherSection, otherKey) ==
                           rewritten.value(otherSection, otherKey),
                       u"the value of " + fuzz::shown(otherKey) + u" in " +
                           fuzz::shown(otherSection) + u" changed; " + detail());
        }
    }

    // The same through a file.
    const QString &path = scratchFile();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       file.write(document) == document.size(),
                   QStringLiteral("cannot write the scratch file"));
    }
    FUZZ_CHECK(WriteIniValue(section, key, value, path) == written, detail());
    FUZZ_CHECK(fileBytes(path) == text, u"the file differs from the document; " + detail());
    const QString fallback = QStringLiteral("fallback\t ");
    const QString read = ReadIniValue(section, key, fallback, path);
    const QString expected =
        written ? value : original.value(section, key).value_or(QStringLiteral("fallback"));
    FUZZ_CHECK(read == cutForReading(expected), u"read " + fuzz::shown(read) + u"; " + detail());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray document;
    const QList<QByteArray> names = fuzz::fields(fuzz::bytes(data, size), 3, &document);
    checkWrite(document, fuzz::asUtf8(names[0]), fuzz::asUtf8(names[1]), fuzz::asUtf8(names[2]));
    checkWrite(document, fuzz::asUtf16(names[0]), fuzz::asUtf16(names[1]), fuzz::asUtf16(names[2]));
    return 0;
}
