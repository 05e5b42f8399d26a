#pragma once

#include <QList>

#include <functional>
#include <optional>

// How long a batch run in lanes still needs, from what each row is expected
// to cost (RowCost) and how the rows are faring. The rows run in row order,
// each lane taking the next waiting row as it frees up.
//
// Each row first starts up (reads its source, makes its cover, starts the
// encoders) for a while that does not grow with its cost, and says nothing of
// its progress until it has; the start-up is learnt apart, as the time a row
// took to show its first progress. The pace is learnt as the batch goes, in
// cost units per second: that of one lane alone from the rows done (their cost
// over the time they took after starting up) and the running ones (the share of
// their cost done over their time so far after starting up), and that of the
// lanes together for each number of lanes at work (past their start-up), from
// the cost the batch got through while that many were. A running row's own pace
// against the learnt one counts for the rest of it, the more the further it has
// got. Lanes share the machine: `saturationLanes` lanes keep it busy, so with k
// lanes at work each goes min(1, saturationLanes / k) times as fast as one
// alone; a number of lanes not seen at work yet is judged that way from the
// nearest one seen. The rest of the batch is played out on the lanes, which
// speed up as they empty at the end. Lanes are alike, so only how many rows run
// counts, not which lane runs them.
//
// The figure shown is smoothed: hidden until there is enough to go on, judged
// again at most once a second, each new figure pulling it part of the way, the
// further the more of the batch is done; in between it counts down. Nothing
// here keeps time: the caller gives the elapsed time at each update and simply
// stops updating while the batch is paused.
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
    // A number of lanes at work is judged from what it did after this long:
    // seen only for moments (as when every lane's first progress comes in at
    // the start) it says little of their pace.
    static constexpr double MinSecondsSeen = 5;
    // How far a new figure pulls the one shown: at least this, and more as
    // the batch goes on and the figures firm up (the share of the cost done).
    static constexpr double LeastPull = 0.3;

    // `costs`: one per row, in row order; `saturationLanes` <= 0: the lanes
    // never slow each other down.
    explicit BatchTimeLeft(const QList<double> &costs = {}, int lanes = 1,
                           double saturationLanes = 0);

    // `rows`: one per row, in row order; `elapsedSeconds` excludes pauses.
    void update(double elapsedSeconds, const QList<Row> &rows);

    // Whole seconds, the nearest; nothing while there is not enough to go on.
    std::optional<qint64> secondsLeft() const;
    // The last simulated figure, unsmoothed.
    std::optional<double> rawSecondsLeft() const { return m_raw; }
    // Cost units per second of one lane alone, as learnt so far.
    std::optional<double> laneSpeed() const { return m_speed; }
    const QList<double> &costs() const { return m_costs; }
    double saturationLanes() const { return m_saturation; }

    // What a row has still to do: the wall seconds of its start-up, then
    // the cost units of its conversion.
    struct Work {
        double startSeconds = 0;
        double units = 0;
    };
    // The wall seconds until the last lane ends: `running` holds the work
    // left of the rows running now, `waiting` that of the rows still to
    // start, in the order the lanes take them; `laneSpeed(k)` is the work
    // each lane gets through per second while k lanes are converting (lanes
    // starting a row up do not count).
    static double ScheduleSeconds(const QList<Work> &running, const QList<Work> &waiting, int lanes,
                                  const std::function<double(int)> &laneSpeed);
    // The pace of each of `busy` lanes, relative to one lane alone.
    static double LanePace(int busy, double saturationLanes);

private:
    // What the updates so far have seen of a row.
    struct Seen {
        double lastShare = 0;       // its share done at the last update
        bool wasConverting = false; // at the last update
        double seconds = 0;         // wall seconds it was seen converting
        double paceSeconds = 0;     // the same, counted at the lanes' pace
        double startedUpAfter = -1; // the seconds before its first progress, or -1
        double lastIdle = -1;       // its seconds when last seen with no progress, or -1
    };

    // Running, past its start-up.
    bool converting(const Row &row, qsizetype i) const {
        return row.state == State::Running && m_seen[i].startedUpAfter >= 0;
    }
    void noteStartUps(const QList<Row> &rows);
    // Each row's time after its start-up, at the pace of one lane alone.
    QList<double> noteWorkSince(double elapsedSeconds, const QList<Row> &rows);
    // The cost units done so far, or 0 while there is no pace to learn from.
    double learnSpeed(const QList<Row> &rows, const QList<double> &workSeconds);
    // The wall seconds the work left takes on the lanes.
    double playOut(const QList<Row> &rows, const QList<double> &workSeconds) const;
    void pullShown(double shareDone);
    // The cost units each lane gets through per second while `busy` lanes are at work.
    double speedWith(int busy) const;
    // The wall seconds a row takes to start up, as learnt so far.
    double startSeconds() const;

    QList<double> m_costs;
    int m_lanes = 1;
    double m_saturation = 0;

    double m_lastElapsed = 0;
    int m_lastBusy = -1; // rows converting (past their start-up) at the last update
    QList<Seen> m_seen;
    QList<double> m_unitsAtBusy;   // per number of lanes at work: cost got through
    QList<double> m_secondsAtBusy; // and the wall seconds it took

    std::optional<double> m_speed;
    std::optional<double> m_raw;
    std::optional<double> m_shown;
    double m_shownAt = 0;
};
