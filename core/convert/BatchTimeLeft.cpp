#include "core/convert/BatchTimeLeft.h"

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
    , m_lastShare(costs.size(), 0.0)
    , m_wasRunning(costs.size(), false)
    , m_unitsAtBusy(m_lanes + 1, 0.0)
    , m_secondsAtBusy(m_lanes + 1, 0.0)
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
                                      int lanes, const std::function<double(int)> &laneSpeed) {
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
        seconds += least / laneSpeed(int(active.size()));
        for (double &work : active)
            work -= least;
        active.removeIf([](double work) { return work <= Finished; });
    }
}

double BatchTimeLeft::speedWith(int busy) const {
    busy = std::clamp(busy, 1, m_lanes);
    // The nearest number of lanes seen at work long enough, the one asked first.
    for (int distance = 0; distance < m_lanes; ++distance) {
        for (const int seen : {busy - distance, busy + distance}) {
            if (seen < 1 || seen > m_lanes || m_secondsAtBusy[seen] < MinSecondsSeen)
                continue;
            const double speed = m_unitsAtBusy[seen] / m_secondsAtBusy[seen] / seen;
            if (speed > 0)
                return speed * LanePace(busy, m_saturation) / LanePace(seen, m_saturation);
        }
    }
    return *m_speed * LanePace(busy, m_saturation);
}

void BatchTimeLeft::update(double elapsedSeconds, const QList<Row> &rows) {
    const qsizetype count = std::min(rows.size(), m_costs.size());
    const int busy = int(std::count_if(rows.begin(), rows.begin() + count,
                                       [](const Row &row) { return row.state == State::Running; }));
    // Since the last update, the lanes at work then have been at work.
    const int busyBefore = m_lastBusy < 0 ? busy : m_lastBusy;
    const double paceBefore = LanePace(busyBefore, m_saturation);
    const double step = std::max(0.0, elapsedSeconds - m_lastElapsed);
    m_lastElapsed = std::max(m_lastElapsed, elapsedSeconds);
    m_lastBusy = busy;

    QList<double> paceSeconds(count, 0.0);
    double unitsStep = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const Row &row = rows[i];
        const bool running = row.state == State::Running;
        if (running || m_wasRunning[i]) {
            m_seenSeconds[i] += step;
            m_seenPaceSeconds[i] += step * paceBefore;
        }
        m_wasRunning[i] = running;
        // The row's time at the pace of one lane alone: its own time, scaled
        // by the pace the lanes had while it was seen running.
        const double scale =
            m_seenSeconds[i] > 0 ? m_seenPaceSeconds[i] / m_seenSeconds[i] : paceBefore;
        paceSeconds[i] = std::max(0.0, row.runningSeconds) * scale;
        // The cost got through since the last update; a failed row's is lost.
        const double share = row.state == State::Done ? 1
                             : running                ? std::clamp(row.shareDone, 0.0, 1.0)
                                                      : m_lastShare[i];
        if (row.state != State::Failed)
            unitsStep += m_costs[i] * std::max(0.0, share - m_lastShare[i]);
        m_lastShare[i] = share;
    }
    if (busyBefore > 0) {
        m_unitsAtBusy[std::min(busyBefore, m_lanes)] += unitsStep;
        m_secondsAtBusy[std::min(busyBefore, m_lanes)] += step;
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
        } else if (row.state == State::Running && paceSeconds[i] > 0 && row.shareDone > 0) {
            // A row that has said nothing of its progress yet (reading its
            // source, starting up) teaches nothing of the pace.
            unitsDone += m_costs[i] * std::clamp(row.shareDone, 0.0, 1.0);
            secondsSpent += paceSeconds[i];
        }
    }
    if (unitsDone <= 0 || secondsSpent <= 0)
        return;
    m_speed = unitsDone / secondsSpent;
    if (m_lastElapsed < MinElapsedSeconds || unitsDone < MinShareDone * totalCost)
        return;

    // The cost left. A running row that has gone slower or faster than the
    // learnt pace is expected to go on so, the more the more of it is done.
    QList<double> running, waiting;
    for (qsizetype i = 0; i < m_costs.size(); ++i) {
        const State state = i < count ? rows[i].state : State::Waiting;
        if (state == State::Waiting) {
            waiting.append(m_costs[i]);
        } else if (state == State::Running) {
            const double share = std::clamp(rows[i].shareDone, 0.0, 1.0);
            if (share <= 0) {
                // Taken to go at the learnt pace until it says how far it has
                // got, though never counted more than half done.
                running.append(std::max(m_costs[i] - paceSeconds[i] * *m_speed, m_costs[i] / 2));
                continue;
            }
            const double ownPace =
                share > 0 ? paceSeconds[i] * *m_speed / (m_costs[i] * share) : 1.0;
            running.append(m_costs[i] * (1 - share) * (share * ownPace + (1 - share)));
        }
    }
    m_raw = ScheduleSeconds(running, waiting, m_lanes,
                            [this](int lanesAtWork) { return speedWith(lanesAtWork); });

    if (m_shown && m_lastElapsed - m_shownAt < 1)
        return;
    if (!m_shown) {
        m_shown = m_raw;
    } else {
        // Where the figure shown stands now, pulled part of the way to the new one.
        const double carried = std::max(0.0, *m_shown - (m_lastElapsed - m_shownAt));
        const double pull = std::max(LeastPull, unitsDone / totalCost);
        m_shown = carried + pull * (*m_raw - carried);
    }
    m_shownAt = m_lastElapsed;
}

std::optional<qint64> BatchTimeLeft::secondsLeft() const {
    if (!m_shown)
        return std::nullopt;
    return qint64(std::ceil(std::max(0.0, *m_shown) - 1e-9));
}
