#pragma once

#include "core/convert/BatchCommand.h"

#include <QString>

// What the converter will do for the source of one conversion command, in
// the words it prints when it converts ("rotated 270°, deinterlaced (top
// field first)"): the command's arguments read as the converter reads them,
// the source probed as the converter probes it. Empty when nothing is done
// beyond the arguments, or when the source cannot be read.
QString SourceNotesFor(const BatchCommand &command);
