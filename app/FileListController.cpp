#include "app/FileListController.h"

#include "app/MainStatusBar.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/filelist/frmFileProperties.h"
#include "app/filelist/frmTrimVideo.h"
#include "app/frmMain.h"
#include "app/widgets/ClickableLabel.h"
#include "core/base/Prompts.h"
#include "core/platform/PathBytes.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

namespace {

const QString SelectFileFirst = QStringLiteral("Please, select a file first!");

} // namespace

FileListController::FileListController(frmMain &main, const MainWindowParts &ui)
    : QObject(&main)
    , m_main(main)
    , m_ui(ui)
    , m_adder(new VideoFileAdder(*ui.lvwVideoFiles, main)) {
    QWidget *viewport = m_ui.lvwVideoFiles->viewport();
    m_ui.lvwVideoFiles->setAcceptDrops(true);
    viewport->setAcceptDrops(true);
    m_viewport = viewport;
    viewport->installEventFilter(this);
    KeepNamesApart(m_ui.lvwVideoFiles);
    connectCommands();
}

void FileListController::connectCommands() {
    // The add's progress, shown in the status bar with its "(Cancel)" link.
    QProgressBar *bar = m_ui.AddFilesProgressBar;
    connect(m_adder, &VideoFileAdder::progressShown, this,
            [this, bar](const QString &text, int maximum) {
                m_ui.StatusBar->setPanelText(2, text);
                m_ui.CancelOverlay->show();
                bar->setRange(0, maximum);
                bar->show();
            });
    connect(m_adder, &VideoFileAdder::progressMoved, bar, &QProgressBar::setValue);
    connect(m_adder, &VideoFileAdder::progressHidden, this, [this, bar] {
        m_ui.StatusBar->setPanelText(2, QString());
        m_ui.CancelOverlay->hide();
        bar->hide();
    });
    connect(m_ui.CancelLabel, &ClickableLabel::clicked, m_adder,
            &VideoFileAdder::CancelLabel_Click);

    connect(m_ui.imgAddVideos, &ClickableLabel::clicked, this,
            &FileListController::imgAddVideos_Click);
    connect(m_ui.mnuFile_AddVideos, &QAction::triggered, this,
            &FileListController::imgAddVideos_Click);
    connect(m_ui.imgRemoveItems, &ClickableLabel::clicked, this,
            &FileListController::RemoveSelectedItems);
    connect(m_ui.imgRemoveItems, &ClickableLabel::mousePressed, this,
            [this](Qt::MouseButton button) { imgRemoveItems_MouseDown(button); });
    connect(m_ui.mnuRemoveItems_RemoveSelectedItems, &QAction::triggered, this,
            &FileListController::RemoveSelectedItems);
    connect(m_ui.mnuRemoveItems_ClearList, &QAction::triggered, this,
            &FileListController::ClearList);
    connect(m_ui.mnuRemoveItems_RemoveConvertedFiles, &QAction::triggered, this,
            &FileListController::RemoveConvertedFiles);
    connect(m_ui.mnuEdit_TrimVideoFile, &QAction::triggered, this,
            &FileListController::mnuEdit_TrimVideoFile_Click);
    connect(m_ui.mnuView_OpenVideoFile, &QAction::triggered, this,
            &FileListController::mnuView_OpenVideoFile_Click);
    connect(m_ui.mnuView_FileProperties, &QAction::triggered, this,
            &FileListController::mnuView_FileProperties_Click);
}

void FileListController::imgAddVideos_Click() {
    m_adder->AddVideoFiles(m_main.ApplicationSettingsPath);
}

void FileListController::RemoveSelectedItems() {
    // From the last row up, so the rows not yet visited keep their place.
    QTreeWidget *list = m_ui.lvwVideoFiles;
    for (int position = list->topLevelItemCount(); position >= 1; --position) {
        QTreeWidgetItem *item = FileListItem(list, position);
        if (item && item->isSelected())
            delete item;
    }
}

void FileListController::ClearList() {
    if (prompts().ask(&m_main, QStringLiteral("Are you sure you would like to clear your list?")))
        m_ui.lvwVideoFiles->clear();
}

void FileListController::RemoveConvertedFiles() {
    QTreeWidget *list = m_ui.lvwVideoFiles;
    for (int position = list->topLevelItemCount(); position >= 1; --position) {
        QTreeWidgetItem *item = FileListItem(list, position);
        if (item && (item->text(ColumnStatus) == ConvertedStatus ||
                     item->text(ColumnStatus) == CopiedStatus))
            delete item;
    }
}

void FileListController::mnuEdit_TrimVideoFile_Click() {
    QTreeWidget *list = m_ui.lvwVideoFiles;
    if (!CurrentFileListItem(list)) {
        prompts().exclamation(
            &m_main, QStringLiteral("Please, select a video file you would like to trim first."));
        return;
    }
    int selected = 0;
    for (int position = 1; position <= list->topLevelItemCount(); ++position) {
        if (FileListItem(list, position)->isSelected())
            ++selected;
    }
    if (selected >= 2) {
        prompts().exclamation(
            &m_main,
            JoinLines({QStringLiteral("You cannot trim multiple video files at once."),
                       QStringLiteral("Please, make sure that you have selected only 1 video "
                                      "file.")}));
        return;
    }
    frmTrimVideo trim(list, &m_main);
    prompts().exec(&trim);
}

void FileListController::mnuView_OpenVideoFile_Click() {
    const QTreeWidgetItem *item = CurrentFileListItem(m_ui.lvwVideoFiles);
    if (!item) {
        prompts().information(&m_main, SelectFileFirst);
        return;
    }
    // Whether the desktop could open it is not examined.
    prompts().openUrl(FileUrlOf(item->text(ColumnFilepath)));
}

void FileListController::mnuView_FileProperties_Click() {
    QTreeWidgetItem *item = CurrentFileListItem(m_ui.lvwVideoFiles);
    if (!item) {
        prompts().information(&m_main, SelectFileFirst);
        return;
    }
    if (ShowFileProperties(item, &m_main) <= 32)
        prompts().critical(&m_main, QStringLiteral("Unable to show File Properties!"));
}

void FileListController::imgRemoveItems_MouseDown(Qt::MouseButton button) {
    if (button != Qt::RightButton)
        return;
    const ClickableLabel *image = m_ui.imgRemoveItems;
    m_ui.mnuEdit_RemoveItems->popup(image->mapToGlobal(QPoint(0, image->height())));
}

void FileListController::lvwVideoFiles_MouseDown(Qt::MouseButton button,
                                                 const QPoint &globalPosition) {
    if (button != Qt::RightButton)
        return;
    // The list's popup is the Edit menu with Preview Output below it, for
    // as long as it is open.
    QMenu *edit = m_ui.mnuEdit;
    QAction *separator = edit->addSeparator();
    edit->addAction(m_ui.mnuView_PreviewOutput);
    connect(
        edit, &QMenu::aboutToHide, this,
        [edit, separator, preview = m_ui.mnuView_PreviewOutput] {
            // After the chosen item has been triggered.
            QTimer::singleShot(0, edit, [edit, separator, preview] {
                edit->removeAction(preview);
                delete separator;
            });
        },
        Qt::SingleShotConnection);
    edit->popup(globalPosition);
}

bool FileListController::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_viewport)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *press = static_cast<QMouseEvent *>(event);
        lvwVideoFiles_MouseDown(press->button(), press->globalPosition().toPoint());
        break; // the list still handles the press (a right press selects the row)
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!VideoFileAdder::DroppedFiles(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = VideoFileAdder::DroppedFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The files are added once the drop has completed, so the program
        // they were dragged from is not kept waiting while they are read.
        QTimer::singleShot(0, m_adder, [adder = m_adder, files] { adder->AddDroppedFiles(files); });
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
