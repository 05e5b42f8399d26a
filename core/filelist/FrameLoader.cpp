#include "core/filelist/FrameLoader.h"

FrameLoader::FrameLoader(QObject *parent)
    : QObject(parent) {
    qRegisterMetaType<FrameLoader::Result>();
    m_thread = std::thread([this] { work(); });
}

FrameLoader::~FrameLoader() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_latest.fetch_add(1); // stops the work at hand
    m_wake.notify_all();
    m_thread.join();
}

void FrameLoader::setFile(const QString &path, bool withStats) {
    m_path = path;
    m_withStats = withStats;
    ++m_pathGeneration;
    cancel(); // an answer about the earlier file is no longer wanted
}

void FrameLoader::request(double seconds, QSize fit) {
    {
        std::lock_guard lock(m_mutex);
        m_job = {m_latest.load() + 1, m_path, m_pathGeneration, m_withStats, seconds, fit, true};
        m_latest.store(m_job.generation);
    }
    m_pending = true;
    m_wake.notify_all();
}

void FrameLoader::cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_job = {m_latest.load() + 1, m_path, m_pathGeneration, m_withStats, 0, {}, false};
        m_latest.store(m_job.generation);
    }
    m_pending = false;
    m_wake.notify_all();
}

void FrameLoader::deliver(quint64 generation, const Result &result) {
    // On this object's thread: only the newest request is answered.
    if (generation != m_latest.load())
        return;
    m_pending = false;
    emit frameReady(result);
}

void FrameLoader::work() {
    std::atomic<quint64> serving{0};
    const auto cancelled = [this, &serving] {
        return m_latest.load() != serving.load();
    };
    std::unique_ptr<VideoFrameReader> reader;
    std::optional<MediaStats> stats;
    quint64 openPathGeneration = 0;
    quint64 served = 0;

    while (true) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_quit || m_job.generation != served; });
            if (m_quit)
                return;
            job = m_job;
            served = job.generation;
        }
        serving.store(job.generation);
        if (job.pathGeneration != openPathGeneration || job.path.isEmpty()) {
            reader.reset();
            stats.reset();
            openPathGeneration = 0;
        }
        if (!job.wanted || job.path.isEmpty())
            continue;
        if (!reader) {
            reader = std::make_unique<VideoFrameReader>(job.path, cancelled);
            if (cancelled()) {
                reader.reset(); // its opening was cut short
                continue;
            }
            openPathGeneration = job.pathGeneration;
        }
        if (job.withStats && !stats)
            stats = ReadMediaStats(job.path, cancelled);
        Result result{job.path, job.seconds, reader->frameAt(job.seconds, job.fit), stats};
        if (result.frame.cancelled || cancelled())
            continue;
        QMetaObject::invokeMethod(
            this, [this, generation = job.generation, result] { deliver(generation, result); },
            Qt::QueuedConnection);
    }
}
