#pragma once

#include <QStringList>

// Picture per megabyte, per encoder family (MPEG-4, Xvid, H.263, H.264
// Baseline, H.264 Main, WMV), on four 10-second 640x480 clips of different
// kinds made with ffmpeg's test sources (motion, grain, animation, text):
// one pass as the converter encoded before its tuned settings, one pass
// tuned, and two passes; and, when HandBrakeCLI is installed, HandBrake with
// -2 at the same bit rate for MPEG-4 and H.264 Baseline. Every encoding is
// scored by SSIM and PSNR against the source scaled to its picture, at one
// size: a one-pass run (or HandBrake's) more than 2% off the two passes'
// size is run again once at a corrected rate. Wall and CPU time (user and
// system) of the final run of each. $MOBIVERT_BENCH_CLIP_SECONDS shortens
// the clips.
QStringList RunQualityBench();
