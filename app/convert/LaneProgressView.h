#pragma once

#include <QWidget>

class BatchProgress;
class QLabel;
class QLineEdit;
class QProgressBar;

// The conversion window's lines for a batch that converts several files at
// once: one line per lane with the name of the file it converts, that
// file's own progress bar and the converter's latest progress line.
class LaneProgressView final : public QWidget {
    Q_OBJECT
public:
    explicit LaneProgressView(int lanes, QWidget *parent = nullptr);

    void showProgress(const BatchProgress &progress);

    // Per lane, named lblLaneFile1, prgLane1, txtLaneStatus1, ...
    QList<QLabel *> fileLabels;
    QList<QProgressBar *> bars;
    QList<QLineEdit *> statuses;
};
