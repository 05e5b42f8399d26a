#include "convert/BatchTimeLeft.h"

#include <algorithm>
#include <cmath>

namespace {

// Work below this is done: rounding of the subtraction in the schedule.
constexpr double Finished = 1e-9;
// The least cost a row counts with, so that a row of no cost still takes a lane.
constexpr double LeastCost = 1e-3;

} // namespace

BatchTimeLeft::BatchTimeLeft(const QList<double> &costs, int lanes, double saturationLanes)
    : m_lanes(std::max(1, lanes))
    , m_saturation(saturationLanes)
    , m_seenSeconds(costs.size(), 0.0)
    , m_seenPaceSeconds(costs.size(), 0.0) {
    for (const double cost : costs)
        m_costs.append(std::max(LeastCost, cost));
}

double BatchTimeLeft::LanePace(int busy, double saturationLanes) {
    if (saturationLanes <= 0 || busy <= 0)
        return 1;
    return std::min(1.0, saturationLanes / double(busy));
}

double BatchTimeLeft::ScheduleSeconds(const QList<double> &running, const QList<double> &waiting,
                                      int lanes, double saturationLanes) {
    lanes = std::max(1, lanes);
    QList<double> active;
    for (const double work : running)
        active.append(std::max(0.0, work));
    qsizetype next = 0;
    double seconds = 0;
    for (;;) {
        while (active.size() < lanes && next < waiting.size())
            active.append(std::max(0.0, waiting[next++]));
        if (active.isEmpty())
            return seconds;
        // Every lane goes at the same pace, so the least work left ends first.
        const double least = *std::min_element(active.begin(), active.end());
        seconds += least / LanePace(int(active.size()), saturationLanes);
        for (double &work : active)
            work -= least;
        active.removeIf([](double work) { return work <= Finished; });
    }
}

void BatchTimeLeft::update(double elapsedSeconds, const QList<Row> &rows) {
    const qsizetype count = std::min(rows.size(), m_costs.size());
    const int busy = int(std::count_if(rows.begin(), rows.begin() + count,
                                       [](const Row &row) { return row.state == State::Running; }));
    const double pace = LanePace(busy, m_saturation);
    const double step = std::max(0.0, elapsedSeconds - m_lastElapsed);
    m_lastElapsed = std::max(m_lastElapsed, elapsedSeconds);

    // Each row's time at the pace of one lane alone: its own time, scaled by
    // the pace the lanes had while this object saw it run.
    QList<double> paceSeconds(count, 0.0);
    for (qsizetype i = 0; i < count; ++i) {
        const Row &row = rows[i];
        if (row.state == State::Running) {
            m_seenSeconds[i] += step;
            m_seenPaceSeconds[i] += step * pace;
        }
        const double scale = m_seenSeconds[i] > 0 ? m_seenPaceSeconds[i] / m_seenSeconds[i] : pace;
        paceSeconds[i] = std::max(0.0, row.runningSeconds) * scale;
    }

    // The cost units a lane alone gets through per second: the work done over
    // the time it took, failed rows aside.
    double unitsDone = 0, secondsSpent = 0, totalCost = 0;
    for (qsizetype i = 0; i < m_costs.size(); ++i)
        totalCost += m_costs[i];
    for (qsizetype i = 0; i < count; ++i) {
        const Row &row = rows[i];
        if (row.state == State::Done) {
            unitsDone += m_costs[i];
            secondsSpent += paceSeconds[i];
        } else if (row.state == State::Running && paceSeconds[i] > 0) {
            unitsDone += m_costs[i] * std::clamp(row.shareDone, 0.0, 1.0);
            secondsSpent += paceSeconds[i];
        }
    }
    if (unitsDone <= 0 || secondsSpent <= 0)
        return;
    m_speed = unitsDone / secondsSpent;
    if (m_lastElapsed < MinElapsedSeconds || unitsDone < MinShareDone * totalCost)
        return;

    // The work left, in seconds of one lane alone. A running row's own pace
    // weighs as much as the share of it done.
    QList<double> running, waiting;
    for (qsizetype i = 0; i < m_costs.size(); ++i) {
        const State state = i < count ? rows[i].state : State::Waiting;
        if (state == State::Waiting) {
            waiting.append(m_costs[i] / *m_speed);
        } else if (state == State::Running) {
            const double share = std::clamp(rows[i].shareDone, 0.0, 1.0);
            const double byModel = m_costs[i] * (1 - share) / *m_speed;
            const double byOwnPace = share > 0 ? paceSeconds[i] * (1 - share) / share : byModel;
            running.append(share * byOwnPace + (1 - share) * byModel);
        }
    }
    m_raw = ScheduleSeconds(running, waiting, m_lanes, m_saturation);

    if (m_shown && m_lastElapsed - m_shownAt < 1)
        return;
    if (!m_shown) {
        m_shown = m_raw;
    } else {
        // Where the figure shown stands now, pulled part of the way to the new one.
        const double carried = std::max(0.0, *m_shown - (m_lastElapsed - m_shownAt));
        m_shown = carried + Pull * (*m_raw - carried);
    }
    m_shownAt = m_lastElapsed;
}

std::optional<qint64> BatchTimeLeft::secondsLeft() const {
    if (!m_shown)
        return std::nullopt;
    return qint64(std::ceil(std::max(0.0, *m_shown) - 1e-9));
}
