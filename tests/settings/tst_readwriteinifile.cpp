// INI reading and writing: the behaviour every settings and profile value
// relies on, checked against real files in a temporary folder.
#include "core/settings/IniFile.h"
#include "core/settings/ReadWriteIniFile.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestReadWriteIniFile : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void readsValues_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultValue");
        QTest::addColumn<QString>("expected");

        const QByteArray basic = "[General]\nOutputDir=D:\\Videos\n";
        QTest::newRow("plain value") << basic << "General"
                                     << "OutputDir"
                                     << "x"
                                     << "D:\\Videos";
        QTest::newRow("section case") << basic << "GENERAL"
                                      << "OutputDir"
                                      << "x"
                                      << "D:\\Videos";
        QTest::newRow("key case") << basic << "General"
                                  << "outputdir"
                                  << "x"
                                  << "D:\\Videos";
        QTest::newRow("lower-case header") << QByteArray("[profile1]\nName=Small\n") << "Profile1"
                                           << "Name"
                                           << ""
                                           << "Small";
        QTest::newRow("missing key") << basic << "General"
                                     << "Other"
                                     << "fallback"
                                     << "fallback";
        QTest::newRow("missing section") << basic << "Defaults"
                                         << "OutputDir"
                                         << "d"
                                         << "d";
        QTest::newRow("default loses trailing blanks") << basic << "General"
                                                       << "Missing"
                                                       << "C:\\ "
                                                       << "C:\\";
        QTest::newRow("empty value is not the default")
            << QByteArray("[General]\nOutputDir=\n") << "General"
            << "OutputDir"
            << "default"
            << "";
        QTest::newRow("blanks around value and key")
            << QByteArray("[General]\n  OutputDir  =   a b  \t\n") << "General"
            << "OutputDir"
            << ""
            << "a b";
        QTest::newRow("double quotes removed") << QByteArray("[S]\nK=\"quoted value\"\n") << "S"
                                               << "K"
                                               << ""
                                               << "quoted value";
        QTest::newRow("single quotes removed") << QByteArray("[S]\nK='x'\n") << "S"
                                               << "K"
                                               << ""
                                               << "x";
        QTest::newRow("only one pair removed") << QByteArray("[S]\nK=\"\"x\"\"\n") << "S"
                                               << "K"
                                               << ""
                                               << "\"x\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[S]\nK=\"x'\n") << "S"
                                               << "K"
                                               << ""
                                               << "\"x'";
        QTest::newRow("first of duplicate keys") << QByteArray("[S]\nK=1\nK=2\n") << "S"
                                                 << "K"
                                                 << ""
                                                 << "1";
        QTest::newRow("first of duplicate sections")
            << QByteArray("[S]\nK=1\n[T]\n[S]\nK=2\nL=3\n") << "S"
            << "L"
            << "none"
            << "none";
        QTest::newRow("key of another section") << QByteArray("[A]\nK=1\n[B]\nX=2\n") << "B"
                                                << "K"
                                                << "none"
                                                << "none";
        QTest::newRow("CRLF lines") << QByteArray("[S]\r\nK=v\r\n") << "S"
                                    << "K"
                                    << ""
                                    << "v";
        QTest::newRow("comment is no key") << QByteArray("[S]\n;K=commented\nK=real\n") << "S"
                                           << "K"
                                           << ""
                                           << "real";
        QTest::newRow("value with equals sign")
            << QByteArray("[S]\nExtra=-movflags +faststart -x=1\n") << "S"
            << "Extra"
            << ""
            << "-movflags +faststart -x=1";
        QTest::newRow("utf-8 value") << QByteArray("[S]\nK=Vid\xc3\xa9os\n") << "S"
                                     << "K"
                                     << "" << QString::fromUtf8("Vid\xc3\xa9os");
        QTest::newRow("pipes kept as they are")
            << QByteArray("[Defaults]\nAudioCodec=aac||mp3|\n") << "Defaults"
            << "AudioCodec"
            << ""
            << "aac||mp3|";
    }

    void readsValues() {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defaultValue);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(QStringLiteral("read.ini"));
        QVERIFY(WriteFileBytes(path, content));
        QCOMPARE(ReadIniValue(section, key, defaultValue, path), expected);
    }

    void missingFileGivesDefault() {
        const QString path = m_dir.filePath(QStringLiteral("absent.ini"));
        QCOMPARE(ReadIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"),
                              QStringLiteral("C:\\Converted Video Files"), path),
                 QStringLiteral("C:\\Converted Video Files"));
        QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("K"), -1, path),
                 QStringLiteral("-1"));
        QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("K"), 0, path),
                 QStringLiteral("0"));
    }

    void longValuesAreCut() {
        const QString path = m_dir.filePath(QStringLiteral("long.ini"));
        const QByteArray value(300, 'v');
        QVERIFY(WriteFileBytes(path, "[General]\nOutputDir=" + value + "\n"));
        QCOMPARE(
            ReadIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"), QString(), path),
            QString(254, u'v'));

        // A character outside the basic plane is never split in half.
        QString wide = QString(253, u'a') + QString::fromUtf8("\xf0\x9f\x8e\xac");
        QVERIFY(WriteFileBytes(path, "[S]\nK=" + wide.toUtf8() + "\n"));
        QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("K"), QString(), path),
                 QString(253, u'a'));
    }

    void writeKeepsEveryOtherLine_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place")
            << QByteArray("; mine\n[General]\nOutputDir=old\nOther=1\n") << "General"
            << "OutputDir"
            << "new" << QByteArray("; mine\n[General]\nOutputDir=new\nOther=1\n");
        QTest::newRow("replace keeps the key's spelling")
            << QByteArray("[general]\noutputdir = old\n") << "General"
            << "OutputDir"
            << "x" << QByteArray("[general]\noutputdir =x\n");
        QTest::newRow("new key at the end of its section")
            << QByteArray("[A]\nK=1\n\n[B]\nL=2\n") << "A"
            << "New"
            << "v" << QByteArray("[A]\nK=1\nNew=v\n\n[B]\nL=2\n");
        QTest::newRow("new section appended")
            << QByteArray("[General]\nOutputDir=x\n") << "Commondialog"
            << "AddFiles"
            << "/home/" << QByteArray("[General]\nOutputDir=x\n[Commondialog]\nAddFiles=/home/\n");
        QTest::newRow("last line without newline") << QByteArray("[A]\nK=1") << "A"
                                                   << "L"
                                                   << "2" << QByteArray("[A]\nK=1\nL=2\n");
        QTest::newRow("last line ending in a carriage return keeps it")
            << QByteArray("[A]\nK=1\r") << "A"
            << "L"
            << "2" << QByteArray("[A]\nK=1\r\r\nL=2\n");
        QTest::newRow("CRLF kept") << QByteArray("[A]\r\nK=1\r\n") << "A"
                                   << "K"
                                   << "2" << QByteArray("[A]\r\nK=2\r\n");
        QTest::newRow("unknown lines and bad bytes kept")
            << QByteArray("junk \xff\xfe line\n[A]\nnot a key\nK=1\n") << "A"
            << "K"
            << "2" << QByteArray("junk \xff\xfe line\n[A]\nnot a key\nK=2\n");
        QTest::newRow("empty value written") << QByteArray("[General]\nOutputDir=x\n") << "General"
                                             << "OutputDir"
                                             << "" << QByteArray("[General]\nOutputDir=\n");
    }

    void writeKeepsEveryOtherLine() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = m_dir.filePath(QStringLiteral("write.ini"));
        QVERIFY(WriteFileBytes(path, before));
        QVERIFY(WriteIniValue(section, key, value, path));
        QCOMPARE(ReadFileBytes(path), after);
        QCOMPARE(ReadIniValue(section, key, QStringLiteral("<missing>"), path), value);
    }

    void writeCreatesTheFile() {
        const QString path = m_dir.filePath(QStringLiteral("new.ini"));
        QVERIFY(WriteIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"),
                              QStringLiteral("D:\\Videos\\Converted"), path));
        QVERIFY(WriteIniValue(QStringLiteral("Commondialog"), QStringLiteral("AddFiles"),
                              QStringLiteral("D:\\Downloads\\"), path));
        QCOMPARE(ReadFileBytes(path), QByteArray("[General]\nOutputDir=D:\\Videos\\Converted\n"
                                                 "[Commondialog]\nAddFiles=D:\\Downloads\\\n"));
    }

    void valuesReadBackUnchanged_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("outer blanks") << "  padded  ";
        QTest::newRow("tab") << "\tx";
        QTest::newRow("looks quoted") << "\"quoted\"";
        QTest::newRow("single quoted") << "'q'";
        QTest::newRow("one quote") << "\"";
        QTest::newRow("leading zero-width no-break space")
            << QString(QString(QChar(0xFEFF)) + u"x");
        QTest::newRow("equals and brackets") << "a=b [c] ;d";
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("Vid\xc3\xa9os \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d");
    }

    void valuesReadBackUnchanged() {
        QFETCH(QString, value);
        const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
        QFile::remove(path);
        QVERIFY(WriteIniValue(QStringLiteral("S"), QStringLiteral("K"), value, path));
        QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("K"), QString(), path), value);
    }

    void refusesWhatCannotBeStored_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("newline in value") << "S"
                                          << "K"
                                          << "two\nlines";
        QTest::newRow("carriage return in value") << "S"
                                                  << "K"
                                                  << "a\rb";
        QTest::newRow("equals in key") << "S"
                                       << "K=1"
                                       << "v";
        QTest::newRow("bracket in section") << "S]x"
                                            << "K"
                                            << "v";
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "v";
        QTest::newRow("empty section") << ""
                                       << "K"
                                       << "v";
        QTest::newRow("unpaired surrogate in value")
            << QStringLiteral("S") << QStringLiteral("K") << QString(u"a" + QString(QChar(0xD800)));
        QTest::newRow("unpaired surrogate in section")
            << QString(QString(QChar(0xDC00)) + u"S") << QStringLiteral("K") << QStringLiteral("v");
    }

    void refusesWhatCannotBeStored() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString path = m_dir.filePath(QStringLiteral("refuse.ini"));
        QVERIFY(WriteFileBytes(path, "[S]\nK=keep\n"));
        QVERIFY(!WriteIniValue(section, key, value, path));
        QCOMPARE(ReadFileBytes(path), QByteArray("[S]\nK=keep\n"));
    }

    void readOnlyFileIsStillUpdated() {
        const QString path = m_dir.filePath(QStringLiteral("readonly.ini"));
        QVERIFY(WriteFileBytes(path, "[General]\nOutputDir=old\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(WriteIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"),
                              QStringLiteral("new"), path));
        QCOMPARE(
            ReadIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"), QString(), path),
            QStringLiteral("new"));
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
    }

    void missingFolderLosesTheWrite() {
        const QString path = m_dir.filePath(QStringLiteral("no/such/folder/Settings.ini"));
        QVERIFY(!WriteIniValue(QStringLiteral("General"), QStringLiteral("OutputDir"),
                               QStringLiteral("x"), path));
        QVERIFY(!QFile::exists(path));
    }

    void writtenValueIsSeenByTheNextRead() {
        const QString path = m_dir.filePath(QStringLiteral("nocache.ini"));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(
                WriteIniValue(QStringLiteral("S"), QStringLiteral("K"), QString::number(i), path));
            QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("K"), QString(), path),
                     QString::number(i));
        }
    }

    void toInt16_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -99999 for "not a number"
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("blanks") << " 12 " << 12;
        QTest::newRow("plus sign") << "+3" << 3;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("too large") << "32768" << -99999;
        QTest::newRow("smallest") << "-32768" << -32768;
        QTest::newRow("empty") << "" << -99999;
        QTest::newRow("letters") << "abc" << -99999;
        QTest::newRow("fraction") << "1.5" << -99999;
    }

    void toInt16() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<qint16> number = ToInt16(text);
        QCOMPARE(number ? int(*number) : -99999, expected);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_APPLESS_MAIN(TestReadWriteIniFile)
#include "tst_readwriteinifile.moc"
