#pragma once

#include <QStringList>

// The converter's own cost: a 30-second 640x480 clip converted the way the
// batch file asks (-vcodec mpeg4 -s 320x240 -b 718kbps ...), once through the
// converter and once by ffmpeg run directly with the arguments the converter
// translates the line to. Wall and CPU time (the process and its children),
// best and median of several runs, and the ratios; the goal is within 2%.
// $MOBIVERT_BENCH_RUNS sets the number of runs (default 7).
QStringList RunConverterBench();
