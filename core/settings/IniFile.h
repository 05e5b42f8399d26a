#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// An INI document held as its raw lines, so that a rewrite changes only the
// line it must and keeps every other byte (comments, unknown lines, odd
// encodings, line endings) as it was.
//
// Reading: section and key names match without regard to letter case; the
// first matching section and, inside it, the first matching key win. A value
// is returned trimmed of blanks and of one pair of enclosing quotes.
class IniFile final {
public:
    IniFile() = default;
    explicit IniFile(const QByteArray &text);

    // The stored value, or nothing when the section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Sets a value: replaces the key's line in place, adds the key at the end
    // of its section, or appends the section. Returns false, changing nothing,
    // when the names or the value cannot be stored so that they read back.
    bool setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toText() const;

    // What a value must look like on disk to read back as the given text.
    static QByteArray encodeValue(const QString &value);
    // The inverse: what a raw value on disk reads as.
    static QString decodeValue(QByteArrayView raw);
    static bool isStorableName(const QString &name, bool isSection);
    static bool isStorableValue(const QString &value);

private:
    struct Line {
        QByteArray text;       // without its line terminator
        QByteArray terminator; // "\n", "\r\n" or empty for a last line without one
    };
    struct Location {
        qsizetype sectionLine = -1; // the section header
        qsizetype keyLine = -1;     // the key's line, -1 when missing
        qsizetype insertAt = -1;    // where a new key of this section goes
    };

    Location locate(const QString &section, const QString &key) const;
    QByteArray newLineTerminator() const;

    QList<Line> m_lines;
};
