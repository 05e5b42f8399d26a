#include "cli/CliOutput.h"

#include "core/base/Various.h"
#include "core/convert/ConversionProgress.h"
#include "core/platform/PathBytes.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

CliOutput::CliOutput(bool json)
    : m_json(json)
    , m_interactive(!json && ::isatty(STDOUT_FILENO) == 1) {}

void CliOutput::write(FILE *stream, const QString &text) {
    // A file name's bytes that are no UTF-8 show as U+FFFD.
    const QByteArray bytes = PathForDisplay(text).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void CliOutput::line(const QString &text) {
    endProgress();
    write(stdout, text + u'\n');
}

void CliOutput::problem(const QString &text) {
    endProgress();
    if (m_json)
        object({{QStringLiteral("event"), QStringLiteral("error")},
                {QStringLiteral("message"), text}});
    else
        write(stderr, QStringLiteral("mobivert-cli: ") + text + u'\n');
}

void CliOutput::object(const QJsonObject &object) {
    write(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n');
}

void CliOutput::progress(const QString &text) {
    if (!m_interactive) {
        write(stdout, text + u'\n');
        return;
    }
    // Back to the start of the line, the new text, and the rest of the old
    // line cleared.
    write(stdout, u'\r' + text + QStringLiteral("\x1b[K"));
    m_progressShown = true;
}

void CliOutput::endProgress() {
    if (!m_progressShown)
        return;
    m_progressShown = false;
    write(stdout, QStringLiteral("\n"));
}

namespace InfoText {

QString Escaped(const QString &field) {
    QString text;
    text.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
        case u'\\':
            text += QStringLiteral("\\\\");
            break;
        case u'\t':
            text += QStringLiteral("\\t");
            break;
        case u'\n':
            text += QStringLiteral("\\n");
            break;
        case u'\r':
            text += QStringLiteral("\\r");
            break;
        default:
            text += c;
        }
    }
    return text;
}

QString Line(const QStringList &fields) {
    QStringList escaped;
    for (const QString &field : fields)
        escaped.append(Escaped(field));
    return escaped.join(u'\t');
}

} // namespace InfoText

namespace ProgressText {

QString Bar(qint64 value, qint64 maximum, int width) {
    const qint64 filled = maximum > 0 ? std::clamp<qint64>(value * width / maximum, 0, width) : 0;
    return u'[' + QString(filled, u'#') + QString(width - filled, u'-') + u']';
}

QString Line(qint64 value, qint64 maximum, qint64 elapsedMs, std::optional<qint64> secondsLeft) {
    const QString percent = maximum > 0
                                ? ConversionProgress::percentage(std::min(value, maximum), maximum)
                                : QStringLiteral("0");
    return QStringLiteral("  ") + Bar(value, maximum) + QStringLiteral("  ") +
           QString(percent + u'%').rightJustified(6) + QStringLiteral("  elapsed ") +
           FormatDuration(elapsedMs / 1000) + QStringLiteral("  left ") +
           (secondsLeft ? FormatDuration(*secondsLeft) : QStringLiteral("--:--:--"));
}

} // namespace ProgressText
