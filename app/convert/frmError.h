#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class WizardHeader;

// The error log: the converter's errors of a batch, shown after its end.
class frmError final : public QDialog {
    Q_OBJECT
public:
    explicit frmError(QWidget *parent = nullptr);

    WizardHeader *header = nullptr;
    QPlainTextEdit *txtErrors = nullptr;
    QPushButton *cmdClose = nullptr;
};
