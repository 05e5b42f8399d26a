#include "bench/AddFilesBench.h"

#include "app/FileListController.h"
#include "app/WindowControls.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/frmMain.h"
#include "bench/BenchTools.h"
#include "core/filelist/MediaInfoChild.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/filelist/VideoFileReader.h"
#include "core/platform/ApplicationFolder.h"
#include "core/platform/ProcessorCores.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace {

// Measures a piece of work done in this process.
AddFilesMeasurement measureHere(const QString &name, int files, const std::function<void()> &work) {
    AddFilesMeasurement m;
    m.name = name;
    m.files = files;
    const BenchTools::WorkCost cost = BenchTools::measureWork(work);
    m.seconds = cost.seconds;
    m.peakKiB = cost.peakKiB;
    m.extraKiB = cost.extraKiB;
    return m;
}

QStringList makeFiles(const QString &folder, int count, QString *error) {
    const QString sample = QDir(folder).filePath(QStringLiteral("sample.avi"));
    *error = BenchTools::makeClip(sample, QStringLiteral("160x120"), 1);
    if (!error->isEmpty())
        return {};
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

// Runs a program and measures it alone: the peak memory is that of the
// program.
AddFilesMeasurement measureProgram(const QString &name, int files, const QStringList &arguments) {
    AddFilesMeasurement m;
    m.name = name;
    m.files = files;
    std::vector<std::string> encoded;
    for (const QString &argument : arguments)
        encoded.push_back(QFile::encodeName(argument).toStdString());
    const BenchTools::ProgramRun run = BenchTools::runQuietly(encoded);
    if (!run.ok) {
        m.note =
            (run.started ? QStringLiteral("%1 failed") : QStringLiteral("%1 could not be started"))
                .arg(arguments.first());
        return m;
    }
    m.seconds = run.wallSeconds;
    m.peakKiB = run.peakKiB;
    return m;
}

} // namespace

QList<AddFilesMeasurement> RunAddFilesBench(int fileCount) {
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

    // The command-line tool with the same templates, one process for all files.
    const QString templatePath = folder.filePath(QStringLiteral("template.txt"));
    QFile templateFile(templatePath);
    if (templateFile.open(QIODevice::WriteOnly)) {
        templateFile.write("General;%FileName%|%PlayTime%\\n\nVideo;%Codec%|%Width%|%Height%\\n\n");
        templateFile.close();
    }
    const QStringList toolArguments =
        QStringList{QStringLiteral("mediainfo"), QStringLiteral("--Legacy=1"),
                    QStringLiteral("--Inform=file://") + templatePath} +
        files;
    const QStringList cliArguments =
        QStringList{QStringLiteral(MOBIVERT_CLI_BINARY), QStringLiteral("--info")} + files;
    const int cores = AvailableCores();
    // The readers find their reading processes in the build's application
    // folder, as the installed programs find them in theirs.
    SetApplicationFolder(QStringLiteral(MOBIVERT_APP_DIR));
    const QString readers = MediaInfoReaderProgram().isEmpty()
                                ? QStringLiteral("threads")
                                : QStringLiteral("reading processes");

    // Each measurement runs in every round, the rounds one after the other,
    // so that load on the machine falls on all of them alike; the best of
    // each counts.
    const bool withWindow = qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
    QList<AddFilesMeasurement> best;
    const auto keepBest = [&best](qsizetype index, const AddFilesMeasurement &m) {
        if (best.size() <= index)
            best.append(m);
        else if (best[index].seconds <= 0 || (m.seconds > 0 && m.seconds < best[index].seconds))
            best[index] = m;
    };
    const int rounds = BenchTools::runCount(3);
    for (int round = 0; round < rounds; ++round) {
        qsizetype index = 0;
        keepBest(index++, measureHere(QStringLiteral("media queries, one thread"), fileCount, [&] {
                     for (const QString &path : files)
                         ExamineVideoFile(path);
                 }));
        keepBest(index++,
                 measureHere(QStringLiteral("media queries, %1 %2").arg(cores).arg(readers),
                             fileCount, [&] {
                                 VideoFileReader reader(files, cores);
                                 for (qsizetype i = 0; i < files.size(); ++i)
                                     reader.waitFor(i);
                             }));
        if (withWindow) {
            BenchTools::SilentPrompts silent;
            frmMain window; // never shown, never loaded: no settings are read or written
            AddFilesMeasurement add =
                measureHere(QStringLiteral("add to the list (main window)"), fileCount,
                            [&] { window.fileList().adder().AddDroppedFiles(files); });
            add.note =
                Child<QTreeWidget>(window, "lvwVideoFiles")->topLevelItemCount() == fileCount
                    ? QStringLiteral("rows, progress display, events")
                    : QStringLiteral("only %1 rows were added")
                          .arg(Child<QTreeWidget>(window, "lvwVideoFiles")->topLevelItemCount());
            keepBest(index++, add);
        } else {
            AddFilesMeasurement skipped;
            skipped.name = QStringLiteral("add to the list (main window)");
            skipped.note = QStringLiteral("needs a QApplication");
            keepBest(index++, skipped);
        }
        AddFilesMeasurement cli = measureProgram(
            QStringLiteral("mobivert-cli --info (one process)"), fileCount, cliArguments);
        if (cli.note.isEmpty())
            cli.note = QStringLiteral("separate process, peak of that process");
        keepBest(index++, cli);
        AddFilesMeasurement tool = measureProgram(
            QStringLiteral("mediainfo --Inform (one process)"), fileCount, toolArguments);
        if (tool.note.isEmpty())
            tool.note = QStringLiteral("separate process, peak of that process");
        keepBest(index++, tool);
    }
    SetApplicationFolder(QString());
    return best;
}

QStringList AddFilesBenchTable(const QList<AddFilesMeasurement> &measurements) {
    // The last measurement is the mediainfo tool: every other is set against it.
    const double toolRate = measurements.isEmpty() ? 0 : measurements.last().filesPerSecond();
    QStringList lines;
    lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                 .arg(QStringLiteral("measurement"), -44)
                 .arg(QStringLiteral("files"), 6)
                 .arg(QStringLiteral("seconds"), 8)
                 .arg(QStringLiteral("files/s"), 8)
                 .arg(QStringLiteral("x tool"), 7)
                 .arg(QStringLiteral("peak MiB"), 9)
                 .arg(QStringLiteral("extra MiB"), 9);
    for (const AddFilesMeasurement &m : measurements) {
        const QString ratio =
            toolRate > 0 ? QString::number(m.filesPerSecond() / toolRate, 'f', 2) : QString();
        QString line = QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                           .arg(m.name, -44)
                           .arg(m.files, 6)
                           .arg(QString::number(m.seconds, 'f', 2), 8)
                           .arg(QString::number(m.filesPerSecond(), 'f', 0), 8)
                           .arg(ratio, 7)
                           .arg(BenchTools::mib(m.peakKiB), 9)
                           .arg(BenchTools::mib(m.extraKiB), 9);
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
