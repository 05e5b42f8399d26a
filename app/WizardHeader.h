#pragma once

#include <QWidget>

class QLabel;

// The header band that every dialog shows: a bold title, a subtitle and a
// picture on a white background.
class WizardHeader final : public QWidget {
    Q_OBJECT
public:
    WizardHeader(const QString &title, const QString &subtitle, QWidget *parent = nullptr);

    QLabel *picWizard = nullptr;
    QLabel *lblWizardBackground = nullptr;
    QLabel *lblWizardText = nullptr;
    QLabel *lblWizardSubText = nullptr;
};
