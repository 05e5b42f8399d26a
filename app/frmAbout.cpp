#include "app/frmAbout.h"

#include "app/HelpLinks.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/base/Prompts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Mobivert"));
    setFont(VerdanaFont());

    header = new WizardHeader(QStringLiteral("About Mobivert"),
                              QStringLiteral("View program and version information..."), this);

    lblProgramText = new QLabel(QStringLiteral("Mobivert v1.1"), this);
    lblProgramText->setObjectName(QStringLiteral("lblProgramText"));
    lblProgramText->setFont(VerdanaFont(9.75, true));
    SetTextColour(lblProgramText, QColor(128, 0, 0));

    lblProgramSubText = new QLabel(QStringLiteral("...Make your video files mobile!"), this);
    lblProgramSubText->setObjectName(QStringLiteral("lblProgramSubText"));

    frmHelp = new QGroupBox(QStringLiteral("Help"), this);
    frmHelp->setObjectName(QStringLiteral("frmHelp"));
    lblManual = new QLabel(QStringLiteral("Manual:"), frmHelp);
    lblManual->setObjectName(QStringLiteral("lblManual"));
    lblManualValue = new ClickableLabel(QStringLiteral("Mobivert manual (F1)"), frmHelp);
    lblManualValue->setObjectName(QStringLiteral("lblManualValue"));
    lblManualValue->setToolTip(HelpManualUrl().toLocalFile());
    StyleAsLink(lblManualValue);

    auto *help = new QGridLayout(frmHelp);
    help->addWidget(lblManual, 0, 0);
    help->addWidget(lblManualValue, 0, 1);
    help->setColumnStretch(1, 1);

    cmdCredits = new QPushButton(QStringLiteral("&Credits"), this);
    cmdCredits->setObjectName(QStringLiteral("cmdCredits"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);

    auto *body = WizardBody(this, header);
    body->addWidget(lblProgramText);
    body->addWidget(lblProgramSubText);
    body->addSpacing(8);
    body->addWidget(frmHelp);
    body->addSpacing(8);
    body->addLayout(ButtonRow({cmdCredits, cmdClose}));

    connect(lblManualValue, &ClickableLabel::clicked, this, [this] { OpenHelpManual(this); });
    connect(cmdCredits, &QPushButton::clicked, this, &frmAbout::cmdCredits_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::showModal(QWidget *owner) {
    frmAbout about(owner);
    prompts().exec(&about);
}

QString frmAbout::CreditsText() {
    return JoinLines({QStringLiteral("Mobivert is based on libraries of ffmpeg."), QString(),
                      QStringLiteral("You can find more information about ffmpeg on the "
                                     "following website:"),
                      FfmpegWebsiteUrl().toString()});
}

void frmAbout::cmdCredits_Click() {
    prompts().information(this, CreditsText());
}
