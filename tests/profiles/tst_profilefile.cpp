// Reading device profile files: the path, option lists, profile names and
// values, codec sections and their limits.
#include "core/profiles/ProfileFile.h"
#include "tests/profiles/ProfileFolder.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using namespace ProfileFile;

class TestProfileFile : public QObject {
    Q_OBJECT

private slots:
    void pathIsBuiltFromTheApplicationFolder() {
        ProfileFolder folder;
        QCOMPARE(Path(QStringLiteral("PSP")), QString(folder.path() + u"/Profiles/PSP.ini"));
        // The device name is used as it is, letter case included.
        QCOMPARE(Path(QStringLiteral("mobilephone")),
                 QString(folder.path() + u"/Profiles/mobilephone.ini"));
    }

    void splitOptionList_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty value") << "" << QStringList();
        QTest::newRow("no separator") << "aac" << QStringList{u"aac"_s};
        QTest::newRow("two items") << "aac|mp3" << QStringList{u"aac"_s, u"mp3"_s};
        QTest::newRow("adjacent separators") << "a||b" << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("separator at the end") << "a|b|" << QStringList{u"a"_s, u"b"_s, u""_s};
        QTest::newRow("separator at the start") << "|a" << QStringList{u""_s, u"a"_s};
        QTest::newRow("separator alone") << "|" << QStringList{u""_s, u""_s};
        QTest::newRow("blanks belong to items")
            << "64 kbps | 128 kbps" << QStringList{u"64 kbps "_s, u" 128 kbps"_s};
        QTest::newRow("blank item") << "a| |b" << QStringList{u"a"_s, u" "_s, u"b"_s};
    }

    void splitOptionList() {
        QFETCH(QString, value);
        QFETCH(QStringList, items);
        QCOMPARE(SplitOptionList(value), items);
    }

    void optionListIsCutAt254Characters() {
        ProfileFolder folder;
        // 30 items of nine characters and a separator: 299 characters.
        QStringList items;
        for (int i = 0; i < 30; ++i)
            items.append(QStringLiteral("item%1abc").arg(i, 2, 10, QChar(u'0')).left(9));
        const QString list = items.join(u'|');
        QCOMPARE(list.size(), 299);
        const QString file =
            folder.write(QStringLiteral("Dev"), "[Defaults]\nVideoSize=" + list.toUtf8() + '\n');

        const QStringList read = ReadOptionList(file, QStringLiteral("VideoSize"));
        // 25 whole items take 250 characters; the 26th is cut to 4.
        QCOMPARE(read.size(), 26);
        QCOMPARE(read.mid(0, 25), items.mid(0, 25));
        QCOMPARE(read.last(), items.at(25).left(4));
    }

    void optionListFromMissingPlaces_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("no section") << QByteArray("[General]\nVideoSize=1x1\n");
        QTest::newRow("no key") << QByteArray("[Defaults]\nVideoCodec=mpeg4\n");
        QTest::newRow("empty value") << QByteArray("[Defaults]\nVideoSize=\n");
    }

    void optionListFromMissingPlaces() {
        QFETCH(QByteArray, text);
        ProfileFolder folder;
        const QString file = text.isNull() ? Path(QStringLiteral("Missing"))
                                           : folder.write(QStringLiteral("Dev"), text);
        QCOMPARE(ReadOptionList(file, QStringLiteral("VideoSize")), QStringList());
    }

    void profileNames_data() {
        QTest::addColumn<QByteArray>("general");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("defaultProfile"); // -99: unreadable
        QTest::newRow("three") << QByteArray("NumberOfProfiles=3\nDefaultProfile=1\n")
                               << QStringList{u"Small"_s, u"Medium"_s, u"Large"_s} << 1;
        QTest::newRow("fewer than present")
            << QByteArray("NumberOfProfiles=2\n") << QStringList{u"Small"_s, u"Medium"_s} << 0;
        QTest::newRow("more than present")
            << QByteArray("NumberOfProfiles=5\nDefaultProfile=4\n")
            << QStringList{u"Small"_s, u"Medium"_s, u"Large"_s, u""_s, u""_s} << 4;
        QTest::newRow("blanks around numbers")
            << QByteArray("NumberOfProfiles= 3 \nDefaultProfile=  2\n")
            << QStringList{u"Small"_s, u"Medium"_s, u"Large"_s} << 2;
        QTest::newRow("count missing") << QByteArray("DefaultProfile=0\n") << QStringList() << 0;
        QTest::newRow("count not a number")
            << QByteArray("NumberOfProfiles=three\nDefaultProfile=x\n") << QStringList() << -99;
        QTest::newRow("count empty")
            << QByteArray("NumberOfProfiles=\nDefaultProfile=\n") << QStringList() << -99;
        QTest::newRow("count negative")
            << QByteArray("NumberOfProfiles=-2\n") << QStringList() << 0;
        QTest::newRow("count beyond 16 bits")
            << QByteArray("NumberOfProfiles=70000\nDefaultProfile=-1\n") << QStringList() << -1;
    }

    void profileNames() {
        QFETCH(QByteArray, general);
        QFETCH(QStringList, names);
        QFETCH(int, defaultProfile);
        ProfileFolder folder;
        const QString file = folder.write(QStringLiteral("Dev"), StandardDeviceFile(general));
        QCOMPARE(ReadProfileNames(file), names);
        const std::optional<qint16> readDefault = ReadDefaultProfile(file);
        QCOMPARE(readDefault.has_value(), defaultProfile != -99);
        if (readDefault)
            QCOMPARE(int(*readDefault), defaultProfile);
    }

    void missingProfileReadsDefaults() {
        ProfileFolder folder;
        const QString file = folder.write(QStringLiteral("Dev"), StandardDeviceFile());
        for (int number : {0, 4, -1}) {
            const ProfileValues none = ReadProfile(file, number);
            for (int i = 0; i < ProfileKeyCount; ++i) {
                const auto key = static_cast<ProfileKey>(i);
                QCOMPARE(none[key], std::optional<qint16>(IsCheckKey(key) ? 0 : -1));
            }
        }
    }

    void oddProfileValues_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("value"); // -99: nothing
        QTest::newRow("present but empty") << QByteArray("VideoSize=") << -99;
        QTest::newRow("blanks only") << QByteArray("VideoSize=   ") << -99;
        QTest::newRow("letters") << QByteArray("VideoSize=big") << -99;
        QTest::newRow("fraction") << QByteArray("VideoSize=1.5") << -99;
        QTest::newRow("beyond 16 bits") << QByteArray("VideoSize=32768") << -99;
        QTest::newRow("largest 16-bit") << QByteArray("VideoSize=32767") << 32767;
        QTest::newRow("minus one") << QByteArray("VideoSize=-1") << -1;
        QTest::newRow("quoted") << QByteArray("VideoSize=\"3\"") << 3;
        QTest::newRow("key in other case") << QByteArray("videosize=4") << 4;
    }

    void oddProfileValues() {
        QFETCH(QByteArray, line);
        QFETCH(int, value);
        ProfileFolder folder;
        const QString file =
            folder.write(QStringLiteral("Dev"), "[profile1]\nName=Odd\n" + line + '\n');
        const std::optional<qint16> read = ReadProfile(file, 1)[ProfileKey::VideoSize];
        QCOMPARE(read.has_value(), value != -99);
        if (read)
            QCOMPARE(int(*read), value);
    }

    void codecSection() {
        ProfileFolder folder;
        const QString file = folder.write(QStringLiteral("Dev"),
                                          "[H264]\n"
                                          "VideoFormat=ipod\n"
                                          "ExtraParameters=-profile:v baseline -maxrate 768k\n"
                                          "Extension=m4v\n"
                                          "MaxVideoSize=2\n"
                                          "MaxVideoQuality=bad\n"
                                          "[aac]\n"
                                          "Extension=m4a\n");
        // Section names match without regard to case.
        const CodecSection video = ReadCodecSection(file, QStringLiteral("h264"));
        QCOMPARE(video.videoFormat, QStringLiteral("ipod"));
        QCOMPARE(video.extraParameters, QStringLiteral("-profile:v baseline -maxrate 768k"));
        QCOMPARE(video.extension, QStringLiteral("m4v"));
        QCOMPARE(ReadMaxVideoSize(file, QStringLiteral("h264"), 4), std::optional<qint16>(2));
        QCOMPARE(ReadMaxVideoQuality(file, QStringLiteral("h264"), 4), std::nullopt);

        // An audio section has only its extension; the limits never refuse.
        const CodecSection audio = ReadCodecSection(file, QStringLiteral("aac"));
        QCOMPARE(audio.extension, QStringLiteral("m4a"));
        QVERIFY(audio.videoFormat.isEmpty());
        QVERIFY(audio.extraParameters.isEmpty());
        QCOMPARE(ReadMaxVideoSize(file, QStringLiteral("aac"), 7), std::optional<qint16>(7));
        QCOMPARE(ReadMaxVideoQuality(file, QStringLiteral("aac"), -1), std::optional<qint16>(-1));

        // A codec without a section.
        const CodecSection none = ReadCodecSection(file, QStringLiteral("wmv2"));
        QVERIFY(none.videoFormat.isEmpty() && none.extension.isEmpty());
    }

    void changesAreSeenAtTheNextRead() {
        ProfileFolder folder;
        const QString device = QStringLiteral("Dev");
        const QString file = folder.write(device, "[Defaults]\nVideoCodec=mpeg4\n");
        QCOMPARE(ReadOptionList(file, QStringLiteral("VideoCodec")), QStringList{u"mpeg4"_s});
        folder.write(device, "[Defaults]\nVideoCodec=mpeg4|h264\n");
        QCOMPARE(ReadOptionList(file, QStringLiteral("VideoCodec")),
                 (QStringList{u"mpeg4"_s, u"h264"_s}));
    }
};

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
