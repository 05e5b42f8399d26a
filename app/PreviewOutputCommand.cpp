#include "app/PreviewOutputCommand.h"

#include "app/ProfileControls.h"
#include "app/convert/ConvertCommand.h"
#include "app/convert/frmPreview.h"
#include "app/filelist/FileListItems.h"
#include "app/frmMain.h"
#include "core/base/Prompts.h"
#include "core/convert/ConvertFiles.h"

#include <QAction>
#include <QTreeWidget>

PreviewOutputCommand::PreviewOutputCommand(frmMain &main, const MainWindowParts &ui)
    : QObject(&main)
    , m_main(main)
    , m_ui(ui) {
    connect(m_ui.mnuView_PreviewOutput, &QAction::triggered, this,
            &PreviewOutputCommand::mnuView_PreviewOutput_Click);
    // Tied to the item and the list's rows alone: while the window is
    // destroyed, the list still reports its rows going after the menus
    // have gone.
    const QAbstractItemModel *rows = m_ui.lvwVideoFiles->model();
    QAction *item = m_ui.mnuView_PreviewOutput;
    const auto updateEnabled = [rows, item] {
        item->setEnabled(rows->rowCount() > 0);
    };
    connect(rows, &QAbstractItemModel::rowsInserted, item, updateEnabled);
    connect(rows, &QAbstractItemModel::rowsRemoved, item, updateEnabled);
    connect(rows, &QAbstractItemModel::modelReset, item, updateEnabled);
    updateEnabled();
}

QTreeWidgetItem *PreviewOutputCommand::PreviewRow(const QTreeWidget *list) {
    if (QTreeWidgetItem *current = CurrentFileListItem(list))
        return current;
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? list->topLevelItem(0) : selected.first();
}

void PreviewOutputCommand::mnuView_PreviewOutput_Click() {
    QTreeWidgetItem *item = PreviewRow(m_ui.lvwVideoFiles);
    if (!item)
        return;
    // The settings the batch would refuse are refused here with its words.
    // With the batch fitted into a size, the clip gets the row's share of
    // it, worked out over the whole list as the batch does.
    const std::optional<QList<RowFit>> rowFits = CheckBatchSettings(m_main, m_ui);
    if (!rowFits)
        return;
    std::optional<RowFit> fit;
    if (!rowFits->isEmpty())
        fit = rowFits->value(m_ui.lvwVideoFiles->indexOfTopLevelItem(item));
    const ConversionSettings settings = m_main.profileControls().CurrentSettings();
    frmPreview preview(settings, ReadBatchCodecData(settings), ReadFileListRow(item), fit, &m_main);
    prompts().exec(&preview);
}
