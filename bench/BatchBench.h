#pragma once

#include <QStringList>

// Building the batch (BuildBatch) for 10,000 list rows with the iPod's
// default settings: rows of different names, and rows that all share one
// name, so that every output needs a counter. Time, peak memory and the
// size of the batch file.
QStringList RunBatchBench();
