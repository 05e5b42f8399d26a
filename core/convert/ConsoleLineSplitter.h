#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Cuts console output into complete lines. A line ends at a carriage return
// (the converter's progress lines) or a line feed; a partial line waits for
// the next chunk, so output split anywhere gives the same lines as output
// that arrives whole. Empty lines (as between CR and LF) are dropped.
class ConsoleLineSplitter final {
public:
    // The lines completed by this chunk, decoded as UTF-8.
    QList<QString> feed(QByteArrayView chunk);
    // What is left once the output has ended, as a last line (if any).
    QList<QString> finish();

private:
    QByteArray m_partial;
};
