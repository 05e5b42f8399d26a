#pragma once

#include <QStringList>

// How long a frame of a 1080p H.264 file takes to appear: the system's
// ffmpeg run once per frame against the in-process reader, opened afresh,
// kept open between random times (the trim dialog), and kept open while
// the time moves forward second by second (a slider dragged).
QStringList RunFrameBench();
