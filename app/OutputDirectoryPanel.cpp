#include "app/OutputDirectoryPanel.h"

#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "core/convert/FilesAtOnce.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

OutputDirectoryPanel::OutputDirectoryPanel(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmOutputDirectorySettings"));

    lblChooseOutputDirectory = new QLabel(
        QStringLiteral("Where would you like to save your converted video files?"), this);
    lblChooseOutputDirectory->setObjectName(QStringLiteral("lblChooseOutputDirectory"));
    lblChooseOutputDirectory->setFont(VerdanaFont(9.75));

    txtOutputDirectory = new QLineEdit(this);
    txtOutputDirectory->setObjectName(QStringLiteral("txtOutputDirectory"));

    cmdChooseOutputDirectory = new QPushButton(QStringLiteral("..."), this);
    cmdChooseOutputDirectory->setObjectName(QStringLiteral("cmdChooseOutputDirectory"));
    cmdChooseOutputDirectory->setFixedWidth(36);
    cmdChooseOutputDirectory->setToolTip(QStringLiteral("Choose Output Directory"));

    chkPSPMemoryStick = new QCheckBox(this);
    chkPSPMemoryStick->setObjectName(QStringLiteral("chkPSPMemoryStick"));
    chkPSPMemoryStick->hide();

    chkAddToiTunes = new QCheckBox(QStringLiteral("Add files directly to iTunes"), this);
    chkAddToiTunes->setObjectName(QStringLiteral("chkAddToiTunes"));

    lblPSPHint =
        new ClickableLabel(QStringLiteral("Where do I need to save my PSP video files?"), this);
    lblPSPHint->setObjectName(QStringLiteral("lblPSPHint"));
    StyleAsLink(lblPSPHint);
    lblPSPHint->setFocusPolicy(Qt::TabFocus);

    chkPSPCreateThumbnail = new QCheckBox(QStringLiteral("Create thumbnails"), this);
    chkPSPCreateThumbnail->setObjectName(QStringLiteral("chkPSPCreateThumbnail"));

    lblPSPVideoNumber = new QLabel(QStringLiteral("Start Video Number:"), this);
    lblPSPVideoNumber->setObjectName(QStringLiteral("lblPSPVideoNumber"));

    txtPSPVideoNumber = new QLineEdit(QStringLiteral("1"), this);
    txtPSPVideoNumber->setObjectName(QStringLiteral("txtPSPVideoNumber"));
    txtPSPVideoNumber->setFixedWidth(70);

    lblFilesAtOnce = new QLabel(QStringLiteral("Files at once:"), this);
    lblFilesAtOnce->setObjectName(QStringLiteral("lblFilesAtOnce"));
    cmbFilesAtOnce = new QComboBox(this);
    cmbFilesAtOnce->setObjectName(QStringLiteral("cmbFilesAtOnce"));
    cmbFilesAtOnce->addItems(FilesAtOnce::Items());
    cmbFilesAtOnce->setToolTip(QStringLiteral(
        "How many files are converted side by side. Automatic keeps every core busy."));
    SetFilesAtOnceChoice(FilesAtOnce::Automatic);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->addWidget(lblChooseOutputDirectory, 0, 0, 1, 4);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(txtOutputDirectory, 1);
    folderRow->addWidget(cmdChooseOutputDirectory);
    grid->addLayout(folderRow, 1, 0, 1, 4);
    grid->addWidget(chkPSPMemoryStick, 2, 0, 1, 4);
    grid->addWidget(chkAddToiTunes, 3, 0, 1, 4);
    grid->addWidget(lblPSPHint, 4, 0, 1, 4);
    grid->addWidget(chkPSPCreateThumbnail, 5, 0);
    grid->addWidget(lblPSPVideoNumber, 5, 1, Qt::AlignRight);
    grid->addWidget(txtPSPVideoNumber, 5, 2);
    auto *filesRow = new QHBoxLayout;
    filesRow->addWidget(lblFilesAtOnce);
    filesRow->addWidget(cmbFilesAtOnce);
    filesRow->addStretch(1);
    grid->addLayout(filesRow, 6, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(7, 1);
}

int OutputDirectoryPanel::FilesAtOnceChoice() const {
    return FilesAtOnce::Parse(cmbFilesAtOnce->currentText()).value_or(1);
}

void OutputDirectoryPanel::SetFilesAtOnceChoice(int choice) {
    const int index = cmbFilesAtOnce->findText(FilesAtOnce::Text(choice));
    cmbFilesAtOnce->setCurrentIndex(index >= 0 ? index
                                               : cmbFilesAtOnce->findText(QStringLiteral("1")));
}
