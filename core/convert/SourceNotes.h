#pragma once

#include <QString>

// What the converter will do for the source of one batch line, in the words
// it prints when it converts ("rotated 270°, deinterlaced (top field
// first)"): the line's options read as the converter reads them, the
// source probed as the converter probes it. Empty when nothing is done
// beyond the line, or when the source cannot be read.
QString SourceNotesForLine(const QString &batchLine);
