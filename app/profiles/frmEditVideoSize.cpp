#include "app/profiles/frmEditVideoSize.h"

#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/base/Prompts.h"
#include "core/profiles/CustomVideoSize.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmEditVideoSize::frmEditVideoSize(const QString &size, const QString &codec, QWidget *parent)
    : QDialog(parent)
    , m_codec(codec) {
    setObjectName(QStringLiteral("frmEditVideoSize"));
    setWindowTitle(QStringLiteral("Edit Video Size"));
    setFont(VerdanaFont());

    header = new WizardHeader(QStringLiteral("Edit Video Size"),
                              QStringLiteral("Define a custom video size..."), this);

    lblSpecifyCustomSize = new QLabel(QStringLiteral("Specify a custom width and height:"), this);
    lblSpecifyCustomSize->setObjectName(QStringLiteral("lblSpecifyCustomSize"));

    lblWidth = new QLabel(QStringLiteral("Width:"), this);
    lblWidth->setObjectName(QStringLiteral("lblWidth"));
    txtWidth = new QLineEdit(this);
    txtWidth->setObjectName(QStringLiteral("txtWidth"));
    lblWidth->setBuddy(txtWidth);
    lblHeight = new QLabel(QStringLiteral("Height:"), this);
    lblHeight->setObjectName(QStringLiteral("lblHeight"));
    txtHeight = new QLineEdit(this);
    txtHeight->setObjectName(QStringLiteral("txtHeight"));
    lblHeight->setBuddy(txtHeight);

    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *fields = new QGridLayout;
    fields->addWidget(lblWidth, 0, 0);
    fields->addWidget(txtWidth, 0, 1);
    fields->addWidget(lblHeight, 1, 0);
    fields->addWidget(txtHeight, 1, 1);
    fields->setColumnStretch(1, 1);

    auto *body = WizardBody(this, header);
    body->addWidget(lblSpecifyCustomSize);
    body->addLayout(fields);
    body->addSpacing(6);
    body->addLayout(ButtonRow({cmdOk, cmdCancel}));

    connect(cmdOk, &QPushButton::clicked, this, &frmEditVideoSize::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The current size, split for editing; typing replaces the width.
    const CustomVideoSize::Fields current = CustomVideoSize::SplitForEditing(size);
    txtWidth->setText(current.width);
    txtHeight->setText(current.height);
    txtWidth->selectAll();
    txtWidth->setFocus();
}

QString frmEditVideoSize::InvalidSizeMessage() {
    return JoinLines({QStringLiteral("Unable to set video size!"),
                      QStringLiteral("Reason: incorrect width and/or height specified.")});
}

QString frmEditVideoSize::LimitMessage(const QString &limit) {
    return JoinLines(
        {QStringLiteral("Unable to set video size!"), QStringLiteral("Reason: ") + limit});
}

void frmEditVideoSize::cmdOk_Click() {
    const std::optional<QString> size =
        CustomVideoSize::Compose(txtWidth->text(), txtHeight->text());
    if (!size) {
        prompts().critical(this, InvalidSizeMessage(), QStringLiteral("Error"));
        txtWidth->setFocus();
        return;
    }
    if (const std::optional<QString> refusal = CustomVideoSize::CodecSizeRefusal(m_codec, *size)) {
        prompts().critical(this, LimitMessage(*refusal), QStringLiteral("Error"));
        txtWidth->setFocus();
        return;
    }
    m_newSize = *size;
    accept();
}
