#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class WizardHeader;

// The custom video size dialog: shows a size split into width and height
// and, on Ok, accepts the new size when it is valid and the video codec can
// encode it.
class frmEditVideoSize final : public QDialog {
    Q_OBJECT
public:
    frmEditVideoSize(const QString &size, const QString &codec, QWidget *parent);

    // The size accepted with Ok ("400x300"); empty until then.
    QString newSize() const { return m_newSize; }

    WizardHeader *header = nullptr;
    QLabel *lblSpecifyCustomSize = nullptr;
    QLabel *lblWidth = nullptr;
    QLineEdit *txtWidth = nullptr;
    QLabel *lblHeight = nullptr;
    QLineEdit *txtHeight = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdCancel = nullptr;

    static QString InvalidSizeMessage();
    // The message for a size the video codec cannot encode.
    static QString LimitMessage(const QString &limit);

private:
    void cmdOk_Click();

    const QString m_codec;
    QString m_newSize;
};
