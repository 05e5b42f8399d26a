#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

// Where mobivert-cli writes: results and progress to standard output,
// problems to standard error; with --json every message is one JSON object
// on a line of standard output instead. On a terminal the progress line is
// redrawn in place; elsewhere each update is a line of its own.
class CliOutput final {
public:
    explicit CliOutput(bool json);

    bool json() const { return m_json; }
    bool interactive() const { return m_interactive; }

    void line(const QString &text);
    void problem(const QString &text);
    void object(const QJsonObject &object);
    // A progress line: replaces the previous one on a terminal.
    void progress(const QString &text);
    // Ends a progress line that is being redrawn, so the next text starts on
    // a line of its own.
    void endProgress();

private:
    void write(FILE *stream, const QString &text);

    bool m_json = false;
    bool m_interactive = false;
    bool m_progressShown = false;
};

// The lines of --info: fields joined by tabs. A field's backslash, tab,
// newline and carriage return are written as \\, \t, \n and \r, so that
// every file is one line of exactly as many fields, whatever its name.
namespace InfoText {

QString Escaped(const QString &field);
QString Line(const QStringList &fields);

} // namespace InfoText

// Pure text pieces of the progress display.
namespace ProgressText {

// "[#########-----------]": value out of maximum, `width` cells inside.
QString Bar(qint64 value, qint64 maximum, int width = 30);

// "  [#####---]  42.5%  elapsed 00:00:07  left 00:00:09" ("left --:--:--"
// while unknown).
QString Line(qint64 value, qint64 maximum, qint64 elapsedMs, std::optional<qint64> secondsLeft);

} // namespace ProgressText
