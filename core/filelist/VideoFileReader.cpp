#include "core/filelist/VideoFileReader.h"

#include "core/filelist/MediaInfoChild.h"

#include <QCoreApplication>

#include <algorithm>

VideoFileReader::VideoFileReader(const QStringList &paths, int workers, QObject *parent)
    : VideoFileReader(paths, workers, workers > 1 ? MediaInfoReaderProgram() : QString(), parent) {}

VideoFileReader::VideoFileReader(const QStringList &paths, int workers,
                                 const QString &readerProgram, QObject *parent)
    : QObject(parent)
    , m_paths(paths)
    , m_readerProgram(readerProgram)
    , m_results(std::size_t(paths.size())) {
    // The signal reaches this object through its thread's event queue, which
    // is what wakes a thread waiting in waitFor().
    connect(
        this, &VideoFileReader::fileRead, this, [] {}, Qt::QueuedConnection);
    const qsizetype threads = std::clamp<qsizetype>(workers, 1, std::max<qsizetype>(1, count()));
    m_workers.reserve(std::size_t(threads));
    for (qsizetype i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

VideoFileReader::~VideoFileReader() {
    stop();
    for (std::thread &worker : m_workers)
        worker.join();
}

namespace {

// The answers for `path` from `child`, tried twice; nothing when the child
// cannot be started, and the answers of an unreadable file when the library
// failed on it both times.
std::optional<MediaInfoAnswers> askChild(MediaInfoChild &child, const QString &path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!child.start())
            return std::nullopt;
        if (std::optional<MediaInfoAnswers> answers = child.query(path))
            return answers;
    }
    return MediaInfoAnswers{};
}

} // namespace

void VideoFileReader::work() {
    // Started on this thread, so that it ends with it at the latest.
    std::optional<MediaInfoChild> child;
    if (!m_readerProgram.isEmpty())
        child.emplace(m_readerProgram);
    for (;;) {
        qsizetype index = 0;
        {
            // Under the lock, so that no file begins once stop() has returned.
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopped || m_next >= count())
                return;
            index = m_next++;
        }
        const QString &path = m_paths.at(index);
        std::optional<MediaInfoAnswers> answers;
        if (child && !(answers = askChild(*child, path)))
            child.reset(); // no process to be had: this thread reads itself
        VideoFileInfo info = answers ? ConvertMediaInfoAnswers(*answers) : ExamineVideoFile(path);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_results[std::size_t(index)] = std::move(info);
        }
        emit fileRead(index);
    }
}

std::optional<VideoFileInfo> VideoFileReader::result(qsizetype index) const {
    if (index < 0 || index >= count())
        return std::nullopt;
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_results[std::size_t(index)];
}

std::optional<VideoFileInfo> VideoFileReader::waitFor(qsizetype index) {
    if (index < 0 || index >= count())
        return std::nullopt;
    for (;;) {
        if (std::optional<VideoFileInfo> info = result(index))
            return info;
        if (index >= begun() && stopped())
            return std::nullopt;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void VideoFileReader::stop() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
}

bool VideoFileReader::stopped() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
}

qsizetype VideoFileReader::begun() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_next;
}
