#pragma once

#include <QStringList>

// Heavy sources of today against HandBrakeCLI, to iPod profile 4 (H.264
// Baseline 640x480, 1450 kbit/s): a 4K 60 fps H.264 clip, a 1080p HEVC
// 10-bit phone clip stored rotated, the same clip in HDR (PQ), and a 1080i
// interlaced H.264 clip, ten seconds each with sound, made with ffmpeg.
// Each is converted by the converter with the line the batch writes for it
// (from mobivert-cli --dry-run) and, when HandBrakeCLI is installed, by
// HandBrake at the same size, bit rate and frame rate, taking turns; the
// median wall and CPU time of $MOBIVERT_BENCH_RUNS (default 3) each, their
// ratios, and what the converter adapted to each source.
QStringList RunSourcesBench();
