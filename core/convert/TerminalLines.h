#pragma once

#include <QByteArray>
#include <QStringList>

// Cuts one stream of console output into the lines a terminal would be left
// showing. A line is complete at a line feed; a carriage return lets the
// next text replace the line, so the converter's progress line, redrawn
// many times, leaves only its last state. Used for the log of a batch whose
// lanes' output is interleaved, where no line can be redrawn in place.
class TerminalLines final {
public:
    // The lines this chunk completes, decoded as UTF-8; empty lines are
    // dropped.
    QStringList feed(QByteArrayView chunk);
    // What is left once the output has ended, as a last line (if any).
    QStringList finish();

private:
    QByteArray m_line;     // the text since the line began or was returned
    QByteArray m_returned; // the line as it stood at the last carriage return
};
