#pragma once

#include "core/filelist/FileListRow.h"

#include <QList>
#include <QString>

#include <optional>

// What the console output of a batch says, line by line: which file's
// conversion starts, how far it has got, and which errors the converter
// reported.
struct ConsoleEvent {
    enum class Kind { FileStarted, Progress, Error, Copied };
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
// optionally "; " and a note.
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

    QString m_converterEcho;
    QString m_trackDropEcho;
    QList<QString> m_inputPaths;

    int m_currentFile = 0;
    QString m_pendingEcho;       // an echo whose quoted path holds a line break
    bool m_inConversion = false; // output of a conversion line is arriving
    bool m_inTrackDrop = false;  // output of a library hand-off line is arriving
    bool m_segmentSucceeded = false;
    bool m_segmentReportedError = false;
    QString m_segmentLastMessage;
};
