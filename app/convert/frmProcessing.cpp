#include "app/convert/frmProcessing.h"

#include "app/convert/ConsoleLogView.h"
#include "app/convert/LaneProgressView.h"
#include "app/convert/frmError.h"
#include "app/convert/frmShutdown.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/base/DebugLog.h"
#include "core/base/Prompts.h"
#include "core/base/Various.h"
#include "core/convert/BatchLock.h"
#include "core/convert/LibraryHandOff.h"
#include "core/platform/DesktopNotification.h"
#include "core/platform/FileSystem.h"
#include "core/platform/LauncherEntry.h"
#include "core/platform/PathBytes.h"
#include "core/platform/TerminationSignals.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString CancelCaption = QStringLiteral("&Cancel");
const QString PauseCaption = QStringLiteral("&Pause");
const QString ContinueCaption = QStringLiteral("Co&ntinue");
const QString CloseCaption = QStringLiteral("&Close");
// The desktop file's id, which the desktop knows Mobivert by.
const QString DesktopFileId = QStringLiteral(MOBIVERT_APP_ID);

QString elapsedText(qint64 elapsedMs) {
    return FormatDuration(elapsedMs / 1000);
}

} // namespace

frmProcessing::frmProcessing(const BatchRun &run, QWidget *parent)
    : QDialog(parent)
    , m_run(run)
    , m_engine(run) {
    setObjectName(QStringLiteral("frmProcessing"));
    setWindowTitle(ConversionProgress::BaseCaption);
    setFont(VerdanaFont());

    header = new WizardHeader(QStringLiteral("Converting Video Files..."),
                              QStringLiteral("Your video files are being converted..."), this);
    lblCurrentFile = new QLabel(QStringLiteral("Initializing..."), this);
    lblCurrentFile->setObjectName(QStringLiteral("lblCurrentFile"));
    lblCurrentFile->setFont(VerdanaFont(8.25, true));
    prgCurrent = new QProgressBar(this);
    prgCurrent->setObjectName(QStringLiteral("prgCurrent"));
    prgCurrent->setRange(0, 100);
    prgCurrent->setValue(0);
    txtStatus = new QLineEdit(QStringLiteral("Initializing..."), this);
    txtStatus->setObjectName(QStringLiteral("txtStatus"));
    txtStatus->setReadOnly(true);
    prgTotal = new QProgressBar(this);
    prgTotal->setObjectName(QStringLiteral("prgTotal"));
    prgTotal->setValue(0);
    lblTime = new QLabel(this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    txtLogContents = new ConsoleLogView(this);
    txtLogContents->setObjectName(QStringLiteral("txtLogContents"));
    lblNote = new QLabel(
        QStringLiteral("Note: if the process is taking too long, try choosing another profile."),
        this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblLibraryNote = new QLabel(this);
    lblLibraryNote->setObjectName(QStringLiteral("lblLibraryNote"));
    lblLibraryNote->setWordWrap(true);
    lblLibraryNote->hide();
    lblResumeNote = new QLabel(this);
    lblResumeNote->setObjectName(QStringLiteral("lblResumeNote"));
    lblResumeNote->setWordWrap(true);
    lblResumeNote->hide();
    chkShutdownComputer =
        new QCheckBox(QStringLiteral("Automatically shutdown computer when done"), this);
    chkShutdownComputer->setObjectName(QStringLiteral("chkShutdownComputer"));
    cmdOpenFolder = new QPushButton(QStringLiteral("&Open Folder"), this);
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    cmdPause = new QPushButton(PauseCaption, this);
    cmdPause->setObjectName(QStringLiteral("cmdPause"));
    cmdPause->setEnabled(false);
    cmdCancel = new QPushButton(CancelCaption, this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *body = WizardBody(this, header);
    body->addWidget(lblCurrentFile);
    const int laneCount = m_engine.laneCount();
    if (laneCount == 1) {
        body->addWidget(prgCurrent);
        body->addWidget(txtStatus);
        resize(640, 520);
    } else {
        // A line per lane takes the place of the current file's bar and status.
        prgCurrent->hide();
        txtStatus->hide();
        lanes = new LaneProgressView(laneCount, this);
        body->addWidget(lanes);
        m_laneLogs.resize(std::size_t(laneCount));
        resize(760, 520 + 30 * (laneCount - 1));
    }
    body->addWidget(prgTotal);
    body->addWidget(lblTime);
    body->addWidget(txtLogContents, 1);
    body->addWidget(lblNote);
    body->addWidget(lblLibraryNote);
    body->addWidget(lblResumeNote);
    body->addLayout(ButtonRow({cmdOpenFolder, cmdPause, cmdCancel}, chkShutdownComputer));

    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &frmProcessing::cmdOpenFolder_Click);
    connect(cmdPause, &QPushButton::clicked, this, &frmProcessing::cmdPause_Click);
    connect(&m_engine, &BatchEngine::output, this, &frmProcessing::showOutput);
    connect(&m_engine, &BatchEngine::laneRunEnded, this, &frmProcessing::laneRunEnded);
    connect(&m_engine, &BatchEngine::progressed, this, &frmProcessing::showProgress);
    connect(&m_engine, &BatchEngine::rowsChanged, this, &frmProcessing::rowsChanged);
    connect(&m_engine, &BatchEngine::pausedChanged, this, &frmProcessing::showPaused);
    connect(&m_engine, &BatchEngine::ended, this, &frmProcessing::batchEnded);
    isApplicationActive = [] {
        return QApplication::activeWindow() != nullptr;
    };
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &frmProcessing::showTime);
}

frmProcessing::~frmProcessing() {
    // Never leave a batch running behind a destroyed window.
    if (!m_engine.isCleanedUp() && m_loaded)
        cleanUp();
}

pid_t frmProcessing::processGroup() const {
    return m_engine.processGroups().value(0, 0);
}

QList<pid_t> frmProcessing::processGroups() const {
    return m_engine.processGroups();
}

void frmProcessing::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        // After the window is on screen, so a refused start shows over it.
        QTimer::singleShot(0, this, &frmProcessing::Form_Load);
    }
}

void frmProcessing::Form_Load() {
    prgTotal->setRange(0, progress().totalMaximum());
    if (!m_engine.start()) {
        if (m_engine.startStatus() == CMDLauncher::AlreadyRunning)
            prompts().critical(this, JoinLines(BusyMessage()));
        else
            prompts().critical(this, JoinLines({QStringLiteral("An error occured!"),
                                                QStringLiteral("Error Details: ") +
                                                    QString::number(m_engine.startError())}));
        return;
    }
    m_started = true;
    if (const QString &failure = m_engine.recordFailure(); !failure.isEmpty()) {
        lblResumeNote->setText(u"Note: " + failure + u'.');
        lblResumeNote->show();
    }
    cmdPause->setEnabled(true);
    m_launcherEntry = std::make_unique<LauncherEntry>(DesktopFileId);
    m_launcherEntry->setProgress(0.0);
    m_clock.start();
    showTime();
}

void frmProcessing::showOutput(int lane, const QByteArray &chunk) {
    if (m_laneLogs.empty())
        txtLogContents->appendOutput(chunk);
    else
        appendLaneLines(lane, m_laneLogs[std::size_t(lane)].feed(chunk));
}

void frmProcessing::laneRunEnded(int lane) {
    if (!m_laneLogs.empty())
        appendLaneLines(lane, m_laneLogs[std::size_t(lane)].finish());
}

void frmProcessing::cmdPause_Click() {
    if (m_engine.isPaused())
        m_engine.resume();
    else
        m_engine.pause();
}

void frmProcessing::showPaused(bool paused) {
    cmdPause->setText(paused ? ContinueCaption : PauseCaption);
    if (m_launcherEntry)
        m_launcherEntry->setProgress(double(progress().secondsDone()) /
                                     double(progress().secondsTotal()));
    showProgress();
    showTime();
}

void frmProcessing::showProgress() {
    const BatchProgress &batch = progress();
    const bool paused = m_engine.isPaused();
    lblCurrentFile->setText(paused ? QStringLiteral("Paused: ") + batch.currentFileText()
                                   : batch.currentFileText());
    if (lanes) {
        lanes->showProgress(batch);
    } else {
        const ConversionProgress &current = batch.lane(0);
        prgCurrent->setMaximum(current.currentMaximum());
        prgCurrent->setValue(current.currentValue());
        txtStatus->setText(paused ? QStringLiteral("Paused") : current.status());
    }
    prgTotal->setMaximum(batch.totalMaximum());
    prgTotal->setValue(batch.totalValue());
    setWindowTitle(paused ? batch.caption() + QStringLiteral(" Paused") : batch.caption());
    if (m_launcherEntry && !batch.finished())
        m_launcherEntry->setProgress(double(batch.secondsDone()) / double(batch.secondsTotal()));
}

void frmProcessing::showTime() {
    if (!m_started)
        return;
    if (progress().finished() || m_cancelled) {
        m_clock.stop();
        lblTime->setText(
            (m_cancelled ? QStringLiteral("Cancelled after ") : QStringLiteral("Finished in ")) +
            elapsedText(m_engine.elapsedMs()));
        return;
    }
    // "Elapsed 00:01:12 · about 00:03:40 left"; while paused, the clock and
    // the time left stand still.
    QString time = QStringLiteral("Elapsed ") + elapsedText(m_engine.elapsedMs());
    if (const std::optional<qint64> left = m_engine.secondsLeft())
        time += QStringLiteral(" · about ") + FormatDuration(*left) + QStringLiteral(" left");
    lblTime->setText(m_engine.isPaused() ? QStringLiteral("Paused · ") + time : time);
}

void frmProcessing::appendLaneLines(int lane, const QStringList &lines) {
    // The lanes' lines arrive interleaved: each is marked with its lane.
    const QByteArray mark = '[' + QByteArray::number(lane + 1) + "] ";
    for (const QString &line : lines)
        txtLogContents->appendOutput(QByteArray(mark + line.toUtf8() + '\n'));
}

void frmProcessing::batchEnded() {
    header->lblWizardSubText->setText(QStringLiteral("Your video files have been converted..."));
    cmdCancel->setText(CloseCaption);
    cmdPause->setEnabled(false);
    showProgress();
    showTime();
    m_launcherEntry.reset();
    announceEnd();
    if (!m_run.libraryNote.isEmpty()) {
        lblLibraryNote->setText(
            m_run.record ? LibraryNote(m_run.record->ipodMountPoint,
                                       HandOffOutcomeOf(progress(), m_run.record->outputPaths))
                         : m_run.libraryNote);
        lblLibraryNote->show();
    }

    if (!progress().errorMessages().isEmpty()) {
        frmError errors(this);
        errors.txtErrors->setPlainText(PathForDisplay(progress().errorMessages()));
        prompts().exec(&errors);
    }
    if (chkShutdownComputer->isChecked()) {
        frmShutdown countdown(this);
        prompts().exec(&countdown);
    }
}

void frmProcessing::announceEnd() {
    // Only for a user who is looking elsewhere.
    if (isApplicationActive && isApplicationActive())
        return;
    const int converted = progress().filesIn(RowProgress::State::Converted);
    const int failed = progress().filesIn(RowProgress::State::Failed);
    DesktopNotification *notification = DesktopNotification::send(
        BatchEndNotice(converted, failed, progress().rowCount(), m_cancelled), m_run.outputFolder,
        DesktopFileId,
        failed > 0 ? DesktopNotification::Category::TransferError
                   : DesktopNotification::Category::TransferComplete,
        {{QStringLiteral("open-folder"), QStringLiteral("Open Folder")}},
        QDBusConnection::sessionBus(), parent() ? parent() : qApp);
    const QString folder = m_run.outputFolder;
    connect(notification, &DesktopNotification::actionInvoked, notification,
            [folder](const QString &key) {
                if (key == u"open-folder")
                    prompts().openUrl(QUrl::fromLocalFile(folder));
            });
}

void frmProcessing::cmdOpenFolder_Click() {
    prompts().openUrl(QUrl::fromLocalFile(m_run.outputFolder));
}

void frmProcessing::reject() {
    close(); // Esc asks like the close box does
}

// QDialog's own close event would reject(), which closes again here: that
// inner close is refused, and with it the outer one, which would stop a
// logout's closing of every window at this one.
void frmProcessing::closeEvent(QCloseEvent *event) {
    if (m_engine.isCleanedUp()) {
        event->accept();
        done(progress().finished() ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    // While the batch runs, ask first; a logout or kill does not wait for
    // an answer.
    if (cmdCancel->text() == CancelCaption && !TerminationSignals::received()) {
        const bool cancel = prompts().ask(
            this, JoinLines({QStringLiteral("Are you sure you want to cancel?"),
                             QStringLiteral("Video files that have been converted already will "
                                            "not be removed.")}));
        if (!cancel) {
            event->ignore();
            return;
        }
    }
    if (!progress().finished() && !TerminationSignals::received()) {
        // A cancel is the user's decision: nothing to take up again.
        m_cancelled = true;
        m_engine.cancel(false);
        showTime();
    }
    cleanUp();
    event->accept();
    done(progress().finished() ? QDialog::Accepted : QDialog::Rejected);
}

void frmProcessing::cleanUp() {
    m_clock.stop();
    m_launcherEntry.reset();
    const QString &folder = m_run.dataFolder;
    m_engine.cleanUp([this] { setWindowTitle(QStringLiteral("Cleaning up. Please, wait...")); });

    if (!DebugLog::instance().path().isEmpty()) {
        const QString dump = JoinPath(folder, QStringLiteral("Debug2.log"));
        DebugLog::instance().write(QStringLiteral("Dump2 will be saved to: \"") + dump + u"\".");
        QFile file(dump);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((txtLogContents->toPlainText() + u"\r\n").toUtf8());
    }
}
