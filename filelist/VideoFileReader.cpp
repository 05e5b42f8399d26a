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
        if (m_stopped)
            return;
        const qsizetype index = m_next.fetch_add(1);
        if (index >= count())
            return;
        VideoFileInfo info = ExamineVideoFile(m_paths[index]);
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
        if (m_stopped && index >= begun())
            return std::nullopt;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void VideoFileReader::stop() {
    m_stopped = true;
}

qsizetype VideoFileReader::begun() const {
    return std::min(m_next.load(), count());
}
