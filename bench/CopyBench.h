#pragma once

#include <QStringList>

// A source that already suits the device, copied against encoded: a 60-second
// 640x480 H.264 Constrained Baseline clip with the iPod's profile 4, once as
// it is (the video copied, the sound remuxed) and once encoded. Measured
// twice: through the converter alone with the profile's line (and with
// -alwaysencode), where the goal is a copy in at most 5% of the encode; and
// as the whole run of mobivert-cli (and with --always-encode), the batch,
// the cover and the tags included, where the goal is at most 10%. Wall and
// CPU time of the best runs and their ratios. $MOBIVERT_BENCH_RUNS sets the
// number of runs (default 3).
QStringList RunCopyBench();
