#pragma once

#include <QStringList>

// Lanes that take work as they free up, against lanes dealt their rows
// before the start (longest first by duration, as batches were run
// before). Two lanes, iPod profile 4, each batch prepared as the window and
// mobivert-cli prepare it: mixed batches (a 1080p H.264 clip first or last
// among 480p ones; a long clip after short ones) and uniform ones. The wall
// time of each way and how far apart the lanes ended.
QStringList RunTakenLanesBench();
