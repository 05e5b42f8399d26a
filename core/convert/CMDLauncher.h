#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QProcess>

// Runs a batch file through the shell with its command echo on ("sh -v"),
// captures everything it and its commands print (standard output and error
// merged) and reports it in arrival order on the thread that owns it.
// The batch runs in a process group of its own, so stopping it reaches
// every command it started and nothing else.
class CMDLauncher final : public QObject {
    Q_OBJECT
public:
    enum StartStatus { Started = 0, AlreadyRunning = 1, StartFailed = 2 };

    explicit CMDLauncher(QObject *parent = nullptr);
    ~CMDLauncher() override;

    // Two tuning values kept for callers that set them: the read size and
    // the polling interval in milliseconds. Output is delivered as it comes.
    void setBufferSize(int bytes) { m_bufferSize = bytes; }
    int bufferSize() const { return m_bufferSize; }
    void setPollInterval(int milliseconds) { m_pollInterval = milliseconds; }
    int pollInterval() const { return m_pollInterval; }

    // Starts the batch; the status says whether it began.
    void start(const QString &batchPath);
    StartStatus startStatus() const { return m_status; }
    // The reason of a failed start (a QProcess::ProcessError value).
    int errorCode() const { return m_errorCode; }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // The batch's process group, or 0 before a start.
    pid_t processGroup() const { return m_processGroup; }

    // Ends the run if it still runs: asks every process of the batch to
    // stop, and kills what is left after the grace period. No event
    // follows a stop.
    void stop(int graceMs = 3000);
    // The two halves of stop(), so that several batches can be asked at
    // once and then given one grace period together: requestStop() asks
    // every process of the batch to stop (SIGTERM); finishStop() waits until
    // they have gone or the deadline has passed, then kills what is left.
    void requestStop();
    void finishStop(QDeadlineTimer deadline);

signals:
    void DataReceived(const QByteArray &chunk);
    void ProcessEnded();

private:
    void readOutput();

    QProcess m_process;
    StartStatus m_status = Started;
    int m_errorCode = 0;
    pid_t m_processGroup = 0;
    int m_bufferSize = 8192;
    int m_pollInterval = 10;
    bool m_stopped = false;
};
