#include "core/convert/BatchProgress.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

// What a row weighs in the whole batch's progress.
qint64 weightOf(const RowProgress &row) {
    return std::max<qint64>(row.totalSeconds, 1);
}

} // namespace

QString RowStateText(RowProgress::State state) {
    switch (state) {
    case RowProgress::State::Waiting:
        return QStringLiteral("Waiting");
    case RowProgress::State::Converting:
        return QStringLiteral("Converting");
    case RowProgress::State::Converted:
        return QStringLiteral("Converted");
    case RowProgress::State::Failed:
        return QStringLiteral("Failed");
    case RowProgress::State::Cancelled:
        return QStringLiteral("Cancelled");
    }
    return {};
}

QString RowStatusText(const RowProgress &row) {
    return row.copied && row.state == RowProgress::State::Converted ? CopiedStatus
                                                                    : RowStateText(row.state);
}

QString BatchEndNotice(int converted, int failed, int total, bool cancelled) {
    if (cancelled)
        return QStringLiteral("Conversion cancelled");
    const QString files = total == 1 ? QStringLiteral("file") : QStringLiteral("files");
    if (converted == total)
        return total == 1 ? QStringLiteral("1 file converted")
                          : QStringLiteral("All %1 files converted").arg(total);
    QString text = QStringLiteral("%1 of %2 %3 converted").arg(converted).arg(total).arg(files);
    if (failed > 0)
        text += QStringLiteral(", %1 failed").arg(failed);
    return text;
}

BatchProgress::BatchProgress(const QString &converterPath, const QString &trackDropPath,
                             const QList<BatchRow> &rows, int lanes)
    : m_converterPath(converterPath)
    , m_trackDropPath(trackDropPath)
    , m_batchRows(rows) {
    for (const BatchRow &row : rows)
        m_rows.append(
            {row.inputPath, 0, row.totalSeconds, 0, RowProgress::State::Waiting, false, {}, false});
    m_rowErrors.fill(false, rows.size());
    m_taken.fill(false, rows.size());
    for (int lane = 0; lane < lanes; ++lane)
        m_lanes.emplace_back(converterPath, trackDropPath, QList<BatchRow>());
    m_laneRows.resize(lanes);
    m_laneBusy.fill(false, lanes);
    m_laneFile.fill(0, lanes);
    m_laneErrors.fill(0, lanes);
}

BatchProgress::BatchProgress(const QString &converterPath, const QString &trackDropPath,
                             const QList<BatchRow> &rows)
    : BatchProgress(converterPath, trackDropPath, rows, 1) {
    QList<int> all(rows.size());
    std::iota(all.begin(), all.end(), 0);
    startRun(0, all);
}

BatchProgress BatchProgress::idleLanes(const QString &converterPath, const QString &trackDropPath,
                                       const QList<BatchRow> &rows, int lanes) {
    return BatchProgress(converterPath, trackDropPath, rows, std::max(1, lanes));
}

void BatchProgress::startRun(int lane, const QList<int> &rows) {
    QList<BatchRow> runRows;
    for (const int row : rows) {
        runRows.append(m_batchRows[row]);
        m_rows[row].lane = lane;
        m_taken[row] = true;
    }
    m_lanes[std::size_t(lane)] = ConversionProgress(m_converterPath, m_trackDropPath, runRows);
    m_laneRows[lane] = rows;
    m_laneBusy[lane] = true;
    m_laneFile[lane] = 0;
    m_laneErrors[lane] = 0;
}

void BatchProgress::failRow(int row, const QString &message) {
    m_taken[row] = true;
    m_errors.append({row, message});
    m_rowErrors[row] = true;
    endRow(row);
}

int BatchProgress::nextRow() const {
    const qsizetype row = m_taken.indexOf(false);
    return int(row);
}

int BatchProgress::laneRow(int lane) const {
    const int file = m_laneFile[lane];
    if (file == 0 || !m_laneBusy[lane])
        return -1;
    return m_laneRows[lane][file - 1];
}

bool BatchProgress::laneFinished(int lane) const {
    return !m_laneBusy[lane] && nextRow() < 0;
}

void BatchProgress::feed(int lane, QByteArrayView chunk) {
    m_lanes[std::size_t(lane)].feed(chunk);
    update(lane);
}

void BatchProgress::finishLane(int lane) {
    if (!m_laneBusy[lane])
        return;
    m_lanes[std::size_t(lane)].finish();
    update(lane);
    if (const int row = laneRow(lane); row >= 0)
        endRow(row);
    m_laneBusy[lane] = false;
}

bool BatchProgress::finished() const {
    return nextRow() < 0 &&
           std::none_of(m_laneBusy.begin(), m_laneBusy.end(), [](bool busy) { return busy; });
}

void BatchProgress::update(int lane) {
    const ConversionProgress &progress = m_lanes[std::size_t(lane)];
    const QList<int> &rows = m_laneRows[lane];

    for (int k = m_laneErrors[lane]; k < progress.errors().size(); ++k) {
        const int row = rows.value(progress.errorFiles().value(k) - 1, -1);
        if (row < 0)
            continue;
        m_errors.append({row, progress.errors()[k]});
        m_rowErrors[row] = true;
        if (m_rows[row].state == RowProgress::State::Converted)
            m_rows[row].state = RowProgress::State::Failed;
    }
    m_laneErrors[lane] = int(progress.errors().size());

    for (auto copy = progress.copies().cbegin(); copy != progress.copies().cend(); ++copy) {
        if (const int row = rows.value(copy.key() - 1, -1); row >= 0) {
            m_rows[row].copied = true;
            m_rows[row].copyNote = copy.value();
        }
    }

    for (const int file : progress.handedOff()) {
        if (const int row = rows.value(file - 1, -1); row >= 0)
            m_rows[row].handedOff = true;
    }

    // A file that begins ends the one before it in the same lane.
    const int current = std::min<int>(progress.currentFile(), int(rows.size()));
    for (int file = m_laneFile[lane] + 1; file <= current; ++file) {
        if (file >= 2)
            endRow(rows[file - 2]);
        m_rows[rows[file - 1]].state = RowProgress::State::Converting;
    }
    m_laneFile[lane] = std::max(m_laneFile[lane], current);

    if (const int row = laneRow(lane); row >= 0)
        m_rows[row].secondsDone = progress.currentValue();
}

void BatchProgress::endRow(int row) {
    RowProgress &ended = m_rows[row];
    ended.state = m_rowErrors[row] ? RowProgress::State::Failed : RowProgress::State::Converted;
    ended.secondsDone = ended.totalSeconds;
}

int BatchProgress::filesDone() const {
    return int(std::count_if(m_rows.begin(), m_rows.end(), [](const RowProgress &row) {
        return row.state == RowProgress::State::Converted ||
               row.state == RowProgress::State::Failed;
    }));
}

int BatchProgress::filesIn(RowProgress::State state) const {
    return int(std::count_if(m_rows.begin(), m_rows.end(),
                             [state](const RowProgress &row) { return row.state == state; }));
}

int BatchProgress::filesRunning() const {
    return int(std::count_if(m_rows.begin(), m_rows.end(), [](const RowProgress &row) {
        return row.state == RowProgress::State::Converting;
    }));
}

int BatchProgress::currentFile() const {
    if (oneLane())
        return m_lanes.front().currentFile();
    for (int row = rowCount() - 1; row >= 0; --row) {
        if (m_rows[row].state != RowProgress::State::Waiting)
            return row + 1;
    }
    return 0;
}

int BatchProgress::currentValue() const {
    if (oneLane())
        return m_lanes.front().currentValue();
    const int file = currentFile();
    return file == 0 ? 0 : clampToInt(m_rows[file - 1].secondsDone);
}

QString BatchProgress::currentFileText() const {
    if (oneLane())
        return m_lanes.front().currentFileText();
    if (finished())
        return QStringLiteral("Finished!");
    if (currentFile() == 0)
        return QStringLiteral("Initializing...");
    return QStringLiteral("Processing Files: %1 of %2 done, %3 running...")
        .arg(filesDone())
        .arg(rowCount())
        .arg(filesRunning());
}

QString BatchProgress::caption() const {
    if (finished())
        return ConversionProgress::BaseCaption + u"Finished!";
    if (totalValue() == 0)
        return ConversionProgress::BaseCaption;
    // The whole batch's share, with one lane too, in whole per cent as the
    // progress bars show it: it never falls back as a new file begins.
    const qint64 percent =
        std::clamp<qint64>(totalValue() * 100 / std::max<qint64>(totalMaximum(), 1), 0, 100);
    return ConversionProgress::BaseCaption + u'(' + QString::number(percent) + u"%)";
}

qint64 BatchProgress::secondsTotal() const {
    qint64 total = 0;
    for (const RowProgress &row : m_rows)
        total += weightOf(row);
    return std::max<qint64>(total, 1);
}

qint64 BatchProgress::secondsDone() const {
    if (finished())
        return secondsTotal();
    double done = 0, whole = 0;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const RowProgress &row = m_rows[i];
        const double weight = m_costs.size() == m_rows.size() ? m_costs[i] : double(weightOf(row));
        whole += weight;
        if (row.state == RowProgress::State::Converted || row.state == RowProgress::State::Failed)
            done += weight;
        else if (row.state == RowProgress::State::Converting)
            done +=
                weight * double(std::min(row.secondsDone, weightOf(row))) / double(weightOf(row));
    }
    const double share = whole > 0 ? done / whole : 0;
    return std::min(secondsTotal(), qint64(std::floor(share * double(secondsTotal()) + 1e-6)));
}

int BatchProgress::totalMaximum() const {
    return clampToInt(secondsTotal());
}

int BatchProgress::totalValue() const {
    return clampToInt(secondsDone());
}

void BatchProgress::cancel() {
    for (RowProgress &row : m_rows) {
        if (row.state == RowProgress::State::Waiting || row.state == RowProgress::State::Converting)
            row.state = RowProgress::State::Cancelled;
    }
}

QStringList BatchProgress::rowErrors(int row) const {
    QStringList messages;
    for (const RowError &error : m_errors) {
        if (error.row == row)
            messages.append(error.message);
    }
    return messages;
}

QStringList BatchProgress::errors() const {
    if (oneLane())
        return m_lanes.front().errors();
    QList<RowError> sorted = m_errors;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const RowError &a, const RowError &b) { return a.row < b.row; });
    QStringList messages;
    for (const RowError &error : sorted)
        messages.append(error.message);
    return messages;
}

QString BatchProgress::errorMessages() const {
    QString text;
    for (const QString &error : errors())
        text += u'-' + error + u"\r\n";
    return text;
}
