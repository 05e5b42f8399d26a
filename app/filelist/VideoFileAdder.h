#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
struct VideoFileInfo;

// Adding files to the list: through the file-open dialog or by dropping them
// on the list. Every file in which the media library finds video or sound
// becomes a row filled from the library; the others are named in one message
// once the add ends. While several files are added, they are read on worker
// threads, the progress is reported for a display with a "(Cancel)" link, and
// window events run while the next row is awaited and once after each row.
class VideoFileAdder final : public QObject {
    Q_OBJECT
public:
    // Adds rows to `list` and asks its questions over `window`.
    VideoFileAdder(QTreeWidget &list, QWidget &window);

    // Shows the file-open dialog, opened in the folder that the settings file
    // remembers, and adds every chosen file.
    void AddVideoFiles(const QString &settingsPath);
    // Adds files dropped on the list or named on the command line.
    void AddDroppedFiles(const QStringList &files);
    // The local files that dropped data carries, in their order: entries are
    // not filtered by kind (folders too); other addresses and text are not
    // files and are left out.
    static QStringList DroppedFiles(const QMimeData *data);
    // The message naming the files that were not added.
    static QString NoVideoMessage(const QStringList &files);
    // The message naming the paths that are no files to read a video from,
    // each with what it is ("<path>: is a folder, not a video file").
    static QString RefusedPathsMessage(const QStringList &refusals);

    // Fills the Filename, Codec, Duration and Video Size of the row at the
    // given 1-based position from the file named by its Filepath. Position 0
    // means the last row and is replaced by the row count.
    void ReadVideoFileInfo(int &Row);

    // The click on "(Cancel)": asks the running add to stop after the file
    // in progress and hides the progress display at once.
    void CancelLabel_Click();

    // Set by "(Cancel)"; cleared when an add begins. The add loops test it
    // after each file.
    bool CancelAddingFiles = false;

signals:
    // The progress display: shown with a text and a bar out of `maximum`.
    void progressShown(const QString &text, int maximum);
    void progressMoved(int done);
    void progressHidden();

private:
    void addOneFile(const QString &path);
    // Several files, read ahead on worker threads. The drop clears the
    // cancel request before each file, the dialog once before all of them.
    void addManyFiles(const QStringList &chosen, bool clearCancelEachFile);
    // One step of the several-files loop: appends the row of a file already
    // read, or notes it in `notAdded`; false when the loop must stop.
    bool addFileOfMany(const QString &path, const VideoFileInfo &info, int number, int count,
                       QStringList &notAdded);
    // Appends a filled row for the file, when it holds video or sound.
    bool appendRow(const QString &path, const VideoFileInfo &info);
    static void fillRow(QTreeWidgetItem *item, const VideoFileInfo &info);
    // Takes out of `files` the paths that are no readable regular files
    // (folders, FIFOs, devices, unreadable or missing files), before any
    // reader opens them, and returns them with what they are.
    static QStringList takeRefusedPaths(QStringList &files);
    void reportNotAdded(const QStringList &notAdded, const QStringList &refusals = {});
    void showProgress(const QString &text, int maximum, bool first);

    QTreeWidget &m_list;
    QWidget &m_window;
};
