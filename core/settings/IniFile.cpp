#include "core/settings/IniFile.h"

#include <QStringDecoder>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// UTF-8 text as it was written. QString::fromUtf8 drops a leading U+FEFF
// (taking it for a byte order mark), so a name or value that begins with one
// would not read back as written.
QString fromUtf8(QByteArrayView text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(text);
}

bool namesMatch(QByteArrayView raw, const QString &name) {
    return fromUtf8(trimmed(raw)).compare(name.trimmed(), Qt::CaseInsensitive) == 0;
}

// A section header: "[name]" after optional blanks. Returns the name.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return text.sliced(1, (close < 0 ? text.size() : close) - 1);
}

bool isComment(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    return text.startsWith(';') || text.startsWith('#');
}

} // namespace

IniFile::IniFile(const QByteArray &text) {
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        Line line;
        if (newline < 0) {
            line.text = text.sliced(start);
            start = text.size();
        } else {
            line.text = text.sliced(start, newline - start);
            line.terminator = "\n";
            start = newline + 1;
        }
        if (line.text.endsWith('\r') && !line.terminator.isEmpty()) {
            line.text.chop(1);
            line.terminator = "\r\n";
        }
        m_lines.append(line);
    }
}

IniFile::Location IniFile::locate(const QString &section, const QString &key) const {
    Location where;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArrayView text = m_lines[i].text;
        if (const auto name = sectionName(text)) {
            if (where.sectionLine >= 0)
                break; // the end of the section we were in
            if (namesMatch(*name, section)) {
                where.sectionLine = i;
                where.insertAt = i + 1;
            }
            continue;
        }
        if (where.sectionLine < 0 || isComment(text))
            continue;
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            continue;
        where.insertAt = i + 1;
        if (namesMatch(text.first(equals), key)) {
            where.keyLine = i;
            return where;
        }
    }
    return where;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const {
    const Location where = locate(section, key);
    if (where.keyLine < 0)
        return std::nullopt;
    const QByteArrayView text = m_lines[where.keyLine].text;
    return decodeValue(text.sliced(text.indexOf('=') + 1));
}

QString IniFile::decodeValue(QByteArrayView raw) {
    QByteArrayView text = trimmed(raw);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        text = text.sliced(1, text.size() - 2);
    return fromUtf8(text);
}

QByteArray IniFile::encodeValue(const QString &value) {
    const QByteArray utf8 = value.toUtf8();
    const bool hasOuterBlank = !utf8.isEmpty() && (isBlank(utf8.front()) || isBlank(utf8.back()));
    const bool looksQuoted = utf8.size() >= 2 && (utf8.front() == '"' || utf8.front() == '\'') &&
                             utf8.back() == utf8.front();
    // Quoting protects what reading would otherwise strip.
    return hasOuterBlank || looksQuoted ? '"' + utf8 + '"' : utf8;
}

bool IniFile::isStorableName(const QString &name, bool isSection) {
    const QString name_ = name.trimmed();
    // An unpaired surrogate has no UTF-8 form: it would be written as
    // something else and never match again.
    if (name_.isEmpty() || name_.contains(u'\n') || name_.contains(u'\r') ||
        name_.contains(QChar()) || !QStringView(name_).isValidUtf16())
        return false;
    if (isSection)
        return !name_.contains(u']');
    return !name_.contains(u'=') && !name_.startsWith(u'[') && !name_.startsWith(u';') &&
           !name_.startsWith(u'#');
}

bool IniFile::isStorableValue(const QString &value) {
    return !value.contains(u'\n') && !value.contains(u'\r') && !value.contains(QChar()) &&
           QStringView(value).isValidUtf16();
}

QByteArray IniFile::newLineTerminator() const {
    for (const Line &line : m_lines) {
        if (!line.terminator.isEmpty())
            return line.terminator;
    }
    return "\n";
}

bool IniFile::setValue(const QString &section, const QString &key, const QString &value) {
    if (!isStorableName(section, true) || !isStorableName(key, false) || !isStorableValue(value))
        return false;

    const Location where = locate(section, key);
    const QByteArray terminator = newLineTerminator();
    if (where.keyLine >= 0) {
        QByteArray &text = m_lines[where.keyLine].text;
        text = text.first(text.indexOf('=') + 1) + encodeValue(value);
        return true;
    }

    // A last line without a terminator gets one before anything follows it.
    // One that ends in a carriage return gets CR LF, so that the carriage
    // return stays part of its text instead of becoming its line end.
    const auto endLastLine = [&terminator](Line &line) {
        if (line.terminator.isEmpty())
            line.terminator = line.text.endsWith('\r') ? QByteArray("\r\n") : terminator;
    };
    const Line keyLine{key.trimmed().toUtf8() + '=' + encodeValue(value), terminator};
    if (where.sectionLine >= 0) {
        endLastLine(m_lines[where.insertAt - 1]);
        m_lines.insert(where.insertAt, keyLine);
        return true;
    }

    if (!m_lines.isEmpty())
        endLastLine(m_lines.last());
    m_lines.append({'[' + section.trimmed().toUtf8() + ']', terminator});
    m_lines.append(keyLine);
    return true;
}

QByteArray IniFile::toText() const {
    QByteArray text;
    for (const Line &line : m_lines)
        text += line.text + line.terminator;
    return text;
}
