#pragma once

#include <QList>

// Deals the rows of a batch to `lanes` lanes (at most one per row, at least
// one) so that the lanes end together: the longest row still to be dealt
// goes to the lane with the least work so far. Rows of the same length keep
// their order, and a tie between lanes goes to the lower one. Each lane
// lists its rows (0-based) in row order. A row of unknown length (0 s)
// counts as one second.
QList<QList<int>> DealRows(const QList<qint64> &seconds, int lanes);
