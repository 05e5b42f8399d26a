#pragma once

#include <QString>

#include <optional>

// The time a batch has taken and how long it still needs, as the conversion
// window shows it: "Elapsed 00:01:12 · about 00:03:40 left". The estimate
// comes from the seconds of video converted per second of wall-clock time
// over the batch so far. It stays hidden until there is enough to go on,
// moves at most once a second, and each new figure only pulls it part of
// the way, so that one slow or quick stretch does not make it jump.
class TimeLeftEstimate final {
public:
    // Enough to go on: this long into the batch and this share of it done.
    static constexpr qint64 MinElapsedMs = 3000;
    static constexpr double MinShareDone = 0.02;
    // How far a new figure pulls the estimate shown.
    static constexpr double Pull = 0.3;

    // The batch has run `elapsedMs` and converted `done` of `total` seconds.
    void update(qint64 elapsedMs, qint64 done, qint64 total);

    qint64 elapsedMs() const { return m_elapsedMs; }
    // Whole seconds, rounded up; nothing while there is not enough to go on.
    std::optional<qint64> secondsLeft() const;
    QString text() const;

    // "Finished in 00:05:02" and "Cancelled after 00:01:10".
    static QString finishedText(qint64 elapsedMs);
    static QString cancelledText(qint64 elapsedMs);

private:
    qint64 m_elapsedMs = 0;
    qint64 m_estimatedAtMs = 0;   // when the estimate last moved
    std::optional<double> m_left; // seconds, as last estimated
};
