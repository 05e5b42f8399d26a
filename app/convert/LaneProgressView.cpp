#include "app/convert/LaneProgressView.h"

#include "core/convert/BatchProgress.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

constexpr int NameWidth = 200;
constexpr int BarWidth = 140;

} // namespace

LaneProgressView::LaneProgressView(int lanes, QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("LaneProgressView"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(2, 1);
    for (int lane = 0; lane < lanes; ++lane) {
        const QString number = QString::number(lane + 1);
        auto *name = new QLabel(QStringLiteral("Waiting..."), this);
        name->setObjectName(QStringLiteral("lblLaneFile") + number);
        name->setFixedWidth(NameWidth);
        auto *bar = new QProgressBar(this);
        bar->setObjectName(QStringLiteral("prgLane") + number);
        bar->setFixedWidth(BarWidth);
        bar->setRange(0, 100);
        bar->setValue(0);
        auto *status = new QLineEdit(QStringLiteral("Initializing..."), this);
        status->setObjectName(QStringLiteral("txtLaneStatus") + number);
        status->setReadOnly(true);
        grid->addWidget(name, lane, 0);
        grid->addWidget(bar, lane, 1);
        grid->addWidget(status, lane, 2);
        fileLabels.append(name);
        bars.append(bar);
        statuses.append(status);
    }
}

void LaneProgressView::showProgress(const BatchProgress &progress) {
    for (int lane = 0; lane < fileLabels.size() && lane < progress.laneCount(); ++lane) {
        const ConversionProgress &laneProgress = progress.lane(lane);
        const int row = progress.laneRow(lane);
        QString name;
        QString path;
        if (progress.laneFinished(lane)) {
            name = QStringLiteral("Done");
        } else if (row < 0) {
            name = QStringLiteral("Waiting...");
        } else {
            path = progress.rows()[row].inputPath;
            name = QString::number(row + 1) + QStringLiteral(": ") + QFileInfo(path).fileName();
        }
        QLabel *label = fileLabels[lane];
        label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, NameWidth));
        label->setToolTip(path);
        bars[lane]->setMaximum(laneProgress.currentMaximum());
        bars[lane]->setValue(laneProgress.currentValue());
        if (statuses[lane]->text() != laneProgress.status()) {
            // The start of the line, where its frame count and time are.
            statuses[lane]->setText(laneProgress.status());
            statuses[lane]->setCursorPosition(0);
        }
    }
}
