#include "cli/CliConversion.h"

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "core/base/Various.h"
#include "core/convert/SourceNotes.h"

#include <algorithm>
#include <csignal>

namespace {

BatchRun runOf(const QString &dataFolder, const BatchPlan &plan,
               const std::optional<BatchRecord> &record) {
    BatchRun run;
    run.dataFolder = dataFolder;
    run.rows = plan.rows;
    run.lanes = plan.lanes;
    run.record = record;
    run.commands = plan.commands;
    run.lineRows = plan.lineRows;
    return run;
}

} // namespace

CliConversion::CliConversion(const QString &dataFolder, const BatchPlan &plan, CliOutput &output,
                             const std::optional<BatchRecord> &record)
    : m_dataFolder(dataFolder)
    , m_plan(plan)
    , m_output(output)
    , m_engine(runOf(dataFolder, plan, record)) {
    m_announcedRows.fill(false, plan.rows.size());
    m_shownRowValues.fill(-1, plan.rows.size());
    connect(&m_engine, &BatchEngine::progressed, this, &CliConversion::showOutput);
    connect(&m_engine, &BatchEngine::ended, this, &CliConversion::batchEnded);
}

CliConversion::~CliConversion() = default; // the engine ends what still runs

void CliConversion::start() {
    if (m_ended) // cancelled before it began
        return;
    if (m_engine.start()) {
        const QString &failure = m_engine.recordFailure();
        if (failure.isEmpty())
            return;
        if (m_output.json())
            m_output.object({{QStringLiteral("event"), QStringLiteral("unresumable")},
                             {QStringLiteral("message"), failure}});
        else
            m_output.problem(failure);
        return;
    }
    m_ended = true;
    m_output.problem(
        QStringLiteral("the batch could not be started (error %1)").arg(m_engine.startError()));
    m_engine.cleanUp();
    emit finished(ExitFailed);
}

void CliConversion::pause() {
    if (m_ended || m_engine.isPaused())
        return;
    m_engine.pause();
    if (!m_output.json())
        m_output.line(QStringLiteral("Paused; fg continues."));
    else
        m_output.object({{QStringLiteral("event"), QStringLiteral("paused")}});
}

void CliConversion::resume() {
    if (!m_engine.isPaused())
        return;
    m_engine.resume();
    if (!m_output.json())
        m_output.line(QStringLiteral("Continuing..."));
    else
        m_output.object({{QStringLiteral("event"), QStringLiteral("continued")}});
}

void CliConversion::cancel(int signalNumber) {
    if (m_ended)
        return;
    m_ended = true;
    if (!m_output.json())
        m_output.line(QStringLiteral("Cancelling..."));
    // Ctrl+C is the user's decision; a logout or a closed terminal keeps
    // the batch for --resume.
    m_engine.cancel(signalNumber != SIGINT);
    m_engine.cleanUp();
    report(true);
    if (m_engine.leftForResume() && !m_output.json())
        m_output.line(QStringLiteral("Run mobivert-cli --resume to convert the rest."));
    emit finished(128 + signalNumber);
}

void CliConversion::showOutput(int lane) {
    if (m_ended)
        return;
    announceFiles();
    showProgress(lane);
}

void CliConversion::batchEnded() {
    m_ended = true;
    m_engine.cleanUp();
    const bool allConverted = report(false) == m_plan.rows.size();
    emit finished(allConverted && progress().errors().isEmpty() ? ExitConverted : ExitFailed);
}

void CliConversion::announceFiles() {
    if (progress().laneCount() > 1) {
        // Files begin in every lane; each is announced once it has begun.
        for (int row = 0; row < progress().rowCount(); ++row) {
            if (!m_announcedRows[row] &&
                progress().rows()[row].state != RowProgress::State::Waiting) {
                m_announcedRows[row] = true;
                announceFile(row + 1);
            }
        }
        return;
    }
    while (m_announcedFile < progress().currentFile()) {
        announceFile(++m_announcedFile);
        m_shownStep = -1;
    }
}

void CliConversion::announceFile(int number) {
    const QString &input = m_plan.rows[number - 1].inputPath;
    const QString &output = m_plan.outputPaths[number - 1];
    // What the converter does for this source, from the row's conversion
    // command (its first).
    const qsizetype command = m_plan.lineRows.indexOf(number - 1);
    const QString adapted = command >= 0 ? SourceNotesFor(m_plan.commands[command]) : QString();
    if (m_output.json()) {
        QJsonObject event{{QStringLiteral("event"), QStringLiteral("file")},
                          {QStringLiteral("number"), number},
                          {QStringLiteral("of"), progress().rowCount()},
                          {QStringLiteral("input"), input},
                          {QStringLiteral("output"), output},
                          {QStringLiteral("adapted"), adapted}};
        if (progress().laneCount() > 1)
            event.insert(QStringLiteral("lane"), progress().rows()[number - 1].lane + 1);
        m_output.object(event);
    } else {
        m_output.line(QStringLiteral("File %1 of %2: ").arg(number).arg(progress().rowCount()) +
                      input + QStringLiteral(" -> ") + output);
        if (!adapted.isEmpty())
            m_output.line(QStringLiteral("  Adapted to the source: ") + adapted);
    }
}

void CliConversion::showProgress(int lane) {
    if (progress().laneCount() > 1) {
        showBatchProgress(lane);
        return;
    }
    const int number = progress().currentFile();
    if (number == 0 || progress().finished())
        return;
    const qint64 value = progress().currentValue();
    const qint64 maximum = progress().lane(0).currentMaximum();
    // A tenth of the file, or any change on a terminal or for programs.
    const int step = maximum > 0 ? int(value * 10 / maximum) : 0;
    const int shown = m_output.interactive() || m_output.json() ? int(value) : step;
    if (shown == m_shownStep)
        return;
    m_shownStep = shown;

    const qint64 elapsedMs = m_engine.elapsedMs();
    const std::optional<qint64> left = m_engine.secondsLeft();
    if (m_output.json()) {
        m_output.object(
            {{QStringLiteral("event"), QStringLiteral("progress")},
             {QStringLiteral("number"), number},
             {QStringLiteral("of"), progress().rowCount()},
             {QStringLiteral("seconds"), value},
             {QStringLiteral("duration"), maximum},
             {QStringLiteral("percent"),
              ConversionProgress::percentage(value, std::max<qint64>(maximum, 1)).toDouble()},
             {QStringLiteral("elapsed"), elapsedMs / 1000},
             {QStringLiteral("remaining"), left ? QJsonValue(*left) : QJsonValue()}});
        return;
    }
    m_output.progress(ProgressText::Line(value, maximum, elapsedMs, left));
}

void CliConversion::showBatchProgress(int lane) {
    if (progress().finished())
        return;
    const qint64 value = progress().totalValue();
    const qint64 maximum = progress().totalMaximum();
    const qint64 elapsedMs = m_engine.elapsedMs();
    const std::optional<qint64> left = m_engine.secondsLeft();
    if (m_output.json()) {
        // The row this lane converts, when it has moved on.
        const int row = progress().laneRow(lane);
        if (row < 0)
            return;
        const RowProgress &converting = progress().rows()[row];
        if (converting.secondsDone == m_shownRowValues[row])
            return;
        m_shownRowValues[row] = converting.secondsDone;
        m_output.object({{QStringLiteral("event"), QStringLiteral("progress")},
                         {QStringLiteral("number"), row + 1},
                         {QStringLiteral("of"), progress().rowCount()},
                         {QStringLiteral("lane"), lane + 1},
                         {QStringLiteral("seconds"), converting.secondsDone},
                         {QStringLiteral("duration"), converting.totalSeconds},
                         {QStringLiteral("percent"),
                          ConversionProgress::percentage(
                              std::min(converting.secondsDone, converting.totalSeconds),
                              std::max<qint64>(converting.totalSeconds, 1))
                              .toDouble()},
                         {QStringLiteral("elapsed"), elapsedMs / 1000},
                         {QStringLiteral("remaining"), left ? QJsonValue(*left) : QJsonValue()}});
        return;
    }
    // The whole batch: every change on a terminal, each tenth elsewhere.
    const int shown =
        m_output.interactive() ? int(value) : int(value * 10 / std::max<qint64>(maximum, 1));
    if (shown == m_shownStep)
        return;
    m_shownStep = shown;
    m_output.progress(ProgressText::Line(value, maximum, elapsedMs, left) +
                      QStringLiteral("  %1 of %2 done, %3 running")
                          .arg(progress().filesDone())
                          .arg(progress().rowCount())
                          .arg(progress().filesRunning()));
}

bool CliConversion::reportRow(qsizetype i, QStringList &lines) {
    const QString &input = m_plan.rows[i].inputPath;
    const QString &output = m_plan.outputPaths[i];
    const QString &thumbnail = m_plan.thumbnailPaths.value(i);
    const bool done = FileExists(output);
    const bool thumbnailDone = !thumbnail.isEmpty() && FileExists(thumbnail);
    const RowProgress &row = progress().rows()[i];
    if (m_output.json()) {
        QJsonObject result{{QStringLiteral("event"), QStringLiteral("result")},
                           {QStringLiteral("number"), int(i + 1)},
                           {QStringLiteral("input"), input},
                           {QStringLiteral("output"), output},
                           {QStringLiteral("converted"), done},
                           {QStringLiteral("copied"), done && row.copied}};
        if (!thumbnail.isEmpty())
            result.insert(QStringLiteral("thumbnail"),
                          thumbnailDone ? QJsonValue(thumbnail) : QJsonValue());
        m_output.object(result);
        return done;
    }
    lines.append(QStringLiteral("  ") + input +
                 (done ? QStringLiteral(" -> ") + output : QStringLiteral(": not converted")));
    if (done && row.copied)
        lines.append(QStringLiteral("    ") + CopiedStatus +
                     (row.copyNote.isEmpty() ? QString() : QStringLiteral("; ") + row.copyNote));
    if (done && thumbnailDone)
        lines.append(QStringLiteral("    thumbnail ") + thumbnail);
    return done;
}

void CliConversion::reportTotals(bool cancelled, int converted, const QStringList &lines) {
    const QStringList errors = progress().errors();
    const qsizetype count = m_plan.rows.size();
    if (m_output.json()) {
        for (const QString &error : errors)
            m_output.problem(error);
        m_output.object({{QStringLiteral("event"), QStringLiteral("done")},
                         {QStringLiteral("converted"), converted},
                         {QStringLiteral("failed"), int(count) - converted},
                         {QStringLiteral("cancelled"), cancelled},
                         {QStringLiteral("elapsed"), m_engine.elapsedMs() / 1000}});
        return;
    }
    const QString elapsed = FormatDuration(m_engine.elapsedMs() / 1000);
    const QString files = count == 1 ? QStringLiteral("file") : QStringLiteral("files");
    if (cancelled)
        m_output.line(QStringLiteral("Cancelled after %1: %2 of %3 %4 had been converted; "
                                     "nothing half-written was left behind.")
                          .arg(elapsed)
                          .arg(converted)
                          .arg(count)
                          .arg(files));
    else
        m_output.line(QStringLiteral("Finished in %1: %2 of %3 %4 converted.")
                          .arg(elapsed)
                          .arg(converted)
                          .arg(count)
                          .arg(files));
    for (const QString &line : lines)
        m_output.line(line);
    for (const QString &error : errors)
        m_output.problem(error);
}

int CliConversion::report(bool cancelled) {
    int converted = 0;
    QStringList lines; // each row's outcome, under the totals
    for (qsizetype i = 0; i < m_plan.rows.size(); ++i)
        converted += reportRow(i, lines) ? 1 : 0;
    reportTotals(cancelled, converted, lines);
    return converted;
}
