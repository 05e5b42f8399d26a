#pragma once

#include <QWidget>

#include <initializer_list>

class QDialog;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

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

// The layout every dialog shares: the header band on top and a body below
// it with the usual margins. Returns the body for the dialog to fill.
QVBoxLayout *WizardBody(QDialog *dialog, WizardHeader *header);

// A row of buttons at the right edge, after an optional widget at the left.
QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> buttons, QWidget *leading = nullptr);
