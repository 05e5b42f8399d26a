#pragma once

#include <QWidget>

class AudioSettingsPanel;
class ClickableLabel;
class OutputDirectoryPanel;
class QAction;
class QLabel;
class VideoSettingsPanel;

// The settings area: a tab strip of three link-like labels over three
// panels that lie on top of each other; exactly one panel is visible. The
// View menu's three items follow the visible panel.
class SettingsArea final : public QWidget {
    Q_OBJECT
public:
    enum class Panel { OutputDirectory, Audio, Video };

    explicit SettingsArea(QWidget *parent = nullptr);

    // The View items that are checked for the visible panel and switch it.
    void attachViewItems(QAction *outputDirectory, QAction *audio, QAction *video);
    void showPanel(Panel panel);
    Panel visiblePanel() const { return m_visible; }

    QLabel *lblSeperator1 = nullptr, *lblSeperator2 = nullptr, *lblSeperator3 = nullptr,
           *lblSeperator4 = nullptr;
    ClickableLabel *lblOutputDirectorySettings = nullptr;
    ClickableLabel *lblAudioSettings = nullptr;
    ClickableLabel *lblVideoSettings = nullptr;

    OutputDirectoryPanel *frmOutputDirectorySettings = nullptr;
    AudioSettingsPanel *frmAudioSettings = nullptr;
    VideoSettingsPanel *frmVideoSettings = nullptr;

private:
    QAction *m_viewItems[3] = {};
    Panel m_visible = Panel::OutputDirectory;
};
