#include "app/filelist/VideoFileAdder.h"

#include "app/filelist/FileListItems.h"
#include "core/base/Prompts.h"
#include "core/filelist/AddFilesDialog.h"
#include "core/filelist/TrimTimes.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/filelist/VideoFileReader.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PathBytes.h"
#include "core/platform/ProcessorCores.h"
#include "core/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QTreeWidget>

VideoFileAdder::VideoFileAdder(QTreeWidget &list, QWidget &window)
    : QObject(&window)
    , m_list(list)
    , m_window(window) {}

void VideoFileAdder::AddVideoFiles(const QString &settingsPath) {
    const QString initialFolder = SettingsFile::readAddFilesFolder(settingsPath);
    const QStringList selection = prompts().openFiles(&m_window, AddFilesDialog::title(),
                                                      initialFolder, AddFilesDialog::filter());
    if (selection.isEmpty())
        return;

    const QString folder = AddFilesDialog::rememberedFolder(selection);
    if (folder != initialFolder)
        SettingsFile::writeAddFilesFolder(settingsPath, folder);

    CancelAddingFiles = false;
    if (selection.size() == 1) {
        // A single file is added without letting events run, so it cannot
        // be cancelled.
        addOneFile(selection.constFirst());
        return;
    }
    addManyFiles(selection, false);
}

void VideoFileAdder::AddDroppedFiles(const QStringList &files) {
    addManyFiles(files, true);
}

QStringList VideoFileAdder::DroppedFiles(const QMimeData *data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    // Each name read from the URL's own bytes: one that is no UTF-8 keeps them.
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (const QString file = PathFromFileUrl(url.toEncoded()); !file.isEmpty())
            files.append(file);
    }
    return files;
}

QString VideoFileAdder::NoVideoMessage(const QStringList &files) {
    QStringList lines{
        files.size() == 1
            ? QStringLiteral("This file was not added, because it holds no video:")
            : QStringLiteral("These files were not added, because they hold no video:")};
    lines.append(files);
    return PathForDisplay(JoinLines(lines));
}

QString VideoFileAdder::RefusedPathsMessage(const QStringList &refusals) {
    QStringList lines{
        refusals.size() == 1
            ? QStringLiteral("This was not added, because it is no video file:")
            : QStringLiteral("These were not added, because they are no video files:")};
    lines.append(refusals);
    return PathForDisplay(JoinLines(lines));
}

QStringList VideoFileAdder::takeRefusedPaths(QStringList &files) {
    QStringList refusals;
    QStringList kept;
    for (const QString &file : std::as_const(files)) {
        const QString problem = SourceFileProblem(file);
        if (problem.isEmpty())
            kept.append(file);
        else
            refusals.append(file + QStringLiteral(": ") + problem);
    }
    files = kept;
    return refusals;
}

bool VideoFileAdder::appendRow(const QString &path, const VideoFileInfo &info) {
    if (!info.HoldsVideoOrAudio)
        return false;
    // Appended and filled without events running in between.
    QTreeWidgetItem *item = AppendFileListRow(&m_list);
    item->setText(ColumnFilepath, path);
    fillRow(item, info);
    return true;
}

void VideoFileAdder::addOneFile(const QString &path) {
    QStringList files{path};
    if (const QStringList refusals = takeRefusedPaths(files); !refusals.isEmpty()) {
        reportNotAdded({}, refusals);
        return;
    }
    showProgress(QStringLiteral("Adding File..."), 1, true);
    const bool added = appendRow(path, ExamineVideoFile(path));
    emit progressHidden();
    if (!added)
        reportNotAdded({path});
}

void VideoFileAdder::addManyFiles(const QStringList &chosen, bool clearCancelEachFile) {
    QStringList files = chosen;
    const QStringList refusals = takeRefusedPaths(files);
    if (files.isEmpty()) {
        reportNotAdded({}, refusals);
        return;
    }
    // The files are read on as many threads as there are cores, ahead of
    // the rows; the rows are appended one by one in the order of the files.
    // A cancel takes effect after the row in progress: files read ahead of
    // it are not listed, and the reader waits for those still being read.
    QStringList notAdded;
    {
        VideoFileReader reader(files, AvailableCores());
        const int count = int(files.size());
        for (int i = 1; i <= count; ++i) {
            if (clearCancelEachFile)
                CancelAddingFiles = false;
            showProgress(QStringLiteral("Adding Files..."), count, i == 1);
            const std::optional<VideoFileInfo> info = reader.waitFor(i - 1);
            if (!info || !addFileOfMany(files.at(i - 1), *info, i, count, notAdded))
                break;
        }
    }
    reportNotAdded(notAdded, refusals);
}

bool VideoFileAdder::addFileOfMany(const QString &path, const VideoFileInfo &info, int number,
                                   int count, QStringList &notAdded) {
    if (!appendRow(path, info))
        notAdded.append(path);

    emit progressMoved(number);
    // The window answers here, and while the next row is awaited; a click on
    // "(Cancel)" is handled in either place.
    QCoreApplication::processEvents();
    if (number == count)
        emit progressHidden();
    return !CancelAddingFiles;
}

void VideoFileAdder::ReadVideoFileInfo(int &Row) {
    if (Row == 0)
        Row = m_list.topLevelItemCount();
    QTreeWidgetItem *item = FileListItem(&m_list, Row);
    if (!item)
        return;
    fillRow(item, ExamineVideoFile(item->text(ColumnFilepath)));
}

void VideoFileAdder::fillRow(QTreeWidgetItem *item, const VideoFileInfo &info) {
    SetFilenameCell(item, info.Filename);
    item->setText(ColumnCodec, info.Codec);
    item->setText(ColumnDuration, FormatTrimTime(info.Duration));
    item->setText(ColumnVideoSize, FrameSizeText(info.VideoSize));
}

void VideoFileAdder::reportNotAdded(const QStringList &notAdded, const QStringList &refusals) {
    QStringList parts;
    if (!refusals.isEmpty())
        parts.append(RefusedPathsMessage(refusals));
    if (!notAdded.isEmpty())
        parts.append(NoVideoMessage(notAdded));
    if (!parts.isEmpty())
        prompts().exclamation(&m_window, parts.join(JoinLines({QString(), QString(), QString()})));
}

void VideoFileAdder::CancelLabel_Click() {
    CancelAddingFiles = true;
    emit progressHidden();
}

void VideoFileAdder::showProgress(const QString &text, int maximum, bool first) {
    emit progressShown(text, maximum);
    if (first)
        emit progressMoved(1);
}
