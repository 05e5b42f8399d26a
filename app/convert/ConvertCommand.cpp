#include "app/convert/ConvertCommand.h"

#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/convert/frmProcessing.h"
#include "app/filelist/FileListItems.h"
#include "app/frmMain.h"
#include "app/widgets/ClickableLabel.h"
#include "core/base/Prompts.h"
#include "core/convert/BatchStart.h"
#include "core/convert/FitPlanning.h"
#include "core/convert/VideoLimits.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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

} // namespace

std::optional<QList<RowFit>> CheckBatchSettings(frmMain &main, const MainWindowParts &ui) {
    const VideoSettingsPanel *video = ui.frmVideoSettings;
    const ConversionSettings settings = main.profileControls().CurrentSettings();
    if (const std::optional<QString> refusal = CheckVideoLimits(
            settings, itemsOf(video->cmbVideoSize), itemsOf(video->cmbVideoBitrate))) {
        prompts().exclamation(&main, *refusal);
        return std::nullopt;
    }
    if (!video->chkVideoFitBatch->isChecked() || !CanFit(settings))
        return QList<RowFit>();
    const FitOutcome outcome =
        PlanFit(settings, itemsOf(video->cmbVideoBitrate), ReadFileListRows(ui.lvwVideoFiles),
                qint64(video->txtVideoFitBatchSize->value()) * 1000000);
    if (!outcome.refusal.isEmpty()) {
        prompts().exclamation(&main, JoinLines(outcome.refusal));
        return std::nullopt;
    }
    return outcome.rows;
}

ConvertCommand::ConvertCommand(frmMain &main, const MainWindowParts &ui)
    : QObject(&main)
    , m_main(main)
    , m_ui(ui) {
    connect(m_ui.imgConvert, &ClickableLabel::clicked, this, &ConvertCommand::imgConvert_Click);
    connect(m_ui.mnuFile_Convert, &QAction::triggered, this, &ConvertCommand::imgConvert_Click);
}

void ConvertCommand::imgConvert_Click() {
    if (m_ui.lvwVideoFiles->topLevelItemCount() == 0) {
        prompts().exclamation(&m_main,
                              QStringLiteral("Please, add one or more files to your list first."));
        return;
    }

    // A batch that cannot fit is refused before anything is written.
    const std::optional<QList<RowFit>> fit = CheckBatchSettings(m_main, m_ui);
    if (!fit)
        return;
    ConvertAll(*fit);
}

std::optional<QString> ConvertCommand::chooseIpod(const QStringList &ipods) {
    // The wait is for the checks; the user is asked with the usual cursor.
    QApplication::restoreOverrideCursor();
    const int chosen = prompts().choose(
        &m_main,
        QStringLiteral(
            "Several iPods are connected. Which one should the converted files be added to?"),
        ipods);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (chosen < 0 || chosen >= ipods.size())
        return std::nullopt;
    return ipods[chosen];
}

void ConvertCommand::ConvertAll(const QList<RowFit> &fit) {
    const OutputDirectoryPanel *output = m_ui.frmOutputDirectorySettings;
    BatchStart::Request request;
    request.settings = m_main.profileControls().CurrentSettings();
    request.profile = m_ui.cmbProfiles->currentText();
    request.rows = ReadFileListRows(m_ui.lvwVideoFiles);
    request.options.dataFolder = m_main.ApplicationSettingsPath;
    request.options.outputFolder = output->txtOutputDirectory->text();
    request.options.addToLibrary = output->chkAddToiTunes->isChecked();
    request.options.createThumbnails = output->chkPSPCreateThumbnail->isChecked();
    request.options.pspStartNumber = output->txtPSPVideoNumber->text();
    request.options.fit = fit;
    request.filesAtOnce = output->FilesAtOnceChoice();
    request.fitBytes = qint64(m_ui.frmVideoSettings->txtVideoFitBatchSize->value()) * 1000000;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Holds the data folder's batch lock until the conversion window has closed.
    const BatchStart start(request, [this](const QStringList &ipods) { return chooseIpod(ipods); });
    QApplication::restoreOverrideCursor();
    if (const std::optional<BatchStart::Refusal> &refusal = start.refusal()) {
        if (refusal->lines.isEmpty())
            return;
        if (refusal->critical)
            prompts().critical(&m_main, JoinLines(refusal->lines));
        else
            prompts().exclamation(&m_main, JoinLines(refusal->lines));
        return;
    }

    frmProcessing window(start.run(), &m_main);
    // Each row's outcome shows in the list as the batch goes on.
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_ui.lvwVideoFiles->topLevelItemCount(); ++i)
        items.append(m_ui.lvwVideoFiles->topLevelItem(i));
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
