#include "core/convert/CMDLauncher.h"

#include "core/platform/Processes.h"

#include <QThread>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

CMDLauncher::CMDLauncher(QObject *parent)
    : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setProgram(QStringLiteral("/bin/sh"));
    // A process group of its own: the batch and everything it starts share
    // one, apart from the application and from other batches. The shell does
    // not outlive the application: should Mobivert end without closing its
    // window (killed, crashed), the batch ends with it rather than run on
    // unseen, and the converter it runs stops as well. The group stays in
    // the application's session, so that a batch paused when the
    // application ends is orphaned there: the system then wakes it with
    // SIGHUP and SIGCONT, and it ends instead of staying stopped for good.
    const pid_t application = ::getpid();
    m_process.setChildProcessModifier([application] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != application)
            ::_exit(127); // already gone
    });
    connect(&m_process, &QProcess::readyRead, this, &CMDLauncher::readOutput);
    connect(&m_process, &QProcess::finished, this, [this] {
        readOutput();
        if (!m_stopped)
            emit ProcessEnded();
    });
}

CMDLauncher::~CMDLauncher() {
    stop();
}

void CMDLauncher::start(const QString &batchPath) {
    if (isRunning()) {
        m_status = AlreadyRunning;
        return;
    }
    m_stopped = false;
    m_process.setArguments({QStringLiteral("-v"), batchPath});
    // What the batch runs knows that the shell leads its process group: a
    // converter that finds that shell gone has nobody to report to.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MOBIVERT_BATCH_SHELL"), QStringLiteral("1"));
    m_process.setProcessEnvironment(environment);
    m_process.start(QIODevice::ReadOnly);
    if (!m_process.waitForStarted()) {
        m_status = StartFailed;
        m_errorCode = int(m_process.error());
        return;
    }
    m_status = Started;
    m_processGroup = pid_t(m_process.processId());
}

void CMDLauncher::readOutput() {
    const QByteArray chunk = m_process.readAll();
    if (!chunk.isEmpty() && !m_stopped)
        emit DataReceived(chunk);
}

void CMDLauncher::stop(int graceMs) {
    requestStop();
    finishStop(QDeadlineTimer(graceMs));
}

void CMDLauncher::requestStop() {
    if (m_processGroup <= 0)
        return;
    m_stopped = true;
    if (ProcessGroupAlive(m_processGroup))
        ::kill(-m_processGroup, SIGTERM);
}

void CMDLauncher::finishStop(QDeadlineTimer deadline) {
    if (m_processGroup <= 0)
        return;
    // Waits until no process of the batch is left or the time is up,
    // reaping the shell once it has gone.
    const auto groupEnded = [this](QDeadlineTimer until) {
        while (ProcessGroupAlive(m_processGroup) && !until.hasExpired()) {
            m_process.waitForFinished(20);
            QThread::msleep(10);
        }
        return !ProcessGroupAlive(m_processGroup);
    };
    if (!groupEnded(deadline)) {
        ::kill(-m_processGroup, SIGKILL);
        // SIGKILL cannot be refused, but it takes a moment to land.
        groupEnded(QDeadlineTimer(2000));
    }
    if (m_process.state() != QProcess::NotRunning)
        m_process.waitForFinished(1000);
    m_processGroup = 0;
}
