#pragma once

#include <QString>

// The process-wide debug log. It is inactive unless the application was
// started in debug mode; while inactive its path is empty, which is how the
// rest of the program tells whether debug mode is on.
class DebugLog final {
public:
    static DebugLog &instance();

    // Opens the file for appending and makes the log active. Returns false
    // (and stays inactive) when the file cannot be opened.
    bool start(const QString &path);
    QString path() const { return m_path; }
    // Appends one information entry; does nothing while inactive.
    void write(const QString &text);
    // Ends debug mode; used by tests that run several start-ups in one process.
    void stop() { m_path.clear(); }

    // The log file name for a start at the given local time: ddmmyyyyhhmmss.log
    static QString fileNameFor(const class QDateTime &time);

private:
    DebugLog() = default;
    QString m_path;
};
