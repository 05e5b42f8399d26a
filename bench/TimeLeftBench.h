#pragma once

#include <QStringList>

// The time left of a batch in lanes. Short clips of mixed sizes (240p to
// 1080p) and codecs (MPEG-4, H.264, HEVC, MPEG-2) are converted by the real
// converter, from the lines BuildBatch writes for real profiles (one pass,
// and two passes), on 1, 2, 4 and 8 lanes that take the rows in row order
// as they free up. Every half second BatchTimeLeft is given each row's
// progress as its console output tells it; at the end each figure shown
// from a quarter of the batch on is scored against the real time left.
QStringList RunTimeLeftBench();
