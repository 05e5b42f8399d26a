#include "core/filelist/MediaInfoChild.h"

#include "core/platform/PathBytes.h"

#include "core/platform/ApplicationFolder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

MediaInfoChild::MediaInfoChild(const QString &program)
    : m_program(QFile::encodeName(program)) {}

MediaInfoChild::~MediaInfoChild() {
    end();
}

bool MediaInfoChild::start() {
    if (running())
        return true;
    // One socket serves as the process's input and output; a socket, because
    // writing to one whose reader has gone fails instead of raising SIGPIPE.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes);
    // The process takes the usual signals, whatever this thread blocks or
    // ignores.
    sigset_t none, usual;
    sigemptyset(&none);
    sigemptyset(&usual);
    for (int number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        sigaddset(&usual, number);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &usual);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    QByteArray parent = QByteArray::number(qint64(::getpid()));
    char *argv[] = {m_program.data(), parent.data(), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, m_program.constData(), &files, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[1]);
    if (failed != 0) {
        ::close(ends[0]);
        return false;
    }
    m_pid = pid;
    m_socket = ends[0];
    m_buffer.clear();
    if (readField() == QStringLiteral("ready"))
        return true;
    end();
    return false;
}

std::optional<MediaInfoAnswers> MediaInfoChild::query(const QString &path) {
    if (!running())
        return std::nullopt;
    QByteArray request = PathToBytes(path);
    request.append('\0');
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t n = ::send(m_socket, request.constData() + sent,
                                 std::size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            end();
            return std::nullopt;
        }
        sent += n;
    }
    MediaInfoAnswers answers;
    for (QString *field : answers.fields()) {
        std::optional<QString> text = readField();
        if (!text) {
            end();
            return std::nullopt;
        }
        *field = std::move(*text);
    }
    return answers;
}

std::optional<QString> MediaInfoChild::readField() {
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\0');
        if (end >= 0) {
            QString text = QString::fromUtf8(m_buffer.constData(), end);
            m_buffer.remove(0, end + 1);
            return text;
        }
        char chunk[4096];
        const ssize_t n = ::recv(m_socket, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        m_buffer.append(chunk, n);
    }
}

void MediaInfoChild::end() {
    if (m_socket >= 0) {
        // The end of its input ends the process; one that hangs is killed.
        ::shutdown(m_socket, SHUT_WR);
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_pid > 0) {
        int status = 0;
        for (int waited = 0;; ++waited) {
            const pid_t ended = ::waitpid(m_pid, &status, WNOHANG);
            if (ended == m_pid || (ended < 0 && errno != EINTR))
                break;
            if (waited == 200)
                ::kill(m_pid, SIGKILL);
            ::usleep(waited < 200 ? 5000 : 1000);
        }
        m_pid = -1;
    }
}

QString MediaInfoReaderProgram() {
    const QString program = ApplicationFolder() + QStringLiteral("/Components/MediaInfoReader.exe");
    return QFileInfo(program).isExecutable() ? program : QString();
}
