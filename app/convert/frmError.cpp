#include "app/convert/frmError.h"

#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmError::frmError(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmError"));
    setWindowTitle(QStringLiteral("Error Log"));
    setFont(VerdanaFont());
    header = new WizardHeader(QStringLiteral("Error Log"),
                              QStringLiteral("The following errors occurred..."), this);

    txtErrors = new QPlainTextEdit(this);
    txtErrors->setObjectName(QStringLiteral("txtErrors"));
    txtErrors->setReadOnly(true);
    txtErrors->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *body = WizardBody(this, header);
    body->addWidget(txtErrors, 1);
    body->addLayout(ButtonRow({cmdClose}));
    resize(560, 360);
}
