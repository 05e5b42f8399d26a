#pragma once

#include <QList>

#include <optional>

// How long a batch run in lanes still needs, from what each row is expected
// to cost (RowCost) and how the rows are faring. The rows run in row order,
// each lane taking the next waiting row as it frees up.
//
// The cost units a lane gets through per second are learnt as the batch
// goes: from the rows done (their cost over the time they really took) and
// the running ones (the share of their cost done over their time so far).
// A running row's own pace counts the more the further it has got. The
// lanes share the machine: `saturationLanes` lanes keep it busy, so with k
// lanes at work each goes min(1, saturationLanes / k) times as fast as one
// alone; the time a row has run is counted at that pace, and the
// simulation of the rest speeds up as the lanes empty at the end. Lanes
// are alike, so only how many rows run counts, not which lane runs them.
//
// The figure shown is smoothed like TimeLeftEstimate's: hidden until there
// is enough to go on, moved at most once a second, each new figure pulling it
// part of the way. Nothing here keeps time: the caller gives the elapsed
// time at each update and simply stops updating while the batch is paused.
class BatchTimeLeft final {
public:
    enum class State { Waiting, Running, Done, Failed };
    struct Row {
        State state = State::Waiting;
        double shareDone = 0;      // 0..1, of a running row
        double runningSeconds = 0; // how long it has run, or took when done
    };

    static constexpr double MinElapsedSeconds = 3;
    static constexpr double MinShareDone = 0.02; // of the batch's cost
    static constexpr double Pull = 0.3;

    // `costs`: one per row, in row order; `saturationLanes` <= 0: the lanes
    // never slow each other down.
    BatchTimeLeft(const QList<double> &costs, int lanes, double saturationLanes = 0);

    // `rows`: one per row, in row order; `elapsedSeconds` excludes pauses.
    void update(double elapsedSeconds, const QList<Row> &rows);

    // Whole seconds, rounded up; nothing while there is not enough to go on.
    std::optional<qint64> secondsLeft() const;
    // The last simulated figure, unsmoothed.
    std::optional<double> rawSecondsLeft() const { return m_raw; }
    // Cost units per second of one lane alone, as learnt so far.
    std::optional<double> laneSpeed() const { return m_speed; }

    // The wall seconds until the last lane ends: `running` holds the work
    // left of the rows running now, `waiting` that of the rows still to
    // start, in the order the lanes take them; work is measured in seconds
    // of one lane alone. `lanes` lanes, slowed as described above.
    static double ScheduleSeconds(const QList<double> &running, const QList<double> &waiting,
                                  int lanes, double saturationLanes);
    // The pace of each of `busy` lanes, relative to one lane alone.
    static double LanePace(int busy, double saturationLanes);

private:
    QList<double> m_costs;
    int m_lanes = 1;
    double m_saturation = 0;

    double m_lastElapsed = 0;
    QList<double> m_seenSeconds;     // wall seconds each row was seen running
    QList<double> m_seenPaceSeconds; // the same, counted at the lanes' pace

    std::optional<double> m_speed;
    std::optional<double> m_raw;
    std::optional<double> m_shown;
    double m_shownAt = 0;
};
