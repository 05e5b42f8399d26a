#pragma once

// A batch over the fake converter (fake_converter.cpp), which prints
// recorded output in odd chunks, fails, crashes or hangs as its input's name
// says. Needs FAKE_CONVERTER, the fake's path.
#include "core/convert/BatchFiles.h"
#include "core/convert/ConvertFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// A data folder with the fake converter in place and the batch file of the
// rows, converted `lanes` at once; each converter started writes its pid to
// the home's "pids".
struct FakeBatch {
    explicit FakeBatch(const TestHome &home, const QStringList &inputs, int seconds = 4,
                       int lanes = 1)
        : m_pids(home.path() + u"/pids") {
        run.dataFolder = home.dataFolder();
        run.outputFolder = home.makeFolder(QStringLiteral("out"));
        run.lanes = lanes;
        QDir().mkpath(run.dataFolder);
        QFile::remove(BatchFiles::converter(run.dataFolder));
        QVERIFY(QFile::copy(QStringLiteral(FAKE_CONVERTER), BatchFiles::converter(run.dataFolder)));
        QByteArray text;
        for (int row = 0; row < inputs.size(); ++row) {
            run.rows.append({inputs[row], seconds});
            BatchCommand command{BatchFiles::converter(run.dataFolder), {QStringLiteral("-i")}, {}};
            command.addFile(inputs[row])
                .add({QStringLiteral("-vcodec"), QStringLiteral("mpeg4"), QStringLiteral("-y")})
                .addFile(run.outputFolder + QStringLiteral("/x.mp4"));
            run.commands.append(command);
            run.lineRows.append(row);
            text += (command.line() + u'\n').toUtf8();
        }
        QVERIFY(WriteFileBytes(BatchFiles::batch(run.dataFolder), text));
        qputenv("FAKE_SECONDS", QByteArray::number(seconds));
        qputenv("FAKE_CONVERTER_LOG", QFile::encodeName(m_pids));
    }

    bool workingFilesGone() const { return WorkingFiles(run.dataFolder).isEmpty(); }

    // The fake converters started so far.
    QList<pid_t> startedConverters() const {
        QList<pid_t> pids;
        for (const QByteArray &line : ReadFileBytes(m_pids).split('\n'))
            if (!line.isEmpty())
                pids.append(line.toInt());
        return pids;
    }

    BatchRun run;

private:
    QString m_pids;
};
