// The user's settings file: where it lives, its keys and their defaults.
#include "settings/SettingsFile.h"
#include "tests/support/TestEnvironment.h"

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

    void emptyOutputDirStaysEmpty() {
        TestHome home;
        const QString data = home.makeFolder(QStringLiteral("data"));
        QVERIFY(SettingsFile::writeOutputDir(data, QString()));
        QCOMPARE(SettingsFile::readOutputDir(data), QString());
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
