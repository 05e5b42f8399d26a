// The small shared helpers: durations, folders and files.
#include "core/base/Various.h"
#include "core/platform/FileSystem.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestVarious : public QObject {
    Q_OBJECT

private slots:
    void formatDuration_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("59") << qint64(59) << "00:00:59";
        QTest::newRow("61") << qint64(61) << "00:01:01";
        QTest::newRow("187") << qint64(187) << "00:03:07";
        QTest::newRow("3599") << qint64(3599) << "00:59:59";
        QTest::newRow("3600") << qint64(3600) << "01:00:00";
        QTest::newRow("86399") << qint64(86399) << "23:59:59";
        QTest::newRow("a day") << qint64(86400) << "24:00:00";
        QTest::newRow("100 hours") << qint64(360000) << "100:00:00";
        QTest::newRow("negative counts as zero") << qint64(-5) << "00:00:00";
    }

    void formatDuration() {
        QFETCH(qint64, seconds);
        QFETCH(QString, expected);
        QCOMPARE(FormatDuration(seconds), expected);
    }

    void createFolderPathMakesEveryLevel() {
        QTemporaryDir root;
        QString path = root.path() + u"/A/B/";
        CreateFolderPath(path);
        // The caller's variable loses its trailing separator.
        QCOMPARE(path, QString(root.path() + u"/A/B"));
        QVERIFY(FolderExists(root.path() + u"/A"));
        QVERIFY(FolderExists(root.path() + u"/A/B"));
    }

    void createFolderPathLeavesExistingFoldersAlone() {
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.path() + u"/A"));
        QVERIFY(WriteFileBytes(root.path() + u"/A/keep.txt", QByteArray()));
        QString path = root.path() + u"/A/B/C";
        CreateFolderPath(path);
        QVERIFY(FolderExists(path));
        QVERIFY(FileExists(root.path() + u"/A/keep.txt"));
    }

    void createFolderPathStopsQuietlyAtAFile() {
        QTemporaryDir root;
        QVERIFY(WriteFileBytes(root.path() + u"/A", QByteArray()));
        QString path = root.path() + u"/A/B/C";
        CreateFolderPath(path);
        QVERIFY(!FolderExists(root.path() + u"/A/B"));
        QVERIFY(FileExists(root.path() + u"/A"));
    }

    void existence_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("file");
        QTest::newRow("folder") << "dir" << true << false;
        QTest::newRow("file") << "dir/file.avi" << false << true;
        QTest::newRow("missing") << "nothing" << false << false;
        QTest::newRow("below a file") << "dir/file.avi/x" << false << false;
        QTest::newRow("empty path") << QString() << false << false;
    }

    void existence() {
        QFETCH(QString, relative);
        QFETCH(bool, folder);
        QFETCH(bool, file);
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.path() + u"/dir"));
        QVERIFY(WriteFileBytes(root.path() + u"/dir/file.avi", QByteArray()));
        const QString path = relative.isEmpty() ? QString() : root.path() + u'/' + relative;
        QCOMPARE(FolderExists(path), folder);
        QCOMPARE(FileExists(path), file);
    }

    void joinPath_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/home/u"
                               << "a.avi"
                               << "/home/u/a.avi";
        QTest::newRow("root") << "/"
                              << "a.avi"
                              << "/a.avi";
        QTest::newRow("trailing separator") << "/home/u/"
                                            << "a.avi"
                                            << "/home/u/a.avi";
    }

    void joinPath() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(JoinPath(folder, name), expected);
    }

    void makeOwnerWritable() {
        QTemporaryDir root;
        const QString path = root.path() + u"/ro.ini";
        QVERIFY(WriteFileBytes(path, QByteArray()));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        QVERIFY(MakeOwnerWritable(path));
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
        QVERIFY(!MakeOwnerWritable(path)); // already writable: nothing to do
        QVERIFY(!MakeOwnerWritable(root.path() + u"/missing"));
    }
};

QTEST_APPLESS_MAIN(TestVarious)
#include "tst_various.moc"
