#include "core/convert/BatchTimeLeft.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Work below this is done: rounding of the subtraction in the schedule.
constexpr double Finished = 1e-9;
// The least cost a row counts with, so that a row of no cost still takes a lane.
constexpr double LeastCost = 1e-3;

} // namespace

BatchTimeLeft::BatchTimeLeft(const QList<double> &costs, int lanes, double saturationLanes)
    : m_lanes(std::max(1, lanes))
    , m_saturation(saturationLanes)
    , m_seen(costs.size())
    , m_unitsAtBusy(m_lanes + 1, 0.0)
    , m_secondsAtBusy(m_lanes + 1, 0.0) {
    for (const double cost : costs)
        m_costs.append(std::max(LeastCost, cost));
}

double BatchTimeLeft::LanePace(int busy, double saturationLanes) {
    if (saturationLanes <= 0 || busy <= 0)
        return 1;
    return std::min(1.0, saturationLanes / double(busy));
}

double BatchTimeLeft::ScheduleSeconds(const QList<Work> &running, const QList<Work> &waiting,
                                      int lanes, const std::function<double(int)> &laneSpeed) {
    lanes = std::max(1, lanes);
    QList<Work> active;
    const auto take = [&active](const Work &work) {
        active.append({std::max(0.0, work.startSeconds), std::max(0.0, work.units)});
    };
    for (const Work &work : running)
        take(work);
    qsizetype next = 0;
    double seconds = 0;
    for (;;) {
        while (active.size() < lanes && next < waiting.size())
            take(waiting[next++]);
        if (active.isEmpty())
            return seconds;
        // Every converting lane goes at the same pace, so the first to end
        // its part is the least start-up left or the least work left.
        const int converting = int(std::count_if(active.begin(), active.end(), [](const Work &w) {
            return w.startSeconds <= Finished;
        }));
        const double speed = converting > 0 ? std::max(laneSpeed(converting), Finished) : Finished;
        double step = std::numeric_limits<double>::infinity();
        for (const Work &work : active)
            step = std::min(step,
                            work.startSeconds > Finished ? work.startSeconds : work.units / speed);
        seconds += step;
        for (Work &work : active) {
            if (work.startSeconds > Finished)
                work.startSeconds -= step;
            else
                work.units -= step * speed;
        }
        active.removeIf([](const Work &work) {
            return work.startSeconds <= Finished && work.units <= Finished;
        });
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

double BatchTimeLeft::startSeconds() const {
    double sum = 0;
    int seen = 0;
    for (const Seen &row : m_seen) {
        if (row.startedUpAfter >= 0) {
            sum += row.startedUpAfter;
            ++seen;
        }
    }
    return seen > 0 ? sum / seen : 0;
}

void BatchTimeLeft::update(double elapsedSeconds, const QList<Row> &rows) {
    const QList<Row> known = rows.mid(0, std::min(rows.size(), m_costs.size()));
    const double totalCost = std::accumulate(m_costs.cbegin(), m_costs.cend(), 0.0);
    noteStartUps(known);
    const QList<double> workSeconds = noteWorkSince(elapsedSeconds, known);
    const double unitsDone = learnSpeed(known, workSeconds);
    if (unitsDone <= 0 || m_lastElapsed < MinElapsedSeconds || unitsDone < MinShareDone * totalCost)
        return;
    m_raw = playOut(known, workSeconds);
    pullShown(unitsDone / totalCost);
}

void BatchTimeLeft::noteStartUps(const QList<Row> &rows) {
    // A row has started up when it first shows progress: since it was last
    // seen without (the converter tells its progress every half second), or,
    // first seen with progress, as long before as the learnt pace makes it.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        Seen &seen = m_seen[i];
        if (row.state != State::Running || seen.startedUpAfter >= 0)
            continue;
        if (row.shareDone <= 0) {
            seen.lastIdle = std::max(0.0, row.runningSeconds);
            continue;
        }
        const double guessed =
            m_speed ? row.runningSeconds - m_costs[i] * std::min(row.shareDone, 1.0) / *m_speed : 0;
        seen.startedUpAfter = std::clamp(seen.lastIdle >= 0 ? seen.lastIdle : guessed, 0.0,
                                         std::max(0.0, row.runningSeconds));
    }
}

QList<double> BatchTimeLeft::noteWorkSince(double elapsedSeconds, const QList<Row> &rows) {
    int busy = 0;
    for (qsizetype i = 0; i < rows.size(); ++i)
        busy += converting(rows[i], i) ? 1 : 0;
    // Since the last update, the lanes converting then have been at work.
    const int busyBefore = m_lastBusy < 0 ? busy : m_lastBusy;
    const double paceBefore = LanePace(busyBefore, m_saturation);
    const double step = std::max(0.0, elapsedSeconds - m_lastElapsed);
    m_lastElapsed = std::max(m_lastElapsed, elapsedSeconds);
    m_lastBusy = busy;
    const double start = startSeconds();
    QList<double> workSeconds;
    double unitsStep = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        Seen &seen = m_seen[i];
        const bool convertingNow = converting(row, i);
        if (convertingNow || seen.wasConverting) {
            seen.seconds += step;
            seen.paceSeconds += step * paceBefore;
        }
        seen.wasConverting = convertingNow;
        // The row's time after its start-up at the pace of one lane alone:
        // its own time, scaled by the pace the lanes had while it was seen
        // converting. A row that ended before it was seen converting
        // started up as rows do.
        const double scale = seen.seconds > 0 ? seen.paceSeconds / seen.seconds : paceBefore;
        const double startedUp = seen.startedUpAfter >= 0 ? seen.startedUpAfter : start;
        workSeconds.append(std::max(0.0, row.runningSeconds - startedUp) * scale);
        // The cost got through since the last update; a failed row's is lost.
        const double share = row.state == State::Done      ? 1
                             : row.state == State::Running ? std::clamp(row.shareDone, 0.0, 1.0)
                                                           : seen.lastShare;
        if (row.state != State::Failed)
            unitsStep += m_costs[i] * std::max(0.0, share - seen.lastShare);
        seen.lastShare = share;
    }
    if (busyBefore > 0) {
        m_unitsAtBusy[std::min(busyBefore, m_lanes)] += unitsStep;
        m_secondsAtBusy[std::min(busyBefore, m_lanes)] += step;
    }
    return workSeconds;
}

double BatchTimeLeft::learnSpeed(const QList<Row> &rows, const QList<double> &workSeconds) {
    // The cost units a lane alone gets through per second: the work done over
    // the time it took after starting up, failed rows aside.
    double unitsDone = 0, secondsSpent = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].state == State::Done) {
            unitsDone += m_costs[i];
            secondsSpent += workSeconds[i];
        } else if (converting(rows[i], i) && workSeconds[i] > 0) {
            unitsDone += m_costs[i] * std::clamp(rows[i].shareDone, 0.0, 1.0);
            secondsSpent += workSeconds[i];
        }
    }
    if (unitsDone <= 0 || secondsSpent <= 0)
        return 0;
    m_speed = unitsDone / secondsSpent;
    return unitsDone;
}

double BatchTimeLeft::playOut(const QList<Row> &rows, const QList<double> &workSeconds) const {
    // The work left. A converting row that has gone slower or faster than
    // the learnt pace is expected to go on so, the more the more of it is done.
    const double start = startSeconds();
    QList<Work> running, waiting;
    for (qsizetype i = 0; i < m_costs.size(); ++i) {
        const State state = i < rows.size() ? rows[i].state : State::Waiting;
        if (state == State::Waiting) {
            waiting.append({start, m_costs[i]});
        } else if (state == State::Running && !converting(rows[i], i)) {
            running.append({std::max(0.0, start - rows[i].runningSeconds), m_costs[i]});
        } else if (state == State::Running) {
            const double share = std::clamp(rows[i].shareDone, 0.0, 1.0);
            const double ownPace =
                workSeconds[i] > 0 ? workSeconds[i] * *m_speed / (m_costs[i] * share) : 1.0;
            running.append({0, m_costs[i] * (1 - share) * (share * ownPace + (1 - share))});
        }
    }
    return ScheduleSeconds(running, waiting, m_lanes,
                           [this](int lanesAtWork) { return speedWith(lanesAtWork); });
}

void BatchTimeLeft::pullShown(double shareDone) {
    // Judged again at most once a second.
    if (m_shown && m_lastElapsed - m_shownAt < 1)
        return;
    if (!m_shown) {
        m_shown = m_raw;
    } else {
        // Where the figure shown stands now, pulled part of the way to the new one.
        const double carried = std::max(0.0, *m_shown - (m_lastElapsed - m_shownAt));
        m_shown = carried + std::max(LeastPull, shareDone) * (*m_raw - carried);
    }
    m_shownAt = m_lastElapsed;
}

std::optional<qint64> BatchTimeLeft::secondsLeft() const {
    if (!m_shown)
        return std::nullopt;
    // Counted down since it was last judged.
    return std::llround(std::max(0.0, *m_shown - (m_lastElapsed - m_shownAt)));
}
