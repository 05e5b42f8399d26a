#pragma once

#include "core/filelist/VideoFrameReader.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Frames of one file, decoded on a thread of their own so that the window
// that asks for them never waits. Only the newest request counts: a request
// made while an earlier one is still being decoded stops that work, and the
// earlier one gets no answer. The reader stays open between requests, so a
// later time nearby is found quickly.
class FrameLoader final : public QObject {
    Q_OBJECT
public:
    struct Result {
        QString path;
        double requested = 0;          // the time asked for
        VideoFrameReader::Frame frame; // a null image: no picture
        std::optional<MediaStats> stats;
    };

    explicit FrameLoader(QObject *parent = nullptr);
    ~FrameLoader() override;

    // The file of the next requests (opened by the thread). With `withStats`
    // the answers also carry the file's packet statistics: for short files.
    // An empty path closes the file.
    void setFile(const QString &path, bool withStats = false);
    QString file() const { return m_path; }

    // Asks for the frame shown at `seconds`, scaled as VideoFrameReader::frameAt
    // says; supersedes every earlier request.
    void request(double seconds, QSize fit = {});
    // Stops the work at hand; no answer follows for earlier requests.
    void cancel();
    // A request is being worked on or waits.
    bool isBusy() const { return m_pending; }

signals:
    void frameReady(const FrameLoader::Result &result);

private:
    struct Job {
        quint64 generation = 0;
        QString path;
        quint64 pathGeneration = 0;
        bool withStats = false;
        double seconds = 0;
        QSize fit;
        bool wanted = false; // false: only close or cancel
    };

    void work();
    void deliver(quint64 generation, const Result &result);

    QString m_path;
    bool m_pending = false;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    Job m_job; // the newest request, guarded by m_mutex
    quint64 m_pathGeneration = 0;
    bool m_withStats = false;
    bool m_quit = false; // guarded by m_mutex
    std::atomic<quint64> m_latest{0};
    std::thread m_thread;
};

Q_DECLARE_METATYPE(FrameLoader::Result)
