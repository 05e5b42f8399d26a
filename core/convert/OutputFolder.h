#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The output folder of a batch, checked before anything is written: it must
// be named, and it is created when missing and must then be a folder that
// can take files.
struct OutputFolderRefusal {
    bool critical = false; // a failure, rather than input to correct
    QStringList lines;     // the message, one entry per line
};

// Creates the folder (every missing level) and returns the reason it cannot
// be used, or nothing when it is ready.
std::optional<OutputFolderRefusal> PrepareOutputFolder(const QString &folder);
