#pragma once

#include <QStringList>

// Console output handling: 10 MB and 100 MB of recorded batch output fed in
// launcher-sized chunks to the progress tracking (ConversionProgress) and
// to the conversion window's log box (ConsoleLogView). Time, peak memory,
// and whether the cost grows linearly with the amount of output.
QStringList RunConsoleBench();
