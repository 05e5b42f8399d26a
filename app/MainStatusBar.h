#pragma once

#include <QStatusBar>

class QLabel;
class QStackedLayout;
class QHBoxLayout;

// The main window's status bar: two panels. The first shows the version;
// the second shows progress text while files are added. The file-adding
// progress bar and the "(Cancel)" box are inlaid over them while the main
// window loads.
class MainStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget *parent = nullptr);

    // Panels are numbered from 1.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    QLabel *panel(int panel) const;

    // Puts the progress bar over the first panel, covering it while shown.
    void inlayOverFirstPanel(QWidget *widget);
    // Puts a box into the second panel, to the right of its text.
    void inlayIntoSecondPanel(QWidget *widget);

signals:
    void PanelDblClick(int panel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_panels[2] = {};
    QStackedLayout *m_firstPanelStack = nullptr;
    QHBoxLayout *m_secondPanelRow = nullptr;
};
