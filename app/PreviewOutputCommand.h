#pragma once

#include <QObject>

class frmMain;
struct MainWindowParts;
class QTreeWidget;
class QTreeWidgetItem;

// View -> Preview Output: opens the preview of the selected row, or of the
// first row when none is selected. The command is disabled while the list
// is empty.
class PreviewOutputCommand final : public QObject {
    Q_OBJECT
public:
    explicit PreviewOutputCommand(frmMain &main, const MainWindowParts &ui);

    void mnuView_PreviewOutput_Click();

    // The row previewed: the current row when it is selected, else the
    // first selected row, else the first row; nullptr for an empty list.
    static QTreeWidgetItem *PreviewRow(const QTreeWidget *list);

private:
    frmMain &m_main;
    const MainWindowParts &m_ui;
};
