#pragma once

#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchFit.h"

// Fitting a batch into a size as the Convert command and mobivert-cli plan
// it: the rows' exact lengths from the media library, the rates from the
// device's profile file, the arithmetic of BatchFit.h.
struct FitOutcome {
    FitPlan plan;
    QList<RowFit> rows;  // for BatchOptions::fit; empty when refused
    QStringList refusal; // the lines of the message that refuses the batch; empty when it may run
    QString note;        // what a batch that stays below the size will take, else empty
};

// The length of a row's part to convert in seconds, to the millisecond: the
// whole file's play time, or the trimmed part of it; 0 when not known.
double ExactSeconds(const FileListRow &row);

// Plans the fit of the rows into `sizeBytes`. `qualityItems` is the
// device's quality list: its first entry is the lowest rate the device
// offers, and the codec's MaxVideoQuality entry (else the last) its
// highest. Rates are those the batch passes on, 50 kbit/s below the entries.
FitOutcome PlanFit(const ConversionSettings &settings, const QStringList &qualityItems,
                   const QList<FileListRow> &rows, qint64 sizeBytes);

// Whether a fit applies to the settings: a picture at a bit rate.
bool CanFit(const ConversionSettings &settings);
