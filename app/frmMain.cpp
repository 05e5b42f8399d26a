#include "app/frmMain.h"

#include "app/AudioSettingsPanel.h"
#include "app/DeviceStrip.h"
#include "app/FileListController.h"
#include "app/HelpLinks.h"
#include "app/InterruptedBatch.h"
#include "app/MainStatusBar.h"
#include "app/MemoryStickOption.h"
#include "app/OutputDirectoryPanel.h"
#include "app/PreviewOutputCommand.h"
#include "app/ProfileControls.h"
#include "app/SaveLoadSettings.h"
#include "app/SettingsArea.h"
#include "app/VideoSettingsPanel.h"
#include "app/convert/ConvertCommand.h"
#include "app/frmAbout.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "core/base/DebugLog.h"
#include "core/base/GetShellFolder.h"
#include "core/base/Prompts.h"
#include "core/base/Various.h"
#include "core/filelist/FileListRow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

ClickableLabel *makeImageButton(QWidget *parent, const char16_t *name, const char16_t *image,
                                const char16_t *tooltip) {
    auto *button = new ClickableLabel(parent);
    button->setObjectName(QString::fromUtf16(name));
    button->setPixmap(MobivertImage(QString::fromUtf16(image), QSize(32, 32)));
    button->setToolTip(QString::fromUtf16(tooltip));
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(button->toolTip());
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// The controls of a panel that Tab stops at, in the panel's own order; the
// parts of a composite control (an editable box's text) go with it.
QList<QWidget *> tabStops(QWidget *panel) {
    QList<QWidget *> stops;
    for (QWidget *next = panel->nextInFocusChain(); panel->isAncestorOf(next);
         next = next->nextInFocusChain()) {
        const bool partOfAStop = std::any_of(
            stops.begin(), stops.end(), [next](QWidget *stop) { return stop->isAncestorOf(next); });
        if ((next->focusPolicy() & Qt::TabFocus) && !partOfAStop)
            stops.append(next);
    }
    return stops;
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Mobivert"));
    setFont(VerdanaFont());

    buildMenus(menuBar(), this);

    picLeftMenu = new DeviceStrip(this);
    settingsArea = new SettingsArea(this);
    frmOutputDirectorySettings = settingsArea->frmOutputDirectorySettings;
    frmAudioSettings = settingsArea->frmAudioSettings;
    frmVideoSettings = settingsArea->frmVideoSettings;
    settingsArea->attachViewItems(mnuView_OutputDirectory, mnuView_AudioSettings,
                                  mnuView_VideoSettings);

    auto *outputSettingsHeading = new QWidget(this);
    auto *headingRow = new QHBoxLayout(outputSettingsHeading);
    headingRow->setContentsMargins(0, 6, 0, 0);
    lblOutputSettings = new QLabel(QStringLiteral("Output Settings"), outputSettingsHeading);
    lblOutputSettings->setObjectName(QStringLiteral("lblOutputSettings"));
    lblOutputSettings->setFont(VerdanaFont(9.75, true));
    headingRow->addWidget(lblOutputSettings);

    auto *work = new QWidget(this);
    work->setObjectName(QStringLiteral("WorkArea"));
    auto *column = new QVBoxLayout(work);
    column->setContentsMargins(12, 10, 12, 6);
    column->setSpacing(6);
    column->addWidget(buildHeader());
    column->addWidget(buildFileArea(), 3);
    column->addWidget(outputSettingsHeading);
    column->addWidget(settingsArea, 2);

    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(picLeftMenu);
    row->addWidget(work, 1);
    setCentralWidget(central);

    buildStatusBar();
    connectFrameHandlers();

    m_profiles = new ProfileControls(*this, *this);
    m_fileList = new FileListController(*this, *this);
    m_convert = new ConvertCommand(*this, *this);
    m_memoryStick = new MemoryStickOption(*this, *this);
    m_preview = new PreviewOutputCommand(*this, *this);
    setFocusChain();

    resize(StartingWindowSize(QSize(820, 640), minimumSizeHint(),
                              screen()->availableGeometry().size()));
}

void frmMain::setFocusChain() {
    // As the window reads, top to bottom: the device, its profile, the
    // files, where to and how, and Convert last.
    QList<QWidget *> chain{picLeftMenu->lbliPodClickArea,
                           picLeftMenu->lblZuneClickArea,
                           picLeftMenu->lblPSPClickArea,
                           picLeftMenu->lblMobilePhoneClickArea,
                           cmbProfiles,
                           imgHelp,
                           lvwVideoFiles,
                           imgAddVideos,
                           imgRemoveItems,
                           settingsArea->lblOutputDirectorySettings,
                           settingsArea->lblAudioSettings,
                           settingsArea->lblVideoSettings};
    for (QWidget *panel :
         {static_cast<QWidget *>(frmOutputDirectorySettings),
          static_cast<QWidget *>(frmAudioSettings), static_cast<QWidget *>(frmVideoSettings)})
        chain += tabStops(panel);
    chain.append(imgConvert);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

frmMain::~frmMain() = default;

QWidget *frmMain::buildHeader() {
    auto *header = new QWidget(this);
    auto *grid = new QGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);

    lblSelectedDevice = new QLabel(QStringLiteral("$selected_device$"), header);
    lblSelectedDevice->setObjectName(QStringLiteral("lblSelectedDevice"));
    lblSelectedDevice->setFont(VerdanaFont(9.75, true));
    grid->addWidget(lblSelectedDevice, 0, 0, 1, 3);

    lblChooseProfile = new QLabel(QStringLiteral("Choose Profile:"), header);
    lblChooseProfile->setObjectName(QStringLiteral("lblChooseProfile"));
    cmbProfiles = new QComboBox(header);
    cmbProfiles->setObjectName(QStringLiteral("cmbProfiles"));
    cmbProfiles->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmbProfiles->setMinimumWidth(260);
    lblChooseProfile->setBuddy(cmbProfiles);
    imgHelp = makeImageButton(header, u"imgHelp", u"help", u"Help about profiles");
    imgHelp->setPixmap(MobivertImage(QStringLiteral("help"), QSize(20, 20)));

    grid->addWidget(lblChooseProfile, 1, 0);
    grid->addWidget(cmbProfiles, 1, 1);
    grid->addWidget(imgHelp, 1, 2);
    grid->setColumnStretch(3, 1);
    return header;
}

QWidget *frmMain::buildFileArea() {
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);

    lvwVideoFiles = new QTreeWidget(area);
    lvwVideoFiles->setObjectName(QStringLiteral("lvwVideoFiles"));
    lvwVideoFiles->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Codec"),
                                    QStringLiteral("Duration"), QStringLiteral("Video Size"),
                                    QStringLiteral("Begin Time"), QStringLiteral("End Time"),
                                    QStringLiteral("Filepath"), QStringLiteral("Status")});
    lvwVideoFiles->setRootIsDecorated(false);
    lvwVideoFiles->setUniformRowHeights(true);
    lvwVideoFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwVideoFiles->setSortingEnabled(false);
    lvwVideoFiles->setAllColumnsShowFocus(true);
    const int widths[] = {140, 96, 96, 96};
    for (int column = 0; column < 4; ++column)
        lvwVideoFiles->setColumnWidth(column, widths[column]);
    // Begin Time, End Time and Filepath stay out of sight. They get width 0
    // first: a hidden section keeps its default width in the header's length,
    // which would give the list a needless horizontal scroll bar.
    for (int column = 4; column < 7; ++column) {
        lvwVideoFiles->setColumnWidth(column, 0);
        lvwVideoFiles->setColumnHidden(column, true);
    }
    // Each row's outcome in the last batch, after the hidden columns (sized
    // once they are hidden, so the header's length stays exact).
    // As wide as the window's width allows without a scroll bar; a longer
    // status ("Copied (already suits the device)") is whole in its tip.
    lvwVideoFiles->setColumnWidth(ColumnStatus, 170);
    lvwVideoFiles->header()->setStretchLastSection(false);
    row->addWidget(lvwVideoFiles, 1);

    auto *buttons = new QVBoxLayout;
    imgAddVideos = makeImageButton(area, u"imgAddVideos", u"add", u"Add Video File(s)");
    imgRemoveItems = makeImageButton(area, u"imgRemoveItems", u"remove",
                                     u"Remove Selected Item(s) - Right click for more options");
    imgConvert = makeImageButton(area, u"imgConvert", u"convert", u"Convert your video files");
    buttons->addWidget(imgAddVideos);
    buttons->addWidget(imgRemoveItems);
    buttons->addStretch(1);
    buttons->addWidget(imgConvert);
    row->addLayout(buttons);
    return area;
}

void frmMain::buildStatusBar() {
    StatusBar = new MainStatusBar(this);
    setStatusBar(StatusBar);

    AddFilesProgressBar = new QProgressBar(this);
    AddFilesProgressBar->setObjectName(QStringLiteral("AddFilesProgressBar"));
    AddFilesProgressBar->setTextVisible(false);
    AddFilesProgressBar->setMaximumHeight(16);
    AddFilesProgressBar->hide();

    CancelOverlay = new QWidget(this);
    CancelOverlay->setObjectName(QStringLiteral("CancelOverlay"));
    auto *overlayRow = new QHBoxLayout(CancelOverlay);
    overlayRow->setContentsMargins(0, 0, 0, 0);
    CancelLabel = new ClickableLabel(QStringLiteral("(Cancel)"), CancelOverlay);
    CancelLabel->setObjectName(QStringLiteral("CancelLabel"));
    CancelLabel->setToolTip(QStringLiteral("Cancel Operation"));
    StyleAsLink(CancelLabel);
    overlayRow->addWidget(CancelLabel);
    CancelOverlay->hide();
}

void frmMain::connectFrameHandlers() {
    connect(mnuFile_Exit, &QAction::triggered, this, &frmMain::mnuFile_Exit_Click);
    connect(frmOutputDirectorySettings->cmdChooseOutputDirectory, &QPushButton::clicked, this,
            &frmMain::cmdChooseOutputDirectory_Click);
    connect(frmOutputDirectorySettings->lblPSPHint, &ClickableLabel::clicked, this,
            &frmMain::lblPSPHint_Click);
    connect(StatusBar, &MainStatusBar::PanelDblClick, this, &frmMain::StatusBar_PanelDblClick);
    connect(mnuHelp_About, &QAction::triggered, this, [this] { frmAbout::showModal(this); });
    connect(mnuHelp_HelpManual, &QAction::triggered, this, [this] { OpenHelpManual(this); });
}

QString frmMain::lookUpDataFolder() {
    const ShellFolderResult result = LookUpShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE);
    const QString message = ShellFolderMessage(result.status);
    if (!message.isEmpty())
        prompts().critical(this, message);
    return result.path;
}

void frmMain::Form_Load(const QString &argumentText) {
    // The data folder is looked up twice, as creating it and storing it are
    // separate steps; a failing lookup therefore reports twice.
    QString dataFolder = lookUpDataFolder() + DataFolderSuffix;
    CreateFolderPath(dataFolder);
    ApplicationSettingsPath = lookUpDataFolder() + DataFolderSuffix;

    if (argumentText == u"/debug") {
        const QDateTime now = QDateTime::currentDateTime();
        DebugLog::instance().start(ApplicationSettingsPath + u'/' + DebugLog::fileNameFor(now));
        DebugLog::instance().write(QStringLiteral("LogFile created on: ") +
                                   QLocale::system().toString(now, QLocale::ShortFormat));
        prompts().information(this, QStringLiteral("Mobivert is now running in Debug Mode."));
    }

    picLeftMenu->paintGradient(GradientTop, GradientBottom);
    StatusBar->inlayOverFirstPanel(AddFilesProgressBar);
    StatusBar->inlayIntoSecondPanel(CancelOverlay);
    LoadSettings(*this, ApplicationSettingsPath);
    SwitchDevice(QStringLiteral("iPod"));
}

void frmMain::closeEvent(QCloseEvent *event) {
    SaveSettings(*this, ApplicationSettingsPath);
    QMainWindow::closeEvent(event);
}

void frmMain::mnuFile_Exit_Click() {
    // Ends the application at once, as the close box would but without the
    // other windows' unload steps; the user's choices are kept all the same.
    SaveSettings(*this, ApplicationSettingsPath);
    QCoreApplication::exit(0);
}

void frmMain::cmdChooseOutputDirectory_Click() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString folder =
        prompts().chooseFolder(this, QStringLiteral("Choose Output Directory"), desktop);
    if (folder.isEmpty())
        return;
    frmOutputDirectorySettings->txtOutputDirectory->setText(folder);
    frmOutputDirectorySettings->txtOutputDirectory->setFocus();
}

void frmMain::lblPSPHint_Click() {
    // MPEG-4 video belongs in 100MNV01 and H.264 video in 100ANV01 on the
    // PSP's memory stick.
    prompts().information(
        this,
        JoinLines({QStringLiteral("If you convert your video files to MPEG4 or XVID, you must "
                                  "save your converted video files in the following folder:"),
                   QStringLiteral("MP_ROOT\\100MNV01"), QString(),
                   QStringLiteral("If you convert your video files to H264, you must save your "
                                  "converted video files in the following folder:"),
                   QStringLiteral("MP_ROOT\\100ANV01")}),
        QStringLiteral("Where do I need to save my PSP video files?"));
}

void frmMain::StatusBar_PanelDblClick(int panel) {
    if (panel == 1)
        frmAbout::showModal(this);
}

void frmMain::SwitchDevice(const QString &DeviceName) {
    m_profiles->SwitchDevice(DeviceName);
}

void frmMain::LoadProfile(qint16 ListIndex) {
    m_profiles->LoadProfile(ListIndex);
}

void frmMain::OfferInterruptedBatch() {
    ::OfferInterruptedBatch(*this, *this);
}
