#pragma once

#include <QStringList>

// Lanes that take work as they free up, against lanes dealt their rows
// before the start (longest first by duration, as batches were run
// before). Two lanes, iPod profile 4: a mixed batch (one 1080p H.264 clip,
// then three 480p clips of the same length) and a uniform one (four 480p
// clips). Both ways run the same converter lines (those of mobivert-cli's
// dry run); the wall time of each and how far apart the lanes ended.
QStringList RunTakenLanesBench();
