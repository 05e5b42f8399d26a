// File names as bytes: every name turns back into exactly its bytes, and
// what is shown of it is valid text.
#include "core/platform/PathBytes.h"

#include <QtTest>

class TestPathBytes : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("shown");
        const QString fffd(QChar(0xFFFD));
        const auto stray = [](int byte) {
            return QString(QChar(char16_t(0xDC00 + byte)));
        };
        QTest::newRow("ASCII") << QByteArray("/tmp/clip.mp4") << QStringLiteral("/tmp/clip.mp4")
                               << QStringLiteral("/tmp/clip.mp4");
        QTest::newRow("valid UTF-8") << QByteArray("caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xac")
                                     << QStringLiteral("café 日 🎬") << QStringLiteral("café 日 🎬");
        QTest::newRow("lone E9") << QByteArray("caf\xe9.mp4")
                                 << QStringLiteral("caf") + stray(0xE9) + QStringLiteral(".mp4")
                                 << QStringLiteral("caf") + fffd + QStringLiteral(".mp4");
        QTest::newRow("cut short")
            << QByteArray("a\xe6\x97") << QStringLiteral("a") + stray(0xE6) + stray(0x97)
            << QStringLiteral("a") + fffd + fffd;
        QTest::newRow("cut short at a letter")
            << QByteArray("\xc3x") << stray(0xC3) + QStringLiteral("x")
            << fffd + QStringLiteral("x");
        QTest::newRow("overlong slash")
            << QByteArray("\xc0\xaf") << stray(0xC0) + stray(0xAF) << fffd + fffd;
        QTest::newRow("overlong three bytes")
            << QByteArray("\xe0\x80\xaf") << stray(0xE0) + stray(0x80) + stray(0xAF)
            << fffd + fffd + fffd;
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << stray(0xED) + stray(0xA0) + stray(0x80)
            << fffd + fffd + fffd;
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80")
            << stray(0xF4) + stray(0x90) + stray(0x80) + stray(0x80) << fffd + fffd + fffd + fffd;
        QTest::newRow("FF and FE")
            << QByteArray("\xff\xfe") << stray(0xFF) + stray(0xFE) << fffd + fffd;
        QTest::newRow("stray byte before a letter")
            << QByteArray("\xe9\xc3\xa9") << stray(0xE9) + QStringLiteral("é")
            << fffd + QStringLiteral("é");
    }
    void roundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        QFETCH(QString, shown);
        const QString path = PathFromBytes(bytes);
        QCOMPARE(path, read);
        QCOMPARE(PathToBytes(path), bytes);
        QCOMPARE(HasStrayBytes(path), bytes.isValidUtf8() == false);
        QCOMPARE(PathForDisplay(path), shown);
        QVERIFY(PathForDisplay(path).toUtf8().isValidUtf8());
    }

    // The raw arguments and a dropped file's URL keep the bytes.
    void entrances() {
        const char *argv[] = {"mobivert", "caf\xe9.mp4", "--json"};
        QCOMPARE(PathToBytes(PathArguments(3, argv).value(0)), QByteArray("caf\xe9.mp4"));
        QCOMPARE(PathArguments(3, argv).value(1), QStringLiteral("--json"));
        QCOMPARE(PathToBytes(PathFromFileUrl("file:///tmp/caf%E9%20x.mp4")),
                 QByteArray("/tmp/caf\xe9 x.mp4"));
        QCOMPARE(PathFromFileUrl("file:///tmp/caf%C3%A9.mp4"), QStringLiteral("/tmp/café.mp4"));
        QCOMPARE(PathFromFileUrl("https://example.org/a.mp4"), QString());
        // ...and a URL made of a path turns back into it.
        for (const QByteArray &bytes :
             {QByteArray("/v/caf\xe9 #1 50%.avi"), QByteArray("/v/it's \"x\" \xc3\xbc?.avi")})
            QCOMPARE(PathToBytes(PathFromFileUrl(FileUrlOf(PathFromBytes(bytes)).toEncoded())),
                     bytes);
    }
};

QTEST_GUILESS_MAIN(TestPathBytes)
#include "tst_pathbytes.moc"
