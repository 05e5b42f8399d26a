#include "app/SettingsArea.h"

#include "app/AudioSettingsPanel.h"
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QLabel *makeSeparator(QWidget *parent, const char16_t *name) {
    auto *separator = new QLabel(QStringLiteral("|"), parent);
    separator->setObjectName(QString::fromUtf16(name));
    separator->setFont(VerdanaFont(9.75, true));
    SetTextColour(separator, Qt::black);
    return separator;
}

ClickableLabel *makeTab(QWidget *parent, const char16_t *name, const char16_t *caption) {
    auto *tab = new ClickableLabel(QString::fromUtf16(caption), parent);
    tab->setObjectName(QString::fromUtf16(name));
    tab->setFont(VerdanaFont(9.75, true));
    StyleAsLink(tab);
    tab->setFocusPolicy(Qt::TabFocus);
    return tab;
}

} // namespace

SettingsArea::SettingsArea(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("settingsArea"));

    lblSeperator1 = makeSeparator(this, u"lblSeperator1");
    lblOutputDirectorySettings = makeTab(this, u"lblOutputDirectorySettings", u"Output Directory");
    lblSeperator2 = makeSeparator(this, u"lblSeperator2");
    lblAudioSettings = makeTab(this, u"lblAudioSettings", u"Audio");
    lblSeperator3 = makeSeparator(this, u"lblSeperator3");
    lblVideoSettings = makeTab(this, u"lblVideoSettings", u"Video");
    lblSeperator4 = makeSeparator(this, u"lblSeperator4");

    auto *strip = new QHBoxLayout;
    strip->setSpacing(8);
    QWidget *const items[] = {
        lblSeperator1, lblOutputDirectorySettings, lblSeperator2, lblAudioSettings,
        lblSeperator3, lblVideoSettings,           lblSeperator4};
    for (QWidget *item : items)
        strip->addWidget(item);
    strip->addStretch(1);

    // The panels share one cell of a grid, so they lie on top of each other.
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("SettingsFrame"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto *stack = new QGridLayout(frame);
    stack->setContentsMargins(0, 0, 0, 0);
    frmOutputDirectorySettings = new OutputDirectoryPanel(frame);
    frmAudioSettings = new AudioSettingsPanel(frame);
    frmVideoSettings = new VideoSettingsPanel(frame);
    stack->addWidget(frmOutputDirectorySettings, 0, 0);
    stack->addWidget(frmAudioSettings, 0, 0);
    stack->addWidget(frmVideoSettings, 0, 0);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addLayout(strip);
    column->addWidget(frame, 1);

    connect(lblOutputDirectorySettings, &ClickableLabel::clicked, this,
            [this] { showPanel(Panel::OutputDirectory); });
    connect(lblAudioSettings, &ClickableLabel::clicked, this, [this] { showPanel(Panel::Audio); });
    connect(lblVideoSettings, &ClickableLabel::clicked, this, [this] { showPanel(Panel::Video); });

    showPanel(Panel::OutputDirectory);
}

void SettingsArea::attachViewItems(QAction *outputDirectory, QAction *audio, QAction *video) {
    m_viewItems[0] = outputDirectory;
    m_viewItems[1] = audio;
    m_viewItems[2] = video;
    const Panel panels[] = {Panel::OutputDirectory, Panel::Audio, Panel::Video};
    for (int i = 0; i < 3; ++i) {
        m_viewItems[i]->setCheckable(true);
        const Panel panel = panels[i];
        connect(m_viewItems[i], &QAction::triggered, this, [this, panel] { showPanel(panel); });
    }
    showPanel(m_visible);
}

void SettingsArea::showPanel(Panel panel) {
    m_visible = panel;
    QWidget *const panels[] = {frmOutputDirectorySettings, frmAudioSettings, frmVideoSettings};
    ClickableLabel *const tabs[] = {lblOutputDirectorySettings, lblAudioSettings, lblVideoSettings};
    const int shown = static_cast<int>(panel);
    for (int i = 0; i < 3; ++i) {
        panels[i]->setVisible(i == shown);
        SetTextColour(tabs[i], i == shown ? DarkGrey : LinkBlue);
        if (m_viewItems[i])
            m_viewItems[i]->setChecked(i == shown);
    }
}
