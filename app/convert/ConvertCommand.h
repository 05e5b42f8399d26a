#pragma once

#include "core/convert/BatchBuilder.h"

#include <QObject>
#include <QString>

#include <optional>

class frmMain;
struct MainWindowParts;

// The checks the window makes of the list and the settings before it
// converts them, or a part of one row for a preview: every value within
// the codec's limits, and the list fitted into the chosen size when that
// is asked. A refusal is shown in a message box and gives nothing; else
// the rows' fit, one per row, or empty when the batch is not fitted.
std::optional<QList<RowFit>> CheckBatchSettings(frmMain &main, const MainWindowParts &ui);

// The Convert command: its checks, then the batch and the conversion window.
class ConvertCommand final : public QObject {
    Q_OBJECT
public:
    explicit ConvertCommand(frmMain &main, const MainWindowParts &ui);

    void imgConvert_Click();

private:
    // Writes the batch and runs it in the conversion window; returns when
    // the window has closed. `fit`: the rows' rates when the batch is
    // fitted into a size.
    void ConvertAll(const QList<RowFit> &fit);
    // The iPod, of several connected, that the user chooses to add the
    // files to; nothing when the user cancels.
    std::optional<QString> chooseIpod(const QStringList &ipods);

    frmMain &m_main;
    const MainWindowParts &m_ui;
};
