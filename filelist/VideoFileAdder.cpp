#include "filelist/VideoFileAdder.h"

#include "app/MainStatusBar.h"
#include "app/frmMain.h"
#include "base/Prompts.h"
#include "filelist/AddFilesDialog.h"
#include "filelist/FileListItems.h"
#include "filelist/VideoFileInfo.h"
#include "settings/SettingsFile.h"
#include "widgets/ClickableLabel.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QProgressBar>
#include <QTreeWidget>
#include <QUrl>

VideoFileAdder::VideoFileAdder(frmMain &main)
    : QObject(&main)
    , m_main(main) {
    connect(m_main.CancelLabel, &ClickableLabel::clicked, this, &VideoFileAdder::CancelLabel_Click);
}

void VideoFileAdder::AddVideoFiles() {
    const QString initialFolder = SettingsFile::readAddFilesFolder(m_main.ApplicationSettingsPath);
    const QStringList selection = prompts().openFiles(&m_main, AddFilesDialog::title(),
                                                      initialFolder, AddFilesDialog::filter());
    if (selection.isEmpty())
        return;

    const QString folder = AddFilesDialog::rememberedFolder(selection);
    if (folder != initialFolder)
        SettingsFile::writeAddFilesFolder(m_main.ApplicationSettingsPath, folder);

    CancelAddingFiles = false;
    if (selection.size() == 1) {
        // A single file is added without letting events run, so it cannot
        // be cancelled.
        addOneFile(selection.constFirst());
        return;
    }
    const int count = int(selection.size());
    for (int i = 1; i <= count; ++i) {
        if (!addFileOfMany(selection.at(i - 1), i, count))
            break;
    }
}

void VideoFileAdder::lvwVideoFiles_OLEDragDrop(const QMimeData *data) {
    AddDroppedFiles(DroppedFiles(data));
}

void VideoFileAdder::AddDroppedFiles(const QStringList &files) {
    const int count = int(files.size());
    for (int i = 1; i <= count; ++i) {
        CancelAddingFiles = false;
        if (!addFileOfMany(files.at(i - 1), i, count))
            break;
    }
}

QStringList VideoFileAdder::DroppedFiles(const QMimeData *data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.append(url.toLocalFile());
    }
    return files;
}

void VideoFileAdder::appendAndRead(const QString &path) {
    // The row is appended and read without events running in between, so
    // the last row is always the one just appended.
    QTreeWidgetItem *item = AppendFileListRow(m_main.lvwVideoFiles);
    item->setText(ColumnFilepath, path);
    int row = 0;
    ReadVideoFileInfo(row);
}

void VideoFileAdder::addOneFile(const QString &path) {
    showProgress(QStringLiteral("Adding File..."), 1, true);
    appendAndRead(path);
    hideProgress();
}

bool VideoFileAdder::addFileOfMany(const QString &path, int number, int count) {
    showProgress(QStringLiteral("Adding Files..."), count, number == 1);
    appendAndRead(path);

    m_main.AddFilesProgressBar->setValue(number);
    // The one place where the window answers while files are added; a click
    // on "(Cancel)" is handled here.
    QCoreApplication::processEvents();
    if (m_main.AddFilesProgressBar->value() == m_main.AddFilesProgressBar->maximum())
        hideProgress();
    return !CancelAddingFiles;
}

void VideoFileAdder::ReadVideoFileInfo(int &Row) {
    QTreeWidget *list = m_main.lvwVideoFiles;
    if (Row == 0)
        Row = list->topLevelItemCount();
    QTreeWidgetItem *item = FileListItem(list, Row);
    if (!item)
        return;
    const VideoFileInfo info = ExamineVideoFile(item->text(ColumnFilepath));
    item->setText(ColumnFilename, info.Filename);
    item->setText(ColumnCodec, info.Codec);
    item->setText(ColumnDuration, info.Duration);
    item->setText(ColumnVideoSize, info.VideoSize);
}

void VideoFileAdder::CancelLabel_Click() {
    CancelAddingFiles = true;
    hideProgress();
}

void VideoFileAdder::showProgress(const QString &text, int maximum, bool first) {
    m_main.StatusBar->setPanelText(2, text);
    m_main.CancelOverlay->show();
    m_main.AddFilesProgressBar->setRange(0, maximum);
    m_main.AddFilesProgressBar->show();
    if (first)
        m_main.AddFilesProgressBar->setValue(1);
}

void VideoFileAdder::hideProgress() {
    m_main.StatusBar->setPanelText(2, QString());
    m_main.CancelOverlay->hide();
    m_main.AddFilesProgressBar->hide();
}
