#include "app/widgets/WizardHeader.h"

#include "app/widgets/GUIFunctions.h"

#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

WizardHeader::WizardHeader(const QString &title, const QString &subtitle, QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("WizardHeader"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    lblWizardBackground = new QLabel(this);
    lblWizardBackground->setObjectName(QStringLiteral("lblWizardBackground"));
    lblWizardBackground->setAutoFillBackground(true);
    QPalette background = lblWizardBackground->palette();
    background.setColor(QPalette::Window, Qt::white);
    lblWizardBackground->setPalette(background);
    grid->addWidget(lblWizardBackground, 0, 0, 2, 2);

    lblWizardText = new QLabel(title, this);
    lblWizardText->setObjectName(QStringLiteral("lblWizardText"));
    lblWizardText->setFont(VerdanaFont(9.75, true));
    lblWizardText->setContentsMargins(14, 10, 8, 0);
    grid->addWidget(lblWizardText, 0, 0);

    lblWizardSubText = new QLabel(subtitle, this);
    lblWizardSubText->setObjectName(QStringLiteral("lblWizardSubText"));
    lblWizardSubText->setFont(VerdanaFont());
    lblWizardSubText->setContentsMargins(28, 2, 8, 10);
    grid->addWidget(lblWizardSubText, 1, 0);

    picWizard = new QLabel(this);
    picWizard->setObjectName(QStringLiteral("picWizard"));
    picWizard->setPixmap(MobivertImage(QStringLiteral("wizard"), QSize(44, 44)));
    picWizard->setContentsMargins(8, 4, 12, 4);
    grid->addWidget(picWizard, 0, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->setColumnStretch(0, 1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 2, 0, 1, 2);
}

QVBoxLayout *WizardBody(QDialog *dialog, WizardHeader *header) {
    auto *column = new QVBoxLayout(dialog);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(header);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 10, 16, 12);
    column->addLayout(body, 1);
    return body;
}

QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons, QWidget *leading) {
    auto *row = new QHBoxLayout;
    if (leading)
        row->addWidget(leading);
    row->addStretch(1);
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}
