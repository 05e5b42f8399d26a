#include "bench/AddFilesBench.h"

#include "app/frmMain.h"
#include "bench/BenchTools.h"
#include "filelist/FileListController.h"
#include "filelist/VideoFileAdder.h"
#include "filelist/VideoFileInfo.h"

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
        BenchTools::SilentPrompts silent;
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
    for (const AddFilesMeasurement &m : measurements) {
        QString line = QStringLiteral("%1 %2 %3 %4 %5 %6")
                           .arg(m.name, -36)
                           .arg(m.files, 6)
                           .arg(QString::number(m.seconds, 'f', 2), 8)
                           .arg(QString::number(m.filesPerSecond(), 'f', 0), 8)
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
