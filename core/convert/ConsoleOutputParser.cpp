#include "core/convert/ConsoleOutputParser.h"

#include "core/convert/ShellQuote.h"

namespace {

// A thumbnail line asks for a single image; its words "-f image2" are
// never quoted, while every path is.
bool asksForImage(const ShellWordSplit &split) {
    const QStringList &words = split.words;
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (!split.quoted[i] && words[i] == u"-f" && !split.quoted[i + 1] &&
            words[i + 1] == u"image2")
            return true;
    }
    return false;
}

const QString HandOffDone = QStringLiteral("TrackDrop done");
const QString HandOffPrefix = QStringLiteral("TrackDrop: ");

bool isSummary(const QString &line) {
    return line.startsWith(u"video:") && line.contains(u" audio:");
}

} // namespace

ConsoleOutputParser::ConsoleOutputParser(const QString &converterPath, const QString &trackDropPath,
                                         const QList<QString> &inputPaths)
    : m_converterEcho(ShellQuote(converterPath) + u' ')
    , m_trackDropEcho(ShellQuote(trackDropPath) + u' ')
    , m_inputPaths(inputPaths) {}

QList<ConsoleEvent> ConsoleOutputParser::feedLine(const QString &line) {
    QList<ConsoleEvent> events;

    // An echo whose quoted path holds a line break arrives in pieces.
    QString echo;
    if (!m_pendingEcho.isEmpty()) {
        echo = m_pendingEcho + u'\n' + line;
    } else if (line.startsWith(m_converterEcho) || line.startsWith(m_trackDropEcho)) {
        echo = line;
    }
    if (!echo.isEmpty()) {
        const ShellWordSplit words = SplitShellWords(echo);
        if (words.openQuote) {
            m_pendingEcho = echo;
            return events;
        }
        m_pendingEcho.clear();
        endSegment(events);
        Command command = Command::None;
        if (echo.startsWith(m_converterEcho))
            command = asksForImage(words) ? Command::Thumbnail : Command::Conversion;
        else if (echo.startsWith(m_trackDropEcho))
            command = Command::TrackDrop;
        if (command == Command::Conversion && m_currentFile < m_inputPaths.size()) {
            ++m_currentFile;
            m_inConversion = true;
            events.append({ConsoleEvent::Kind::FileStarted, m_currentFile, {}, {}});
        }
        m_inTrackDrop = command == Command::TrackDrop && m_currentFile > 0;
        if (m_inTrackDrop)
            m_handOffFile = words.words.value(1);
        return events;
    }

    readConverterLine(line, events);
    return events;
}

void ConsoleOutputParser::readConverterLine(const QString &line, QList<ConsoleEvent> &events) {
    if (m_currentFile == 0)
        return;
    const QString &input = m_inputPaths[m_currentFile - 1];

    if (m_inTrackDrop) {
        readHandOffLine(line, events);
        return;
    }

    qsizetype at = line.indexOf(input + u':');
    if (at < 0)
        at = line.indexOf(u"swScaler:");
    if (at >= 0) {
        QString message = line.mid(at).trimmed();
        if (message == input + u':')
            message = input + u": unknown error";
        events.append({ConsoleEvent::Kind::Error, m_currentFile, message, {}});
        if (m_inConversion)
            m_segmentReportedError = true;
        return;
    }

    if (m_inConversion && line.startsWith(CopiedStatus)) {
        QString note = line.mid(CopiedStatus.size()).trimmed();
        if (note.startsWith(u';'))
            note = note.mid(1).trimmed();
        events.append({ConsoleEvent::Kind::Copied, m_currentFile, note, {}});
        return;
    }

    const qsizetype time = line.indexOf(u"time=");
    if (time >= 0) {
        ConsoleEvent progress{ConsoleEvent::Kind::Progress, m_currentFile, line.trimmed(), {}};
        QString value = line.mid(time + 5);
        value = value.left(value.indexOf(u' ')); // up to the next blank, or all
        value = value.left(value.indexOf(u'.')); // whole seconds
        bool ok = false;
        const qint64 seconds = value.toLongLong(&ok);
        if (ok && seconds >= 0)
            progress.seconds = seconds;
        events.append(progress);
        return;
    }

    if (!m_inConversion)
        return;
    if (isSummary(line))
        m_segmentSucceeded = true;
    else if (!line.trimmed().isEmpty())
        m_segmentLastMessage = line.trimmed();
}

void ConsoleOutputParser::readHandOffLine(const QString &line, QList<ConsoleEvent> &events) {
    const QString text = line.trimmed();
    if (text.isEmpty() || m_handOffSaid)
        return;
    if (text == HandOffDone) {
        m_handOffSaid = true;
        events.append({ConsoleEvent::Kind::HandedOff, m_currentFile, {}, {}});
    } else if (text.startsWith(HandOffPrefix)) {
        m_handOffSaid = true;
        events.append({ConsoleEvent::Kind::Error, m_currentFile, text, {}});
    } else if (m_handOffStray.isEmpty()) {
        m_handOffStray = text;
    }
}

void ConsoleOutputParser::endSegment(QList<ConsoleEvent> &events) {
    // A conversion that printed neither its summary nor an error about its
    // input failed for another reason (an unknown encoder, a full disk, a
    // crash): it is reported too, so no failure passes for a success.
    if (m_inConversion && !m_segmentSucceeded && !m_segmentReportedError) {
        const QString &input = m_inputPaths[m_currentFile - 1];
        const QString reason = m_segmentLastMessage.isEmpty() ? QStringLiteral("conversion failed")
                                                              : m_segmentLastMessage;
        events.append({ConsoleEvent::Kind::Error, m_currentFile, input + u": " + reason, {}});
    }
    // A hand-off that said nothing of itself was cut off (killed, crashed):
    // its file was not added. After a failed conversion it has no file, and
    // ends without a word.
    if (m_inTrackDrop && !m_handOffSaid && (m_lastConverted || !m_handOffStray.isEmpty())) {
        QString reason = HandOffPrefix + m_handOffFile + u": its hand-off ended before it was done";
        if (!m_handOffStray.isEmpty())
            reason += u" (" + m_handOffStray + u')';
        events.append({ConsoleEvent::Kind::Error, m_currentFile, reason, {}});
    }
    if (m_inConversion)
        m_lastConverted = m_segmentSucceeded && !m_segmentReportedError;
    m_inConversion = false;
    m_inTrackDrop = false;
    m_handOffFile.clear();
    m_handOffSaid = false;
    m_handOffStray.clear();
    m_segmentSucceeded = false;
    m_segmentReportedError = false;
    m_segmentLastMessage.clear();
}

QList<ConsoleEvent> ConsoleOutputParser::finish() {
    QList<ConsoleEvent> events;
    if (!m_pendingEcho.isEmpty()) {
        const QString echo = m_pendingEcho;
        m_pendingEcho.clear();
        events = feedLine(echo);
    }
    endSegment(events);
    return events;
}
