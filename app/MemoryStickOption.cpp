#include "app/MemoryStickOption.h"

#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "core/convert/DeviceVolumes.h"
#include "core/platform/Mounts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {
constexpr int PollIntervalMs = 2000;
} // namespace

MemoryStickOption::MemoryStickOption(frmMain &main, const MainWindowParts &ui)
    : QObject(&main)
    , m_main(main)
    , m_ui(ui) {
    m_poll.setInterval(PollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &MemoryStickOption::Refresh);
    connect(&m_main.profileControls(), &ProfileControls::DeviceSwitched, this,
            &MemoryStickOption::deviceSwitched);
    const OutputDirectoryPanel *output = m_ui.frmOutputDirectorySettings;
    connect(output->chkPSPMemoryStick, &QCheckBox::toggled, this,
            &MemoryStickOption::chkPSPMemoryStick_Click);
    connect(output->txtOutputDirectory, &QLineEdit::textChanged, this,
            &MemoryStickOption::outputFolderChanged);
    connect(m_ui.frmVideoSettings->cmbVideoCodec, &QComboBox::currentIndexChanged, this, [this] {
        if (m_ui.frmOutputDirectorySettings->chkPSPMemoryStick->isChecked())
            showFolder();
    });
}

void MemoryStickOption::deviceSwitched(const QString &DeviceName) {
    if (DeviceName == u"PSP")
        m_poll.start();
    else
        m_poll.stop();
    Refresh();
}

void MemoryStickOption::Refresh() {
    QCheckBox *option = m_ui.frmOutputDirectorySettings->chkPSPMemoryStick;
    const QStringList sticks =
        m_main.SelectedDevice == u"PSP" ? MemoryStickMountPoints(ReadMounts()) : QStringList();
    // The stick chosen stays chosen while it is mounted.
    const QString mountPoint =
        sticks.contains(m_mountPoint) && option->isChecked() ? m_mountPoint : sticks.value(0);
    if (mountPoint.isEmpty()) {
        option->setChecked(false);
        option->hide();
        m_mountPoint.clear();
        return;
    }
    const bool moved = mountPoint != m_mountPoint;
    m_mountPoint = mountPoint;
    option->setText(QStringLiteral("Save to the PSP Memory Stick (%1)").arg(mountPoint));
    option->show();
    if (moved && option->isChecked())
        showFolder();
}

void MemoryStickOption::chkPSPMemoryStick_Click(bool checked) {
    QLineEdit *folder = m_ui.frmOutputDirectorySettings->txtOutputDirectory;
    if (checked) {
        m_folderBefore = folder->text();
        showFolder();
    } else if (folder->text() == m_folderShown) {
        folder->setText(m_folderBefore);
    }
}

void MemoryStickOption::showFolder() {
    m_folderShown =
        PspVideoFolder(m_mountPoint, m_ui.frmVideoSettings->cmbVideoCodec->currentIndex());
    m_ui.frmOutputDirectorySettings->txtOutputDirectory->setText(m_folderShown);
}

void MemoryStickOption::outputFolderChanged(const QString &text) {
    QCheckBox *option = m_ui.frmOutputDirectorySettings->chkPSPMemoryStick;
    if (option->isChecked() && text != m_folderShown)
        option->setChecked(false);
}
