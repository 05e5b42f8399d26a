#include "convert/ConvertCommand.h"

#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "base/Prompts.h"
#include "convert/BatchCleanup.h"
#include "convert/BatchFiles.h"
#include "convert/BatchLock.h"
#include "convert/ConvertFiles.h"
#include "convert/FilesAtOnce.h"
#include "convert/FitPlanning.h"
#include "convert/FolderSpace.h"
#include "convert/LibraryHandOff.h"
#include "convert/OutputFolder.h"
#include "convert/VideoLimits.h"
#include "convert/frmProcessing.h"
#include "filelist/FileListItems.h"
#include "platform/ProcessorCores.h"
#include "profiles/ProfileControls.h"
#include "widgets/ClickableLabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLockFile>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

QStringList itemsOf(const QComboBox *box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// What the user is told when a batch cannot be prepared for the reason
// given (a full disk, a file that could not be written); without a reason,
// that the data folder cannot be used.
QString preparationRefusal(const QString &problem, const QString &dataFolder) {
    if (problem.isEmpty())
        return JoinLines(DataFolderMessage(dataFolder));
    return JoinLines(
        {QStringLiteral("Unable to convert:"), problem.left(1).toUpper() + problem.mid(1) + u'.'});
}

} // namespace

std::optional<QList<RowFit>> CheckBatchSettings(frmMain &main) {
    const VideoSettingsPanel *video = main.frmVideoSettings;
    const ConversionSettings settings = main.profileControls().CurrentSettings();
    if (const std::optional<QString> refusal = CheckVideoLimits(
            settings, itemsOf(video->cmbVideoSize), itemsOf(video->cmbVideoBitrate))) {
        prompts().exclamation(&main, *refusal);
        return std::nullopt;
    }
    if (!video->chkVideoFitBatch->isChecked() || !CanFit(settings))
        return QList<RowFit>();
    const FitOutcome outcome =
        PlanFit(settings, itemsOf(video->cmbVideoBitrate), ReadFileListRows(main.lvwVideoFiles),
                qint64(video->txtVideoFitBatchSize->value()) * 1000000);
    if (!outcome.refusal.isEmpty()) {
        prompts().exclamation(&main, JoinLines(outcome.refusal));
        return std::nullopt;
    }
    return outcome.rows;
}

ConvertCommand::ConvertCommand(frmMain &main)
    : QObject(&main)
    , m_main(main) {
    connect(m_main.imgConvert, &ClickableLabel::clicked, this, &ConvertCommand::imgConvert_Click);
    connect(m_main.mnuFile_Convert, &QAction::triggered, this, &ConvertCommand::imgConvert_Click);
}

void ConvertCommand::imgConvert_Click() {
    if (m_main.lvwVideoFiles->topLevelItemCount() == 0) {
        prompts().exclamation(&m_main,
                              QStringLiteral("Please, add one or more files to your list first."));
        return;
    }

    // A batch that cannot fit is refused before anything is written.
    const std::optional<QList<RowFit>> fit = CheckBatchSettings(m_main);
    if (!fit)
        return;

    const std::optional<OutputFolderRefusal> folderRefusal =
        PrepareOutputFolder(m_main.frmOutputDirectorySettings->txtOutputDirectory->text());
    if (folderRefusal) {
        const QString text = JoinLines(folderRefusal->lines);
        if (folderRefusal->critical)
            prompts().critical(&m_main, text);
        else
            prompts().exclamation(&m_main, text);
        return;
    }

    ConvertAll(*fit);
}

std::optional<QString> ConvertCommand::chooseIpod() {
    const QStringList ipods = ConnectedIpods();
    if (ipods.isEmpty())
        return QString();
    QString ipod = ipods.first();
    if (ipods.size() > 1) {
        const int chosen = prompts().choose(
            &m_main,
            QStringLiteral(
                "Several iPods are connected. Which one should the converted files be added to?"),
            ipods);
        if (chosen < 0 || chosen >= ipods.size())
            return std::nullopt;
        ipod = ipods[chosen];
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> refusal = CheckIpod(ipod);
    QApplication::restoreOverrideCursor();
    if (refusal) {
        QString reason = *refusal;
        reason[0] = reason[0].toUpper();
        prompts().critical(
            &m_main,
            JoinLines({reason + u'.', QStringLiteral("Uncheck \"Add files directly to iTunes\" "
                                                     "to convert the files without adding them "
                                                     "to the iPod.")}));
        return std::nullopt;
    }
    return ipod;
}

void ConvertCommand::refuseDataFolder() {
    prompts().critical(&m_main, JoinLines(DataFolderMessage(m_main.ApplicationSettingsPath)));
}

void ConvertCommand::ConvertAll(const QList<RowFit> &fit) {
    // One batch at a time per data folder, also across copies of Mobivert:
    // the working files of a running batch are never touched.
    QLockFile lock(BatchFiles::lock(m_main.ApplicationSettingsPath));
    switch (TakeBatchLock(lock)) {
    case BatchLockRefusal::None:
        break;
    case BatchLockRefusal::Busy:
        prompts().critical(&m_main, JoinLines(BusyMessage()));
        return;
    case BatchLockRefusal::DataFolderUnusable:
        refuseDataFolder();
        return;
    }

    const OutputDirectoryPanel *output = m_main.frmOutputDirectorySettings;
    BatchOptions options;
    options.dataFolder = m_main.ApplicationSettingsPath;
    options.outputFolder = output->txtOutputDirectory->text();
    options.addToLibrary = output->chkAddToiTunes->isChecked();
    options.createThumbnails = output->chkPSPCreateThumbnail->isChecked();
    options.pspStartNumber = output->txtPSPVideoNumber->text();
    options.fit = fit;

    const ConversionSettings settings = m_main.profileControls().CurrentSettings();
    // A full disk is told before anything is written or converted.
    if (const std::optional<QString> full = BatchSpaceRefusal(
            options.dataFolder, options.outputFolder, UsesTwoPasses(settings) || !fit.isEmpty())) {
        prompts().critical(&m_main, preparationRefusal(*full, options.dataFolder));
        return;
    }
    QString libraryNote;
    if (AddsToLibrary(settings, options)) {
        const std::optional<QString> ipod = chooseIpod();
        if (!ipod)
            return;
        options.ipodMountPoint = *ipod;
        libraryNote = LibraryNote(*ipod);
    }

    const QList<FileListRow> rows = ReadFileListRows(m_main.lvwVideoFiles);
    options.lanes =
        FilesAtOnce::LanesFor(output->FilesAtOnceChoice(), settings, rows.size(), AvailableCores());
    QString failure;
    const BatchPlan plan = PrepareBatch(settings, rows, options, &failure);
    // A batch file that could not be written would run nothing and end as
    // if all went well.
    if (!plan.written) {
        RemoveWorkingFiles(options.dataFolder);
        prompts().critical(&m_main, preparationRefusal(failure, options.dataFolder));
        return;
    }
    BatchRecord record;
    record.settings = settings;
    record.profile = m_main.cmbProfiles->currentText();
    record.outputFolder = options.outputFolder;
    record.addToLibrary = options.addToLibrary;
    record.ipodMountPoint = options.ipodMountPoint;
    record.createThumbnails = options.createThumbnails;
    record.pspStartNumber = options.pspStartNumber;
    record.filesAtOnce = output->FilesAtOnceChoice();
    if (!fit.isEmpty())
        record.fitBytes = qint64(m_main.frmVideoSettings->txtVideoFitBatchSize->value()) * 1000000;
    record.rows = rows;
    record.outputPaths = plan.outputPaths;
    record.converted.fill(false, rows.size());

    frmProcessing window({options.dataFolder, options.outputFolder, plan.rows, plan.lanes,
                          libraryNote, record, plan.lines, plan.lineRows},
                         &m_main);
    // Each row's outcome shows in the list as the batch goes on.
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_main.lvwVideoFiles->topLevelItemCount(); ++i)
        items.append(m_main.lvwVideoFiles->topLevelItem(i));
    const auto showStates = [&] {
        const BatchProgress &progress = window.progress();
        for (int row = 0; row < progress.rowCount() && row < items.size(); ++row) {
            QStringList errors = progress.rowErrors(row);
            errors.removeDuplicates();
            const RowProgress &state = progress.rows()[row];
            // A copy's tip gives the whole status, which the cell may cut.
            if (errors.isEmpty() && state.copied)
                errors.append(RowStatusText(state) +
                              (state.copyNote.isEmpty() ? QString() : u"; " + state.copyNote));
            SetFileListStatus(items[row], RowStatusText(state), errors.join(u'\n'));
        }
    };
    showStates();
    connect(&window, &frmProcessing::rowsChanged, this, showStates);
    prompts().exec(&window);
    showStates();
}
