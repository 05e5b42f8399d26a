#pragma once

#include <QStringList>

// Hostile subtitles burnt in: the converter's peak memory, ffmpeg's
// included. Sources of 5 seconds carry an SRT line in a font size of 99999,
// or an ASS script with font sizes of 2000 and 3000, a blur of 20 and 5,000
// events on screen at once; each is converted with the iPod's 320x240 MPEG-4
// line and its 1280x720 H.264 line. The goal: never past 1.5 GB, the file
// either converted with its subtitles lowered or failed with the reason.
QStringList RunSubtitleMemoryBench();
