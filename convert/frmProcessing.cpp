#include "convert/frmProcessing.h"

#include "base/DebugLog.h"
#include "base/Prompts.h"
#include "base/Various.h"
#include "convert/BatchCleanup.h"
#include "convert/BatchFiles.h"
#include "convert/BatchLock.h"
#include "convert/CMDLauncher.h"
#include "convert/ConsoleLogView.h"
#include "convert/frmError.h"
#include "convert/frmShutdown.h"
#include "platform/FileSystem.h"
#include "platform/SleepInhibitor.h"
#include "platform/TerminationSignals.h"
#include "widgets/GUIFunctions.h"
#include "widgets/WizardHeader.h"

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

} // namespace

frmProcessing::frmProcessing(const BatchRun &run, QWidget *parent)
    : QDialog(parent)
    , m_run(run)
    , m_progress(BatchFiles::converter(run.dataFolder), BatchFiles::trackDrop(run.dataFolder),
                 run.rows) {
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
    body->addWidget(prgCurrent);
    body->addWidget(txtStatus);
    body->addWidget(prgTotal);
    body->addWidget(txtLogContents, 1);
    body->addWidget(lblNote);
    body->addWidget(lblLibraryNote);
    body->addLayout(ButtonRow({cmdOpenFolder, cmdCancel}, chkShutdownComputer));
    resize(640, 520);

    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &frmProcessing::cmdOpenFolder_Click);
}

frmProcessing::~frmProcessing() {
    // Never leave a batch running behind a destroyed window.
    if (!m_cleanedUp && m_loaded)
        cleanUp();
}

pid_t frmProcessing::processGroup() const {
    return m_launcher && m_launcher->isRunning() ? m_launcher->processGroup() : 0;
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
    m_launcher = std::make_unique<CMDLauncher>();
    m_launcher->setBufferSize(8192);
    m_launcher->setPollInterval(10);
    connect(m_launcher.get(), &CMDLauncher::DataReceived, this,
            &frmProcessing::CMDLauncher_DataReceived);
    connect(m_launcher.get(), &CMDLauncher::ProcessEnded, this,
            &frmProcessing::CMDLauncher_ProcessEnded);

    m_launcher->start(BatchFiles::batch(m_run.dataFolder));
    switch (m_launcher->startStatus()) {
    case CMDLauncher::AlreadyRunning:
        prompts().critical(this, JoinLines(BusyMessage()));
        return;
    case CMDLauncher::StartFailed:
        prompts().critical(this, JoinLines({QStringLiteral("An error occured!"),
                                            QStringLiteral("Error Details: ") +
                                                QString::number(m_launcher->errorCode())}));
        return;
    case CMDLauncher::Started:
        break;
    }
    m_noSleep = std::make_unique<SleepInhibitor>(QStringLiteral("Converting video files"));
}

void frmProcessing::CMDLauncher_DataReceived(const QByteArray &chunk) {
    txtLogContents->appendOutput(chunk);
    m_progress.feed(chunk);
    showProgress();
}

void frmProcessing::showProgress() {
    lblCurrentFile->setText(m_progress.currentFileText());
    prgCurrent->setMaximum(m_progress.currentMaximum());
    prgCurrent->setValue(m_progress.currentValue());
    prgTotal->setValue(m_progress.totalValue());
    txtStatus->setText(m_progress.status());
    setWindowTitle(m_progress.caption());
}

void frmProcessing::CMDLauncher_ProcessEnded() {
    m_progress.finish();
    showProgress();
    header->lblWizardSubText->setText(QStringLiteral("Your video files have been converted..."));
    cmdCancel->setText(CloseCaption);
    m_noSleep.reset();
    if (!m_run.libraryNote.isEmpty()) {
        lblLibraryNote->setText(m_run.libraryNote);
        lblLibraryNote->show();
    }

    if (!m_progress.errorMessages().isEmpty()) {
        frmError errors(this);
        errors.txtErrors->setPlainText(m_progress.errorMessages());
        prompts().exec(&errors);
    }
    if (chkShutdownComputer->isChecked()) {
        frmShutdown countdown(this);
        prompts().exec(&countdown);
    }
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
    cleanUp();
    QDialog::closeEvent(event);
    done(m_progress.finished() ? QDialog::Accepted : QDialog::Rejected);
}

void frmProcessing::cleanUp() {
    m_cleanedUp = true;
    const QString &folder = m_run.dataFolder;
    StopBatch(m_launcher);
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
