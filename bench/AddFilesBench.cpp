#include "bench/AddFilesBench.h"

#include "app/Prompts.h"
#include "app/frmMain.h"
#include "filelist/FileListController.h"
#include "filelist/VideoFileAdder.h"
#include "filelist/VideoFileInfo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

extern char **environ;

namespace {

// Answers every question with No and shows nothing: a benchmark must not
// wait for a click.
class SilentPrompts final : public Prompts {
public:
    SilentPrompts() { SetPrompts(this); }
    ~SilentPrompts() override { SetPrompts(nullptr); }
    SilentPrompts(const SilentPrompts &) = delete;
    SilentPrompts &operator=(const SilentPrompts &) = delete;

    void message(QWidget *, Icon, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    QStringList openFiles(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    QString chooseFolder(QWidget *, const QString &, const QString &) override { return {}; }
    void openUrl(const QUrl &) override {}
    int exec(QDialog *) override { return 0; }
};

qint64 statusKiB(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const QRegularExpression line(QString::fromLatin1(field) + QStringLiteral(":\\s+(\\d+)"));
    const QRegularExpressionMatch match = line.match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Starts a new peak: the kernel sets the high-water mark to the current size.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Measures a piece of work done in this process.
template<typename Work>
AddFilesMeasurement measureHere(const QString &name, int files, Work work) {
    AddFilesMeasurement m;
    m.name = name;
    m.files = files;
    resetPeak();
    const qint64 before = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    work();
    m.seconds = timer.nsecsElapsed() / 1e9;
    m.peakKiB = statusKiB("VmHWM");
    if (before >= 0 && m.peakKiB >= 0)
        m.extraKiB = m.peakKiB - before;
    return m;
}

bool makeSampleClip(const QString &path) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                  QStringLiteral("-i"), QStringLiteral("testsrc2=size=160x120:rate=25:duration=1"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=1000:sample_rate=44100:duration=1"),
                  QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                  QStringLiteral("libmp3lame"), QStringLiteral("file:") + path});
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0;
}

QStringList makeFiles(const QString &folder, int count, QString *error) {
    const QString sample = QDir(folder).filePath(QStringLiteral("sample.avi"));
    if (!makeSampleClip(sample)) {
        *error = QStringLiteral("ffmpeg could not make the sample clip");
        return {};
    }
    QStringList files;
    for (int i = 1; i <= count; ++i) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("clip %1.avi").arg(i, 4, 10, QLatin1Char('0')));
        if (!QFile::copy(sample, path)) {
            *error = QStringLiteral("cannot copy the sample clip");
            return {};
        }
        files << path;
    }
    return files;
}

// Runs a program without a shell, its output discarded, and measures it
// alone: wait4 reports the peak memory of that one child.
AddFilesMeasurement measureProgram(const QString &name, int files, const QStringList &arguments) {
    AddFilesMeasurement m;
    m.name = name;
    m.files = files;
    std::vector<QByteArray> encoded;
    for (const QString &argument : arguments)
        encoded.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        m.note = QStringLiteral("%1 could not be started").arg(arguments.first());
        return m;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        m.note = QStringLiteral("%1 failed").arg(arguments.first());
        return m;
    }
    m.seconds = timer.nsecsElapsed() / 1e9;
    m.peakKiB = usage.ru_maxrss; // kilobytes on Linux
    return m;
}

} // namespace

QList<AddFilesMeasurement> RunAddFilesBench(int fileCount) {
    QList<AddFilesMeasurement> results;
    QTemporaryDir folder;
    QString error;
    const QStringList files =
        folder.isValid() ? makeFiles(folder.path(), fileCount, &error) : QStringList();
    if (files.isEmpty()) {
        AddFilesMeasurement failed;
        failed.name = QStringLiteral("add files");
        failed.note = error.isEmpty() ? QStringLiteral("no temporary folder") : error;
        return {failed};
    }
    // Warm the library up (it loads its tables on first use) and the disk
    // cache, so that every measurement sees the same conditions.
    ExamineVideoFile(files.first());
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    }

    results << measureHere(QStringLiteral("media queries (ExamineVideoFile)"), fileCount, [&] {
        for (const QString &path : files)
            ExamineVideoFile(path);
    });

    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        SilentPrompts silent;
        frmMain window; // never shown, never loaded: no settings are read or written
        AddFilesMeasurement add =
            measureHere(QStringLiteral("add to the list (main window)"), fileCount,
                        [&] { window.fileList().adder().AddDroppedFiles(files); });
        if (window.lvwVideoFiles->topLevelItemCount() != fileCount)
            add.note = QStringLiteral("only %1 rows were added")
                           .arg(window.lvwVideoFiles->topLevelItemCount());
        else
            add.note = QStringLiteral("rows, progress display, events once per file");
        results << add;
    } else {
        AddFilesMeasurement skipped;
        skipped.name = QStringLiteral("add to the list (main window)");
        skipped.note = QStringLiteral("needs a QApplication");
        results << skipped;
    }

    // The command-line tool with the same templates, one process for all files.
    const QString templatePath = folder.filePath(QStringLiteral("template.txt"));
    QFile templateFile(templatePath);
    if (templateFile.open(QIODevice::WriteOnly)) {
        templateFile.write("General;%FileName%|%PlayTime%\\n\nVideo;%Codec%|%Width%|%Height%\\n\n");
        templateFile.close();
    }
    QStringList arguments{QStringLiteral("mediainfo"), QStringLiteral("--Legacy=1"),
                          QStringLiteral("--Inform=file://") + templatePath};
    arguments << files;
    AddFilesMeasurement tool =
        measureProgram(QStringLiteral("mediainfo --Inform (one process)"), fileCount, arguments);
    if (tool.note.isEmpty())
        tool.note = QStringLiteral("separate process, peak of that process");
    results << tool;
    return results;
}

QStringList AddFilesBenchTable(const QList<AddFilesMeasurement> &measurements) {
    QStringList lines;
    lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                 .arg(QStringLiteral("measurement"), -36)
                 .arg(QStringLiteral("files"), 6)
                 .arg(QStringLiteral("seconds"), 8)
                 .arg(QStringLiteral("files/s"), 8)
                 .arg(QStringLiteral("peak MiB"), 9)
                 .arg(QStringLiteral("extra MiB"), 9);
    const auto mib = [](qint64 kib) {
        return kib < 0 ? QStringLiteral("-") : QString::number(kib / 1024.0, 'f', 1);
    };
    for (const AddFilesMeasurement &m : measurements) {
        QString line = QStringLiteral("%1 %2 %3 %4 %5 %6")
                           .arg(m.name, -36)
                           .arg(m.files, 6)
                           .arg(QString::number(m.seconds, 'f', 2), 8)
                           .arg(QString::number(m.filesPerSecond(), 'f', 0), 8)
                           .arg(mib(m.peakKiB), 9)
                           .arg(mib(m.extraKiB), 9);
        if (!m.note.isEmpty())
            line += QStringLiteral("  (") + m.note + u')';
        lines << line;
    }
    return lines;
}

QStringList RunAddFilesBenchSection() {
    bool ok = false;
    const int files = qEnvironmentVariableIntValue("MOBIVERT_BENCH_FILES", &ok);
    return AddFilesBenchTable(RunAddFilesBench(ok && files > 0 ? files : 1000));
}
