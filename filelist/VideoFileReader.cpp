#include "filelist/VideoFileReader.h"

#include <QCoreApplication>

#include <algorithm>

VideoFileReader::VideoFileReader(const QStringList &paths, int workers, QObject *parent)
    : QObject(parent)
    , m_paths(paths)
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

void VideoFileReader::work() {
    for (;;) {
        qsizetype index = 0;
        {
            // Under the lock, so that no file begins once stop() has returned.
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopped || m_next >= count())
                return;
            index = m_next++;
        }
        VideoFileInfo info = ExamineVideoFile(m_paths.at(index));
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
