#include "core/convert/BatchEngine.h"

#include "core/convert/BatchCleanup.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/FilesAtOnce.h"
#include "core/convert/FolderSpace.h"
#include "core/platform/ProcessorCores.h"
#include "core/platform/SleepInhibitor.h"

#include <QSaveFile>

#include <csignal>

namespace {

const QString AwakeReason = QStringLiteral("Converting video files");

// What each row is expected to cost: from the record's list row and settings
// (a fitted batch runs two passes), or from its length alone without them.
bool knowsRows(const BatchRun &run) {
    return run.record && run.record->rows.size() == run.rows.size();
}

RowCostFacts rowFacts(const BatchRun &run, qsizetype row) {
    RowCostFacts facts;
    facts.seconds = double(run.rows[row].totalSeconds);
    if (knowsRows(run)) {
        facts = RowCost::Facts(run.record->settings, run.record->rows[row]);
        facts.twoPasses = facts.twoPasses || (run.record->fitBytes > 0 && facts.video);
    }
    return facts;
}

QList<double> rowCosts(const BatchRun &run) {
    QList<double> costs;
    for (qsizetype row = 0; row < run.rows.size(); ++row)
        costs.append(RowCost::Estimate(rowFacts(run, row)));
    return costs;
}

// How many converters keep the machine busy.
double saturationLanes(const BatchRun &run) {
    const int cores = AvailableCores();
    return cores / FilesAtOnce::ConverterCoreUse(
                       run.record ? run.record->settings : ConversionSettings(), cores);
}

} // namespace

BatchEngine::BatchEngine(const BatchRun &run, QObject *parent)
    : QObject(parent)
    , m_run(run)
    , m_progress(run.lanes > 1 ? BatchProgress::idleLanes(BatchFiles::converter(run.dataFolder),
                                                          BatchFiles::trackDrop(run.dataFolder),
                                                          run.rows, run.lanes)
                               : BatchProgress(BatchFiles::converter(run.dataFolder),
                                               BatchFiles::trackDrop(run.dataFolder), run.rows))
    , m_timeLeft(rowCosts(run), m_progress.laneCount(), saturationLanes(run)) {
    for (const RowProgress &row : m_progress.rows())
        m_shownStates.append(row.state);
    for (qsizetype row = 0; row < run.rows.size(); ++row)
        m_rowTimes.append({-1, -1, rowFacts(run, row).twoPasses});
    // The lower bar moves on as the time goes when the rows' costs are known.
    if (knowsRows(run))
        m_progress.setCosts(m_timeLeft.costs());
    m_timeLeftTicker.setInterval(500);
    connect(&m_timeLeftTicker, &QTimer::timeout, this, &BatchEngine::updateTimeLeft);
}

BatchEngine::~BatchEngine() {
    // Never leave a batch running behind.
    if (m_started && !m_cleanedUp)
        cleanUp();
}

bool BatchEngine::start() {
    if (m_started || m_ended)
        return false;
    m_started = true;
    m_clock.start();
    for (int lane = 0; lane < m_progress.laneCount(); ++lane) {
        auto launcher = std::make_unique<CMDLauncher>();
        launcher->setBufferSize(8192);
        launcher->setPollInterval(10);
        connect(launcher.get(), &CMDLauncher::DataReceived, this,
                [this, lane](const QByteArray &chunk) { launcherOutput(lane, chunk); });
        connect(launcher.get(), &CMDLauncher::ProcessEnded, this,
                [this, lane] { launcherEnded(lane); });
        m_launchers.push_back(std::move(launcher));
    }
    for (int lane = 0; lane < m_progress.laneCount(); ++lane) {
        if (takeWork(lane))
            continue;
        // A batch that cannot start every lane does not run in part.
        m_ended = true;
        m_endedMs = m_clock.elapsed();
        StopBatches(m_launchers);
        return false;
    }
    m_launched = true;
    m_timeLeftTicker.start();
    m_noSleep = std::make_unique<SleepInhibitor>(AwakeReason);
    QString failure;
    if (m_run.record)
        m_recording = BatchRecordFile::write(m_run.dataFolder, *m_run.record, &failure);
    if (m_run.record && !m_recording)
        m_recordFailure = QStringLiteral("this batch cannot be resumed if it is interrupted: its "
                                         "record cannot be written to ") +
                          BatchRecordFile::path(m_run.dataFolder) + QStringLiteral(" (") + failure +
                          u')';
    noteRowStates();
    return true;
}

bool BatchEngine::writeRowBatch(int lane, int row) {
    const QString path = BatchFiles::laneBatch(m_run.dataFolder, lane);
    const QByteArray text = RowBatchText(m_run, row);
    // Always a new file: the shell that ran the lane's last row never
    // reads the new text from its old offset.
    QSaveFile batch(path);
    if (batch.open(QIODevice::WriteOnly) && batch.write(text) == text.size() && batch.commit())
        return true;
    m_progress.failRow(
        row, WriteFailureText(path, batch.errorString(), FreeBytes(m_run.dataFolder), text.size()));
    return false;
}

bool BatchEngine::takeWork(int lane) {
    CMDLauncher &launcher = *m_launchers[std::size_t(lane)];
    if (!dynamicLanes()) {
        launcher.start(BatchFiles::batch(m_run.dataFolder));
        m_startStatus = launcher.startStatus();
        m_startError = launcher.errorCode();
        return m_startStatus == CMDLauncher::Started;
    }
    for (int row = m_progress.nextRow(); row >= 0; row = m_progress.nextRow()) {
        if (!writeRowBatch(lane, row))
            continue;
        m_progress.startRun(lane, {row});
        launcher.start(BatchFiles::laneBatch(m_run.dataFolder, lane));
        m_startStatus = launcher.startStatus();
        m_startError = launcher.errorCode();
        if (m_startStatus == CMDLauncher::Started)
            return true;
        m_progress.finishLane(lane);
        if (!m_launched) // the batch's first start
            return false;
        m_progress.failRow(row, QStringLiteral("%1: the converter could not be started (error %2)")
                                    .arg(m_run.rows[row].inputPath)
                                    .arg(m_startError));
    }
    return true;
}

void BatchEngine::launcherOutput(int lane, const QByteArray &chunk) {
    m_progress.feed(lane, chunk);
    emit output(lane, chunk);
    emit progressed(lane);
    noteRowStates();
}

void BatchEngine::launcherEnded(int lane) {
    if (m_ended)
        return;
    emit laneRunEnded(lane);
    m_progress.finishLane(lane);
    emit progressed(lane);
    // The next row starts once the launcher has let its process go.
    if (dynamicLanes() && m_progress.nextRow() >= 0 && !m_paused)
        QTimer::singleShot(0, this, [this, lane] {
            if (!m_ended && !m_paused && !m_progress.laneBusy(lane)) {
                takeWork(lane);
                noteRowStates();
                emit progressed(lane);
            }
        });
    noteRowStates();
    if (!m_progress.finished())
        return;
    m_ended = true;
    m_endedMs = m_clock.elapsed();
    m_timeLeftTicker.stop();
    m_noSleep.reset();
    // A batch that has ended is not taken up again, unless hand-offs of its
    // files failed: the next start offers to try those again.
    if (m_recording)
        m_run.record->markConverted(m_progress);
    if (m_recording && !m_run.record->handOffsLeft().isEmpty())
        m_leftForResume = BatchRecordFile::write(m_run.dataFolder, *m_run.record);
    else
        dropRecord();
    m_recording = false;
    emit ended();
}

void BatchEngine::noteRowStates() {
    bool moved = false;
    for (int row = 0; row < m_progress.rowCount(); ++row) {
        const RowProgress::State state = m_progress.rows()[row].state;
        if (m_shownStates[row] == state)
            continue;
        const double now = double(m_clock.elapsed()) / 1000;
        if (m_shownStates[row] == RowProgress::State::Waiting) {
            m_rowTimes[row].startedAt = now;
            emit fileStarted(row);
        }
        if (state != RowProgress::State::Converting)
            m_rowTimes[row].endedAt = now;
        m_shownStates[row] = state;
        moved = true;
    }
    if (!moved)
        return;
    updateTimeLeft();
    writeRecord();
    emit rowsChanged();
}

BatchTimeLeft::Row BatchEngine::TimeLeftRow(const RowProgress &progress, const RowTimes &times,
                                            double now) {
    using State = RowProgress::State;
    BatchTimeLeft::Row shown{progress.state == State::Waiting      ? BatchTimeLeft::State::Waiting
                             : progress.state == State::Converting ? BatchTimeLeft::State::Running
                             : progress.state == State::Converted  ? BatchTimeLeft::State::Done
                                                                   : BatchTimeLeft::State::Failed};
    // Progress lines tell whole seconds: a row past one is half a second further on average.
    if (shown.state == BatchTimeLeft::State::Running && progress.totalSeconds > 0 &&
        progress.secondsDone > 0)
        shown.shareDone = RowCost::WorkShare(
            std::min(1.0, (double(progress.secondsDone) + 0.5) / double(progress.totalSeconds)),
            times.twoPasses);
    if (times.startedAt >= 0)
        shown.runningSeconds = (times.endedAt >= 0 ? times.endedAt : now) - times.startedAt;
    return shown;
}

void BatchEngine::updateTimeLeft() {
    if (!m_launched || m_ended || m_paused)
        return;
    const double now = double(m_clock.elapsed()) / 1000;
    QList<BatchTimeLeft::Row> rows;
    for (int row = 0; row < m_progress.rowCount(); ++row)
        rows.append(TimeLeftRow(m_progress.rows()[row], m_rowTimes.value(row), now));
    m_timeLeft.update(now, rows);
}

void BatchEngine::writeRecord() {
    // Each file that ends is noted at once: a crash loses none of them.
    if (m_recording && !m_progress.finished() && m_run.record->markConverted(m_progress))
        BatchRecordFile::write(m_run.dataFolder, *m_run.record);
}

void BatchEngine::dropRecord() {
    if (m_recording)
        BatchRecordFile::remove(m_run.dataFolder);
    m_recording = false;
}

void BatchEngine::signalLanes(int signalNumber) {
    for (const pid_t group : processGroups())
        ::kill(-group, signalNumber);
}

void BatchEngine::pause() {
    if (!m_started || m_ended || m_paused)
        return;
    m_paused = true;
    signalLanes(SIGSTOP);
    m_clock.pause();
    m_timeLeftTicker.stop();
    m_noSleep.reset();
    emit pausedChanged(true);
}

void BatchEngine::resume() {
    if (!m_paused)
        return;
    m_paused = false;
    m_clock.resume();
    signalLanes(SIGCONT);
    if (!m_ended) {
        m_timeLeftTicker.start();
        m_noSleep = std::make_unique<SleepInhibitor>(AwakeReason);
        // Lanes that freed up while paused take their next rows now.
        for (int lane = 0; dynamicLanes() && lane < m_progress.laneCount(); ++lane) {
            if (!m_progress.laneBusy(lane) && m_progress.nextRow() >= 0)
                takeWork(lane);
        }
        noteRowStates();
    }
    emit pausedChanged(false);
}

void BatchEngine::stopLanes() {
    // Stopped processes cannot end: they go on first, and are ended at once.
    if (m_paused) {
        m_paused = false;
        m_clock.resume();
        signalLanes(SIGCONT);
        emit pausedChanged(false);
    }
    m_timeLeftTicker.stop();
    StopBatches(m_launchers);
}

void BatchEngine::cancel(bool keepRecord) {
    if (m_ended)
        return;
    m_ended = true;
    m_cancelled = true;
    m_endedMs = m_clock.elapsed();
    stopLanes();
    m_noSleep.reset();
    m_progress.cancel();
    noteRowStates();
    if (keepRecord && m_recording && m_run.record->markConverted(m_progress))
        BatchRecordFile::write(m_run.dataFolder, *m_run.record);
    m_leftForResume = keepRecord && m_recording;
    if (!keepRecord)
        dropRecord();
    m_recording = false;
}

void BatchEngine::cleanUp(const std::function<void()> &beforeAttempt) {
    m_cleanedUp = true;
    if (!m_ended) {
        m_ended = true;
        m_endedMs = m_clock.elapsed();
    }
    stopLanes();
    m_noSleep.reset();
    RemoveWorkingFiles(m_run.dataFolder, beforeAttempt);
}

qint64 BatchEngine::elapsedMs() const {
    return m_endedMs.value_or(m_clock.elapsed());
}

QList<pid_t> BatchEngine::processGroups() const {
    QList<pid_t> groups;
    for (const std::unique_ptr<CMDLauncher> &launcher : m_launchers) {
        if (launcher && launcher->isRunning())
            groups.append(launcher->processGroup());
    }
    return groups;
}
