#include "core/convert/ConversionProgress.h"

#include "core/base/Various.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QList<QString> inputPathsOf(const QList<BatchRow> &rows) {
    QList<QString> paths;
    for (const BatchRow &row : rows)
        paths.append(row.inputPath);
    return paths;
}

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

ConversionProgress::ConversionProgress(const QString &converterPath, const QString &trackDropPath,
                                       const QList<BatchRow> &rows)
    : m_rows(rows)
    , m_parser(converterPath, trackDropPath, inputPathsOf(rows)) {}

void ConversionProgress::feed(QByteArrayView chunk) {
    for (const QString &line : m_splitter.feed(chunk))
        apply(m_parser.feedLine(line));
}

void ConversionProgress::finish() {
    for (const QString &line : m_splitter.finish())
        apply(m_parser.feedLine(line));
    apply(m_parser.finish());
    m_finished = true;
    m_caption = BaseCaption + u"Finished!";
    m_currentValue = m_currentMaximum;
    m_totalValue = totalMaximum();
}

QString ConversionProgress::currentFileText() const {
    if (m_finished)
        return QStringLiteral("Finished!");
    if (m_currentFile == 0)
        return QStringLiteral("Initializing...");
    return QStringLiteral("Processing File: %1 of %2...").arg(m_currentFile).arg(rowCount());
}

QString ConversionProgress::errorMessages() const {
    QString text;
    for (const QString &error : m_errors)
        text += u'-' + error + u"\r\n";
    return text;
}

QString ConversionProgress::percentage(qint64 value, qint64 maximum) {
    // Single precision, as the window has always computed it.
    const float share = float(value) / float(maximum) * 100.0f;
    return PlainDecimal(std::nearbyint(double(share) * 100.0) / 100.0, 2);
}

void ConversionProgress::apply(const QList<ConsoleEvent> &events) {
    for (const ConsoleEvent &event : events) {
        switch (event.kind) {
        case ConsoleEvent::Kind::FileStarted: {
            m_currentFile = event.fileNumber;
            m_currentValue = 0;
            // A file of unknown length keeps the previous maximum.
            const qint64 total = m_rows[m_currentFile - 1].totalSeconds;
            if (total > 0)
                m_currentMaximum = clampToInt(total);
            m_totalValue = m_currentFile;
            break;
        }
        case ConsoleEvent::Kind::Progress:
            m_status = event.text;
            // A file's bar never goes back: a thumbnail taken after the video
            // reports its own time from zero.
            if (!event.seconds || *event.seconds < m_currentValue)
                break;
            if (*event.seconds > m_currentMaximum) {
                m_currentValue = m_currentMaximum;
            } else {
                m_currentValue = clampToInt(*event.seconds);
                m_caption =
                    BaseCaption + u'(' + percentage(*event.seconds, m_currentMaximum) + u"%)";
            }
            break;
        case ConsoleEvent::Kind::Copied:
            m_copies.insert(event.fileNumber, event.text);
            break;
        case ConsoleEvent::Kind::Error:
            m_errors.append(event.text);
            m_errorFiles.append(event.fileNumber);
            break;
        case ConsoleEvent::Kind::HandedOff:
            m_handedOff.append(event.fileNumber);
            break;
        }
    }
}
