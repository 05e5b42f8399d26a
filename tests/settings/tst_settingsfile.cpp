// The user's settings file: where it lives, its keys and their defaults.
#include "core/settings/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void defaultsBeforeTheFirstWrite() {
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QCOMPARE(SettingsFile::readOutputDir(data),
                 QString(home.path() + u"/Converted Video Files"));
        QCOMPARE(SettingsFile::readAddFilesFolder(data), QString(home.path() + u'/'));
        // Reading never creates the file.
        QVERIFY(!QFile::exists(SettingsFile::path(data)));
    }

    void keysLiveInTheirSections() {
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QVERIFY(SettingsFile::writeOutputDir(data, QStringLiteral("/media/videos/out")));
        QVERIFY(SettingsFile::writeAddFilesFolder(data, QStringLiteral("/media/in/")));
        QFile file(SettingsFile::path(data));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[General]\nOutputDir=/media/videos/out\n"
                                            "[Commondialog]\nAddFiles=/media/in/\n"));
        QCOMPARE(SettingsFile::readOutputDir(data), QStringLiteral("/media/videos/out"));
        QCOMPARE(SettingsFile::readAddFilesFolder(data), QStringLiteral("/media/in/"));
    }

    void videoRateOptions_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("twoPass");
        QTest::addColumn<bool>("fitBatch");
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<QByteArray>("after"); // once the options read are written back changed
        QTest::newRow("no file: defaults")
            << QByteArray() << false << false << 700 << QByteArray("[General]\nTwoPass=1\n");
        QTest::newRow("set") << QByteArray("[General]\nTwoPass=1\nFitBatch=1\nFitBatchSize=4000\n")
                             << true << true << 4000
                             << QByteArray("[General]\nTwoPass=0\nFitBatch=1\nFitBatchSize=4000\n");
        QTest::newRow("unreadable values")
            << QByteArray("[General]\nTwoPass=yes\nFitBatchSize=0\n") << false << false << 700
            << QByteArray("[General]\nTwoPass=1\nFitBatchSize=0\n");
        QTest::newRow("size too large")
            << QByteArray("[General]\nFitBatchSize=10000000\n") << false << false << 700
            << QByteArray("[General]\nFitBatchSize=10000000\nTwoPass=1\n");
    }

    void videoRateOptions() {
        QFETCH(QByteArray, before);
        QFETCH(bool, twoPass);
        QFETCH(bool, fitBatch);
        QFETCH(int, megabytes);
        QFETCH(QByteArray, after);
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QVERIFY(before.isEmpty() || WriteFileBytes(SettingsFile::path(data), before));
        SettingsFile::VideoRateOptions options = SettingsFile::readVideoRateOptions(data);
        QCOMPARE(options, (SettingsFile::VideoRateOptions{twoPass, fitBatch, megabytes}));
        // Written back unchanged, nothing is written; one change writes one key.
        QVERIFY(SettingsFile::writeVideoRateOptions(data, options));
        QCOMPARE(QFile::exists(SettingsFile::path(data)), !before.isEmpty());
        options.twoPass = !options.twoPass;
        QVERIFY(SettingsFile::writeVideoRateOptions(data, options));
        QFile file(SettingsFile::path(data));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }

    void pictureOptions_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("deinterlace");
        QTest::addColumn<bool>("burnSubtitles");
        QTest::addColumn<QByteArray>("after"); // once read, then written with burning flipped
        QTest::newRow("no file: defaults") << QByteArray() << int(Deinterlace::Automatic) << false
                                           << QByteArray("[General]\nBurnSubtitles=1\n");
        QTest::newRow("set") << QByteArray("[General]\nDeinterlace=Never\nBurnSubtitles=1\n")
                             << int(Deinterlace::Never) << true
                             << QByteArray("[General]\nDeinterlace=Never\nBurnSubtitles=0\n");
        QTest::newRow("any case") << QByteArray("[General]\nDeinterlace=always\n")
                                  << int(Deinterlace::Always) << false
                                  << QByteArray("[General]\nDeinterlace=always\nBurnSubtitles=1\n");
        QTest::newRow("unknown values")
            << QByteArray("[General]\nDeinterlace=Sometimes\nBurnSubtitles=yes\n")
            << int(Deinterlace::Automatic) << false
            << QByteArray("[General]\nDeinterlace=Sometimes\nBurnSubtitles=1\n");
        QTest::newRow("always re-encode")
            << QByteArray("[General]\nAlwaysEncode=1\n") << int(Deinterlace::Automatic) << false
            << QByteArray("[General]\nAlwaysEncode=1\nBurnSubtitles=1\n");
    }

    void pictureOptions() {
        QFETCH(QByteArray, before);
        QFETCH(int, deinterlace);
        QFETCH(bool, burnSubtitles);
        QFETCH(QByteArray, after);
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QVERIFY(before.isEmpty() || WriteFileBytes(SettingsFile::path(data), before));
        SettingsFile::PictureOptions options = SettingsFile::readPictureOptions(data);
        QCOMPARE(options, (SettingsFile::PictureOptions{Deinterlace(deinterlace), burnSubtitles,
                                                        before.contains("AlwaysEncode=1")}));
        QVERIFY(SettingsFile::writePictureOptions(data, options));
        QCOMPARE(QFile::exists(SettingsFile::path(data)), !before.isEmpty());
        options.burnSubtitles = !options.burnSubtitles;
        QVERIFY(SettingsFile::writePictureOptions(data, options));
        QFile file(SettingsFile::path(data));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
        // A changed choice is written as the box shows it.
        options.deinterlace = Deinterlace::Always;
        QVERIFY(SettingsFile::writePictureOptions(data, options));
        QCOMPARE(SettingsFile::readPictureOptions(data), options);
    }

    void emptyOutputDirStaysEmpty() {
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QVERIFY(SettingsFile::writeOutputDir(data, QString()));
        QCOMPARE(SettingsFile::readOutputDir(data), QString());
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
