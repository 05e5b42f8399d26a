#include "convert/frmProcessing.h"

#include "convert/LibraryHandOff.h"

#include "base/DebugLog.h"
#include "base/Prompts.h"
#include "base/Various.h"
#include "convert/BatchCleanup.h"
#include "convert/BatchFiles.h"
#include "convert/BatchLock.h"
#include "convert/CMDLauncher.h"
#include "convert/ConsoleLogView.h"
#include "convert/LaneProgressView.h"
#include "convert/LibraryHandOff.h"
#include "convert/frmError.h"
#include "convert/frmShutdown.h"
#include "platform/DesktopNotification.h"
#include "platform/FileSystem.h"
#include "platform/LauncherEntry.h"
#include "platform/PathBytes.h"
#include "platform/SleepInhibitor.h"
#include "platform/TerminationSignals.h"
#include "widgets/GUIFunctions.h"
#include "widgets/WizardHeader.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString CancelCaption = QStringLiteral("&Cancel");
const QString CloseCaption = QStringLiteral("&Close");
// The desktop file's id, which the desktop knows Mobivert by.
const QString DesktopFileId = QStringLiteral("example.mobivert.Mobivert");

} // namespace

frmProcessing::frmProcessing(const BatchRun &run, QWidget *parent)
    : QDialog(parent)
    , m_run(run)
    , m_progress(BatchFiles::converter(run.dataFolder), BatchFiles::trackDrop(run.dataFolder),
                 run.rows, run.lanes) {
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
    chkShutdownComputer =
        new QCheckBox(QStringLiteral("Automatically shutdown computer when done"), this);
    chkShutdownComputer->setObjectName(QStringLiteral("chkShutdownComputer"));
    cmdOpenFolder = new QPushButton(QStringLiteral("&Open Folder"), this);
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    cmdCancel = new QPushButton(CancelCaption, this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *body = WizardBody(this, header);
    body->addWidget(lblCurrentFile);
    if (m_progress.laneCount() == 1) {
        body->addWidget(prgCurrent);
        body->addWidget(txtStatus);
        resize(640, 520);
    } else {
        // A line per lane takes the place of the current file's bar and status.
        prgCurrent->hide();
        txtStatus->hide();
        lanes = new LaneProgressView(m_progress.laneCount(), this);
        body->addWidget(lanes);
        m_laneLogs.resize(std::size_t(m_progress.laneCount()));
        resize(760, 520 + 30 * (m_progress.laneCount() - 1));
    }
    body->addWidget(prgTotal);
    body->addWidget(lblTime);
    body->addWidget(txtLogContents, 1);
    body->addWidget(lblNote);
    body->addWidget(lblLibraryNote);
    body->addLayout(ButtonRow({cmdOpenFolder, cmdCancel}, chkShutdownComputer));

    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &frmProcessing::cmdOpenFolder_Click);
    isApplicationActive = [] {
        return QApplication::activeWindow() != nullptr;
    };
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &frmProcessing::showTime);
    for (const RowProgress &row : m_progress.rows())
        m_shownStates.append(row.state);
}

frmProcessing::~frmProcessing() {
    // Never leave a batch running behind a destroyed window.
    if (!m_cleanedUp && m_loaded)
        cleanUp();
}

pid_t frmProcessing::processGroup() const {
    const CMDLauncher *first = m_launchers.empty() ? nullptr : m_launchers.front().get();
    return first && first->isRunning() ? first->processGroup() : 0;
}

QList<pid_t> frmProcessing::processGroups() const {
    QList<pid_t> groups;
    for (const std::unique_ptr<CMDLauncher> &launcher : m_launchers) {
        if (launcher && launcher->isRunning())
            groups.append(launcher->processGroup());
    }
    return groups;
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
    prgTotal->setRange(0, m_progress.totalMaximum());
    m_elapsed.start();
    // Every lane starts at once, each with its own batch file.
    for (int lane = 0; lane < m_progress.laneCount(); ++lane) {
        auto launcher = std::make_unique<CMDLauncher>();
        launcher->setBufferSize(8192);
        launcher->setPollInterval(10);
        connect(launcher.get(), &CMDLauncher::DataReceived, this,
                [this, lane](const QByteArray &chunk) { CMDLauncher_DataReceived(lane, chunk); });
        connect(launcher.get(), &CMDLauncher::ProcessEnded, this,
                [this, lane] { CMDLauncher_ProcessEnded(lane); });
        launcher->start(BatchFiles::laneBatch(m_run.dataFolder, lane));
        const CMDLauncher::StartStatus status = launcher->startStatus();
        const int errorCode = launcher->errorCode();
        m_launchers.push_back(std::move(launcher));
        if (status == CMDLauncher::Started)
            continue;
        // A batch that cannot start every lane does not run in part.
        StopBatches(m_launchers);
        if (status == CMDLauncher::AlreadyRunning)
            prompts().critical(this, JoinLines(BusyMessage()));
        else
            prompts().critical(
                this, JoinLines({QStringLiteral("An error occured!"),
                                 QStringLiteral("Error Details: ") + QString::number(errorCode)}));
        return;
    }
    m_noSleep = std::make_unique<SleepInhibitor>(QStringLiteral("Converting video files"));
    m_launcherEntry = std::make_unique<LauncherEntry>(DesktopFileId);
    m_launcherEntry->setProgress(0.0);
    if (m_run.record)
        m_recording = BatchRecordFile::write(m_run.dataFolder, *m_run.record);
    m_clock.start();
    showTime();
}

void frmProcessing::CMDLauncher_DataReceived(int lane, const QByteArray &chunk) {
    if (m_laneLogs.empty())
        txtLogContents->appendOutput(chunk);
    else
        appendLaneLines(lane, m_laneLogs[std::size_t(lane)].feed(chunk));
    m_progress.feed(lane, chunk);
    showProgress();
}

void frmProcessing::showProgress() {
    lblCurrentFile->setText(m_progress.currentFileText());
    if (lanes) {
        lanes->showProgress(m_progress);
    } else {
        const ConversionProgress &current = m_progress.lane(0);
        prgCurrent->setMaximum(current.currentMaximum());
        prgCurrent->setValue(current.currentValue());
        txtStatus->setText(current.status());
    }
    prgTotal->setMaximum(m_progress.totalMaximum());
    prgTotal->setValue(m_progress.totalValue());
    setWindowTitle(m_progress.caption());
    if (m_launcherEntry && !m_progress.finished())
        m_launcherEntry->setProgress(double(m_progress.secondsDone()) /
                                     double(m_progress.secondsTotal()));
    if (m_elapsed.isValid() && !m_progress.finished())
        m_estimate.update(m_elapsed.elapsed(), m_progress.secondsDone(), m_progress.secondsTotal());

    bool moved = false;
    for (int row = 0; row < m_progress.rowCount(); ++row) {
        moved = moved || m_shownStates[row] != m_progress.rows()[row].state;
        m_shownStates[row] = m_progress.rows()[row].state;
    }
    if (moved) {
        writeRecord();
        emit rowsChanged();
    }
}

void frmProcessing::showTime() {
    if (!m_elapsed.isValid())
        return;
    if (m_progress.finished() || m_cancelled) {
        m_clock.stop();
        lblTime->setText(m_cancelled ? TimeLeftEstimate::cancelledText(m_elapsed.elapsed())
                                     : TimeLeftEstimate::finishedText(m_elapsed.elapsed()));
        return;
    }
    m_estimate.update(m_elapsed.elapsed(), m_progress.secondsDone(), m_progress.secondsTotal());
    lblTime->setText(m_estimate.text());
}

void frmProcessing::writeRecord() {
    // Each file that ends is noted at once: a crash loses none of them.
    if (m_recording && !m_progress.finished() && m_run.record->markConverted(m_progress))
        BatchRecordFile::write(m_run.dataFolder, *m_run.record);
}

void frmProcessing::appendLaneLines(int lane, const QStringList &lines) {
    // The lanes' lines arrive interleaved: each is marked with its lane.
    const QByteArray mark = '[' + QByteArray::number(lane + 1) + "] ";
    for (const QString &line : lines)
        txtLogContents->appendOutput(QByteArray(mark + line.toUtf8() + '\n'));
}

void frmProcessing::CMDLauncher_ProcessEnded(int lane) {
    if (!m_laneLogs.empty())
        appendLaneLines(lane, m_laneLogs[std::size_t(lane)].finish());
    m_progress.finishLane(lane);
    showProgress();
    // The end steps, the shutdown countdown among them, follow the last lane.
    if (m_progress.finished())
        batchEnded();
}

void frmProcessing::batchEnded() {
    header->lblWizardSubText->setText(QStringLiteral("Your video files have been converted..."));
    cmdCancel->setText(CloseCaption);
    m_noSleep.reset();
    // A batch that has ended is not taken up again, unless hand-offs of its
    // files failed: the next start offers to try those again.
    if (m_recording)
        m_run.record->markConverted(m_progress);
    if (m_recording && !m_run.record->handOffsLeft().isEmpty())
        BatchRecordFile::write(m_run.dataFolder, *m_run.record);
    else if (m_recording)
        BatchRecordFile::remove(m_run.dataFolder);
    m_recording = false;
    showTime();
    m_launcherEntry.reset();
    announceEnd();
    if (!m_run.libraryNote.isEmpty()) {
        lblLibraryNote->setText(
            m_run.record ? LibraryNote(m_run.record->ipodMountPoint,
                                       HandOffOutcomeOf(m_progress, m_run.record->outputPaths))
                         : m_run.libraryNote);
        lblLibraryNote->show();
    }

    if (!m_progress.errorMessages().isEmpty()) {
        frmError errors(this);
        errors.txtErrors->setPlainText(PathForDisplay(m_progress.errorMessages()));
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
    const int converted = m_progress.filesIn(RowProgress::State::Converted);
    const int failed = m_progress.filesIn(RowProgress::State::Failed);
    DesktopNotification *notification = DesktopNotification::send(
        BatchEndNotice(converted, failed, m_progress.rowCount(), m_cancelled), m_run.outputFolder,
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

void frmProcessing::closeEvent(QCloseEvent *event) {
    if (m_cleanedUp) {
        QDialog::closeEvent(event);
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
    if (!m_progress.finished() && !TerminationSignals::received()) {
        // A cancel is the user's decision: nothing to take up again.
        m_cancelled = true;
        m_progress.cancel();
        emit rowsChanged();
        showTime();
        if (m_recording)
            BatchRecordFile::remove(m_run.dataFolder);
        m_recording = false;
    }
    cleanUp();
    QDialog::closeEvent(event);
    done(m_progress.finished() ? QDialog::Accepted : QDialog::Rejected);
}

void frmProcessing::cleanUp() {
    m_cleanedUp = true;
    m_clock.stop();
    m_launcherEntry.reset();
    const QString &folder = m_run.dataFolder;
    StopBatches(m_launchers);
    m_noSleep.reset();
    RemoveWorkingFiles(folder,
                       [this] { setWindowTitle(QStringLiteral("Cleaning up. Please, wait...")); });

    if (!DebugLog::instance().path().isEmpty()) {
        const QString dump = JoinPath(folder, QStringLiteral("Debug2.log"));
        DebugLog::instance().write(QStringLiteral("Dump2 will be saved to: \"") + dump + u"\".");
        QFile file(dump);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((txtLogContents->toPlainText() + u"\r\n").toUtf8());
    }
}
