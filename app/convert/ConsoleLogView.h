#pragma once

#include <QPlainTextEdit>
#include <QStringDecoder>

// The conversion window's log box. Shows console output as a terminal
// would: a line feed starts a new line, a carriage return alone goes back to
// the start of the line, so the converter's progress line updates in place.
// Each chunk is appended; the text is never set anew, so the cost of a chunk
// does not grow with the length of the log.
class ConsoleLogView final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ConsoleLogView(QWidget *parent = nullptr);

    void appendOutput(QByteArrayView chunk);

    // Lines kept; older ones are dropped from the top of a very long log.
    static constexpr int MaximumLines = 20000;

private:
    void writeSegment(QTextCursor &cursor, const QString &segment);

    QStringDecoder m_decoder{QStringDecoder::Utf8};
    bool m_lineReturned = false; // a carriage return came last: the next text replaces the line
};
