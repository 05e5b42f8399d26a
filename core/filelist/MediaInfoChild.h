#pragma once

#include "core/filelist/MediaInfoDLL.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

// One MediaInfoReader process, driven by the thread that started it: a path
// goes in, the answers of QueryMediaInfo come back. The process ends
// when this object goes, and with the thread that started it.
class MediaInfoChild final {
public:
    explicit MediaInfoChild(const QString &program);
    ~MediaInfoChild();
    MediaInfoChild(const MediaInfoChild &) = delete;
    MediaInfoChild &operator=(const MediaInfoChild &) = delete;

    // Starts the process, unless it runs, and waits for it to say it is
    // ready. False when it cannot be started or ends first.
    bool start();
    bool running() const { return m_pid > 0; }

    // The answers for `path`. Nothing when the process ended instead of
    // answering (the library failed on the file); it is gone afterwards.
    std::optional<MediaInfoAnswers> query(const QString &path);

private:
    std::optional<QString> readField();
    void end();

    QByteArray m_program;
    pid_t m_pid = -1;
    int m_socket = -1;
    QByteArray m_buffer; // read, not yet taken
};

// The MediaInfoReader program in the application's Components folder, or
// empty text when it is not there.
QString MediaInfoReaderProgram();
