#pragma once

#include <QString>

#include <optional>

// The time a batch has taken and how long it still needs, as the conversion
// window shows it.
namespace BatchTimeText {

// "Elapsed 00:01:12 · about 00:03:40 left", or "Elapsed 00:01:12" while the
// time left is not known.
QString Running(qint64 elapsedMs, std::optional<qint64> secondsLeft);
// "Finished in 00:05:02" and "Cancelled after 00:01:10".
QString Finished(qint64 elapsedMs);
QString Cancelled(qint64 elapsedMs);

} // namespace BatchTimeText
