// The steps before a batch runs, in a real data folder: how each refusal is
// told and counted, the lock held for as long as the batch lives, and the
// record of the batch written.
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchStart.h"
#include "core/profiles/ProfileSettings.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QLockFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

BatchStart::Request request(const TestHome &home, const QString &outputFolder) {
    BatchStart::Request request;
    request.settings = ProfileSettings::SettingsForProfile(u"Zune"_s, 1);
    request.profile = u"Custom"_s;
    FileListRow row;
    row.Filename = u"clip"_s;
    row.Filepath = home.path() + u"/clip.avi";
    request.rows = {row, row};
    request.options.dataFolder = home.dataFolder();
    request.options.outputFolder = outputFolder;
    request.filesAtOnce = 2;
    request.fitBytes = 5000000;
    return request;
}

const BatchStart::IpodChooser noIpod = [](const QStringList &) {
    return std::optional<QString>();
};

} // namespace

class TestBatchStart : public QObject {
    Q_OBJECT

private slots:
    void refusals_data() {
        QTest::addColumn<bool>("blankOutput");
        QTest::addColumn<bool>("dataFolderIsAFile");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<bool>("invalid");
        // The output folder is checked before the lock is asked for.
        QTest::newRow("no output folder")
            << true << false << u"Please, choose an output folder first."_s << false << true;
        QTest::newRow("another batch runs")
            << false << false << u"Mobivert is already converting one or more files!"_s << true
            << false;
        QTest::newRow("a file for a data folder")
            << false << true << u"Unable to prepare the conversion in the data folder: "_s << true
            << false;
    }

    // Told alike in the window and on the command line; nothing is written.
    void refusals() {
        QFETCH(bool, blankOutput);
        QFETCH(bool, dataFolderIsAFile);
        QFETCH(QString, problem);
        QFETCH(bool, critical);
        QFETCH(bool, invalid);
        TestHome home;
        const QString data = home.dataFolder();
        QLockFile other(BatchFiles::lock(data));
        if (dataFolderIsAFile)
            QVERIFY(QDir().mkpath(QFileInfo(data).path()) && WriteFileBytes(data, "a file"));
        else
            QVERIFY(QDir().mkpath(data) && other.tryLock(0));
        const BatchStart start(request(home, blankOutput ? u" "_s : home.path() + u"/out"), noIpod);
        QVERIFY(start.refusal());
        const BatchStart::Refusal &refusal = *start.refusal();
        QVERIFY2(refusal.problem.startsWith(problem), qPrintable(refusal.problem));
        QCOMPARE(refusal.lines.join(u' '), refusal.problem);
        QCOMPARE(refusal.critical, critical);
        QCOMPARE(refusal.invalid, invalid);
        QVERIFY(!QFile::exists(BatchFiles::batch(data)));
    }

    void preparedBatchHoldsTheLock() {
        TestHome home;
        QVERIFY(QDir().mkpath(home.dataFolder()));
        BatchStart::Request asked = request(home, home.path() + u"/out");
        // Kept in the record of a fitted batch.
        asked.options.fit = {{500, 0}, {500, 0}};
        {
            const BatchStart start(asked, noIpod);
            QVERIFY2(!start.refusal(),
                     qPrintable(start.refusal().value_or(BatchStart::Refusal()).problem));
            QLockFile other(BatchFiles::lock(home.dataFolder()));
            QVERIFY(!other.tryLock(0));
            QCOMPARE(start.plan().lanes, 2);
            QCOMPARE(start.run().lanes, 2);
            QCOMPARE(ReadFileBytes(BatchFiles::batch(home.dataFolder())).count('\n'), 2);
            QCOMPARE(start.record().outputPaths, start.plan().outputPaths);
            QCOMPARE(start.record().outputPaths.size(), 2);
            QCOMPARE(start.record().fitBytes, 5000000);
            QCOMPARE(start.record().filesAtOnce, 2);
            QCOMPARE(start.record().converted, QList<bool>(2, false));
        }
        QLockFile after(BatchFiles::lock(home.dataFolder()));
        QVERIFY(after.tryLock(0));
    }
};

QTEST_GUILESS_MAIN(TestBatchStart)
#include "tst_batchstart.moc"
