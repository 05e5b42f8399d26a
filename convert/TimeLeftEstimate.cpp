#include "convert/TimeLeftEstimate.h"

#include "base/Various.h"

#include <algorithm>
#include <cmath>

void TimeLeftEstimate::update(qint64 elapsedMs, qint64 done, qint64 total) {
    m_elapsedMs = std::max(m_elapsedMs, elapsedMs);
    if (total <= 0 || done <= 0 || m_elapsedMs < MinElapsedMs ||
        double(done) < MinShareDone * double(total))
        return;
    if (m_left && m_elapsedMs - m_estimatedAtMs < 1000)
        return;
    // Media seconds per wall-clock second over the batch so far.
    const double rate = double(done) / (double(m_elapsedMs) / 1000.0);
    const double raw = double(std::max<qint64>(total - done, 0)) / rate;
    if (!m_left) {
        m_left = raw;
    } else {
        // Where the last estimate stands now, pulled part of the way to the new one.
        const double carried =
            std::max(0.0, *m_left - double(m_elapsedMs - m_estimatedAtMs) / 1000.0);
        m_left = carried + Pull * (raw - carried);
    }
    m_estimatedAtMs = m_elapsedMs;
}

std::optional<qint64> TimeLeftEstimate::secondsLeft() const {
    if (!m_left)
        return std::nullopt;
    return qint64(std::ceil(std::max(0.0, *m_left) - 1e-9));
}

QString TimeLeftEstimate::text() const {
    QString text = QStringLiteral("Elapsed ") + FormatDuration(m_elapsedMs / 1000);
    if (const std::optional<qint64> left = secondsLeft())
        text += QStringLiteral(" \u00b7 about ") + FormatDuration(*left) + QStringLiteral(" left");
    return text;
}

QString TimeLeftEstimate::finishedText(qint64 elapsedMs) {
    return QStringLiteral("Finished in ") + FormatDuration(elapsedMs / 1000);
}

QString TimeLeftEstimate::cancelledText(qint64 elapsedMs) {
    return QStringLiteral("Cancelled after ") + FormatDuration(elapsedMs / 1000);
}
