// MediaInfoReader: answers Mobivert's media-information queries, one file
// after another, for as long as its input lasts.
//
// Input: file paths, each as the bytes of the file's name and ended by a NUL
// byte. Output: first
// "ready" and a NUL, then for each path the answers of QueryMediaInfo in the
// order of MediaInfoAnswers::fields(), each in UTF-8 and ended by a NUL. It ends at the end of its
// input, and with the thread that started it.

#include "core/filelist/MediaInfoDLL.h"
#include "core/platform/PathBytes.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool writeField(const QString &text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\0', QByteArray()); // the field's end marker
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
               std::size_t(bytes.size()) &&
           std::fputc('\0', stdout) != EOF;
}

} // namespace

int main(int argc, char **argv) {
    // Started by a reader thread of the process named in argv[1]: gone with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc < 2 || ::getppid() != std::atoi(argv[1]))
        return 1;
    // Nothing of the parent's beyond the three standard streams.
    ::syscall(SYS_close_range, 3U, ~0U, 0U);

    if (!writeField(QStringLiteral("ready")) || std::fflush(stdout) != 0)
        return 1;
    char *line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = ::getdelim(&line, &capacity, '\0', stdin)) > 0) {
        if (line[length - 1] != '\0')
            break; // a path cut short: the reader has gone
        MediaInfoAnswers answers = QueryMediaInfo(PathFromBytes(QByteArray(line, length - 1)));
        for (const QString *field : answers.fields())
            if (!writeField(*field))
                return 1;
        if (std::fflush(stdout) != 0)
            return 1;
    }
    std::free(line);
    return 0;
}
