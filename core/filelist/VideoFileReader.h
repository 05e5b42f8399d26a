#pragma once

#include "core/filelist/VideoFileInfo.h"

#include <QObject>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads the media information of many files on worker threads, one file per
// worker at a time and in the order given, and hands the results out in that
// order. Each file is read as ExamineVideoFile reads it; a file on which the
// reading process fails twice counts as unreadable. Created and used on
// one thread (the user-interface thread, or mobivert-cli's); the workers
// start with the reader and stop when it goes.
class VideoFileReader final : public QObject {
    Q_OBJECT
public:
    // `workers` threads (at least one) read `paths`. With more than one, each
    // thread has the library read in a MediaInfoReader process of its own
    // when the program is there: inside one process the library's readers
    // wait for each other.
    VideoFileReader(const QStringList &paths, int workers, QObject *parent = nullptr);
    // As above, with `readerProgram` as the reading process; empty text
    // reads in this process.
    VideoFileReader(const QStringList &paths, int workers, const QString &readerProgram,
                    QObject *parent = nullptr);
    // Stops handing out files and waits for the files being read.
    ~VideoFileReader() override;

    qsizetype count() const { return m_paths.size(); }

    // The file at `index`, once it has been read; nothing before.
    std::optional<VideoFileInfo> result(qsizetype index) const;
    // Waits for the file at `index`, letting the thread's events run
    // meanwhile, and returns it. Nothing when the file will never be read:
    // the reading was stopped before it began.
    std::optional<VideoFileInfo> waitFor(qsizetype index);

    // No further file is begun once this returns; the files being read are
    // finished.
    void stop();
    bool stopped() const;
    // How many files have been begun (read, or being read).
    qsizetype begun() const;

signals:
    // A worker has read a file. Emitted on the worker's thread; it wakes the
    // thread that waits for results.
    void fileRead(qsizetype index);

private:
    void work();

    const QStringList m_paths;     // read by every worker: never detached
    const QString m_readerProgram; // read by every worker
    std::vector<std::optional<VideoFileInfo>> m_results;
    mutable std::mutex m_mutex; // guards the results, m_next and m_stopped
    qsizetype m_next = 0;       // the next file to begin
    bool m_stopped = false;
    std::vector<std::thread> m_workers;
};
