#pragma once

#include "core/filelist/FileListRow.h"

#include <QList>
#include <QString>

#include <optional>

// What the console output of a batch says, line by line: which file's
// conversion starts, how far it has got, and which errors the converter
// reported.
struct ConsoleEvent {
    enum class Kind { FileStarted, Progress, Error, Copied, HandedOff };
    Kind kind = Kind::Progress;
    int fileNumber = 0;            // 1-based row of the file the event belongs to
    QString text;                  // the progress line, the error message, or what a copy notes
    std::optional<qint64> seconds; // elapsed seconds of a progress line

    friend bool operator==(const ConsoleEvent &, const ConsoleEvent &) = default;
};

// Reads the complete lines of a batch run by "sh -v": the shell echoes every
// batch line before running it, the converter prints progress lines with
// "time=", errors about its input as "<input path>: message" and scaler
// errors as "swScaler: message", and a "video:... audio:..." summary after a
// successful conversion. A conversion that copies the source's video says
// so in a line of its own: "Copied (already suits the device)", then
// optionally "; " and a note. The library hand-off tool says "TrackDrop
// done" once it has added the file, and otherwise why not in a line
// beginning "TrackDrop: "; a hand-off that ends without saying either (the
// shell's "Killed", a crash) did not add its file, and is reported as an
// error of that kind.
class ConsoleOutputParser final {
public:
    // The batch's command paths (as the batch names them) and the input
    // path of every row, in batch order.
    ConsoleOutputParser(const QString &converterPath, const QString &trackDropPath,
                        const QList<QString> &inputPaths);

    QList<ConsoleEvent> feedLine(const QString &line);
    // The output has ended: judges the last conversion.
    QList<ConsoleEvent> finish();

    int currentFile() const { return m_currentFile; }

private:
    enum class Command { None, Conversion, Thumbnail, TrackDrop };

    void endSegment(QList<ConsoleEvent> &events);
    void readConverterLine(const QString &line, QList<ConsoleEvent> &events);
    void readHandOffLine(const QString &line, QList<ConsoleEvent> &events);

    QString m_converterEcho;
    QString m_trackDropEcho;
    QList<QString> m_inputPaths;

    int m_currentFile = 0;
    QString m_pendingEcho;        // an echo whose quoted path holds a line break
    bool m_inConversion = false;  // output of a conversion line is arriving
    bool m_inTrackDrop = false;   // output of a library hand-off line is arriving
    QString m_handOffFile;        // the file that hand-off adds
    bool m_handOffSaid = false;   // it said it is done, or why not
    QString m_handOffStray;       // the first other line of its output (the shell's "Killed")
    bool m_lastConverted = false; // the last conversion printed its summary and no error
    bool m_segmentSucceeded = false;
    bool m_segmentReportedError = false;
    QString m_segmentLastMessage;
};
