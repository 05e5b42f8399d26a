#pragma once

#include <QStringList>

// A source that already suits the device, copied against encoded: a 60-second
// 640x480 H.264 Constrained Baseline clip through the converter with the
// iPod's profile 4 line, once as it is (the video copied, the sound remuxed)
// and once with -alwaysencode. Wall and CPU time of the best runs and their
// ratio; the goal is that the copy takes at most 5% of the encode.
// $MOBIVERT_BENCH_RUNS sets the number of runs (default 3).
QStringList RunCopyBench();
