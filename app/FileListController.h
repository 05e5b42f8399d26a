#pragma once

#include <QObject>

class frmMain;
struct MainWindowParts;
class QTreeWidgetItem;
class VideoFileAdder;

// The file list's behaviour: adding files with their media information
// (VideoFileAdder, its progress shown in the status bar), the list commands,
// the two popup menus of the list area and the trim command.
class FileListController final : public QObject {
    Q_OBJECT
public:
    explicit FileListController(frmMain &main, const MainWindowParts &ui);

    VideoFileAdder &adder() const { return *m_adder; }

    void imgAddVideos_Click();
    // Removes every selected row, without a question.
    void RemoveSelectedItems();
    // Asks, then removes every row on Yes.
    void ClearList();
    // Removes the rows the last batch converted, so that Convert retries
    // the rest.
    void RemoveConvertedFiles();
    void mnuEdit_TrimVideoFile_Click();
    void mnuView_OpenVideoFile_Click();
    void mnuView_FileProperties_Click();

    // The popup menus: right button on the remove image opens "Remove Items"
    // below the image; right button on the list opens "Edit" at the pointer.
    void imgRemoveItems_MouseDown(Qt::MouseButton button);
    void lvwVideoFiles_MouseDown(Qt::MouseButton button, const QPoint &globalPosition);

protected:
    // The list's viewport: right-button presses and dropped files.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectCommands();

    frmMain &m_main;
    const MainWindowParts &m_ui;
    VideoFileAdder *m_adder = nullptr;
    // The watched viewport, kept here because the filter still sees events
    // while the main window's children are destroyed, when m_main may no
    // longer be touched.
    const QObject *m_viewport = nullptr;
};
