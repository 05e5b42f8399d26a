#include "app/convert/frmShutdown.h"

#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/platform/PowerOff.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

frmShutdown::frmShutdown(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmShutdown"));
    setWindowTitle(QStringLiteral("Shutdown Computer"));
    setFont(VerdanaFont());
    header = new WizardHeader(QStringLiteral("Shutdown Computer"),
                              QStringLiteral("Shutdown your computer automatically..."), this);

    lblCountdown = new QLabel(
        QStringLiteral("Your computer will automatically shutdown in 60 seconds..."), this);
    lblCountdown->setObjectName(QStringLiteral("lblCountdown"));

    prgShutdown = new QProgressBar(this);
    prgShutdown->setObjectName(QStringLiteral("prgShutdown"));
    prgShutdown->setRange(0, CountdownSeconds);
    prgShutdown->setValue(0);
    prgShutdown->setTextVisible(false);

    tmrShutdown = new QTimer(this);
    tmrShutdown->setObjectName(QStringLiteral("tmrShutdown"));
    tmrShutdown->setInterval(1000);
    connect(tmrShutdown, &QTimer::timeout, this, &frmShutdown::tmrShutdown_Timer);

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setDefault(true);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);

    auto *body = WizardBody(this, header);
    body->addWidget(lblCountdown);
    body->addWidget(prgShutdown);
    body->addSpacing(8);
    body->addLayout(ButtonRow({cmdCancel}));
}

void frmShutdown::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_issued)
        tmrShutdown->start();
}

void frmShutdown::tmrShutdown_Timer() {
    if (m_issued)
        return;
    if (prgShutdown->value() == CountdownSeconds) {
        lblCountdown->setText(QStringLiteral("Shutting down computer..."));
        SetTextColour(lblCountdown, QColor(255, 0, 0));
        cmdCancel->setEnabled(false);
        m_issued = true;
        tmrShutdown->stop();
        powerOff().powerOff();
        return;
    }
    prgShutdown->setValue(prgShutdown->value() + 1);
    const int remaining = CountdownSeconds - prgShutdown->value();
    lblCountdown->setText(
        QStringLiteral("Your computer will automatically shutdown in %1 %2...")
            .arg(remaining)
            .arg(remaining == 1 ? QStringLiteral("second") : QStringLiteral("seconds")));
}

void frmShutdown::closeEvent(QCloseEvent *event) {
    // Once the request is made, the window stays until the system ends it.
    if (m_issued) {
        event->ignore();
        return;
    }
    tmrShutdown->stop();
    QDialog::closeEvent(event);
}

void frmShutdown::reject() {
    if (!m_issued) {
        tmrShutdown->stop();
        QDialog::reject();
    }
}
