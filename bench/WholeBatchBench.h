#pragma once

#include <QStringList>

// A whole batch of ten clips through Mobivert (the main window's Convert:
// batch file, conversion window, launcher, converter, clean-up) against the
// same ten conversions run by ffmpeg directly, one after the other, with
// the arguments the converter translates each batch line to.
QStringList RunWholeBatchBench();
