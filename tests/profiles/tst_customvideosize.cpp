// The size texts of the custom video size dialog: splitting the current
// size for editing, and the width and height it accepts.
#include "core/profiles/CustomVideoSize.h"

#include <QtTest>

using namespace CustomVideoSize;
using namespace Qt::StringLiterals;

class TestCustomVideoSize : public QObject {
    Q_OBJECT

private slots:
    void splitForEditing_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("list entry") << "640x480"
                                    << "640"
                                    << "480";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("no x") << "640*480"
                              << ""
                              << "";
        QTest::newRow("capital X is no separator") << "640X480"
                                                   << ""
                                                   << "";
        QTest::newRow("blanks around parts") << " 640 x 480 "
                                             << "640"
                                             << "480";
        QTest::newRow("half rounds to even, down") << "640.5x480"
                                                   << "640"
                                                   << "480";
        QTest::newRow("half rounds to even, up") << "641.5x479.5"
                                                 << "642"
                                                 << "480";
        QTest::newRow("fraction") << "400.7x300.2"
                                  << "401"
                                  << "300";
        QTest::newRow("width not a number") << "widex480"
                                            << ""
                                            << "480";
        QTest::newRow("height missing") << "640x"
                                        << "640"
                                        << "";
        QTest::newRow("width beyond 16 bits") << "40000x480"
                                              << ""
                                              << "480";
        QTest::newRow("first x splits") << "640x480x2"
                                        << "640"
                                        << "";
        QTest::newRow("negative") << "-320x240"
                                  << "-320"
                                  << "240";
        QTest::newRow("leading zeros") << "0640x0480"
                                       << "640"
                                       << "480";
    }

    void splitForEditing() {
        QFETCH(QString, size);
        QFETCH(QString, width);
        QFETCH(QString, height);
        const Fields fields = SplitForEditing(size);
        QCOMPARE(fields.width, width);
        QCOMPARE(fields.height, height);
    }

    void compose_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("size"); // empty: refused
        QTest::newRow("plain") << "400"
                               << "300"
                               << "400x300";
        QTest::newRow("blanks and plus are tidied") << " +400 "
                                                    << "300 "
                                                    << "400x300";
        QTest::newRow("leading zeros are tidied") << "0400"
                                                  << "0300"
                                                  << "400x300";
        QTest::newRow("smallest") << "2"
                                  << "2"
                                  << "2x2";
        QTest::newRow("largest") << "32766"
                                 << "32766"
                                 << "32766x32766";
        QTest::newRow("letters") << "abc"
                                 << "300"
                                 << "";
        QTest::newRow("fraction") << "400.5"
                                  << "300"
                                  << "";
        QTest::newRow("whole fraction") << "400.0"
                                        << "300"
                                        << "";
        QTest::newRow("zero") << "0"
                              << "300"
                              << "";
        QTest::newRow("negative") << "-320"
                                  << "240"
                                  << "";
        QTest::newRow("odd width") << "401"
                                   << "300"
                                   << "";
        QTest::newRow("odd height") << "400"
                                    << "301"
                                    << "";
        QTest::newRow("empty width") << ""
                                     << "300"
                                     << "";
        QTest::newRow("empty height") << "400"
                                      << ""
                                      << "";
        QTest::newRow("blank") << " "
                               << "300"
                               << "";
        QTest::newRow("beyond 16 bits") << "32768"
                                        << "300"
                                        << "";
        QTest::newRow("far beyond") << "99999999999"
                                    << "300"
                                    << "";
        QTest::newRow("exponent") << "4e2"
                                  << "300"
                                  << "";
        QTest::newRow("grouping") << "1,000"
                                  << "300"
                                  << "";
        QTest::newRow("two signs") << "++400"
                                   << "300"
                                   << "";
        QTest::newRow("inner blank") << "4 00"
                                     << "300"
                                     << "";
        QTest::newRow("other digits") << QString::fromUtf16(u"\uff14\uff10\uff10") << "300"
                                      << "";
    }

    void compose() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, size);
        const std::optional<QString> composed = Compose(width, height);
        QCOMPARE(composed.value_or(QString()), size);
        // Refused exactly when either part is refused.
        QCOMPARE(composed.has_value(),
                 ParseDimension(width).has_value() && ParseDimension(height).has_value());
    }

    // What the encoders cannot take: a frame under 16 pixels either way, and
    // for H.263 any size but its five.
    void codecSizeRefusal_data() {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const QString smallest = u"The minimum video size is: 16x16"_s;
        const QString h263 = u"The H.263 videocodec takes only these video sizes: 128x96, "
                             u"176x144, 352x288, 704x576, 1408x1152"_s;
        QTest::newRow("smallest") << u"h264"_s << u"16x16"_s << QString();
        QTest::newRow("tiny") << u"h264"_s << u"2x2"_s << smallest;
        QTest::newRow("narrow") << u"mpeg4"_s << u"14x240"_s << smallest;
        QTest::newRow("flat") << u"wmv2"_s << u"320x14"_s << smallest;
        QTest::newRow("H.263 size") << u"h263"_s << u"176x144"_s << QString();
        QTest::newRow("H.263 largest") << u"H263"_s << u"1408x1152"_s << QString();
        QTest::newRow("H.263 other size") << u"h263"_s << u"320x240"_s << h263;
        QTest::newRow("H.263 turned round") << u"h263"_s << u"144x176"_s << h263;
        QTest::newRow("no custom size") << u"h263"_s << u"big"_s << QString();
    }

    void codecSizeRefusal() {
        QFETCH(QString, codec);
        QFETCH(QString, size);
        QFETCH(QString, refusal);
        QCOMPARE(CodecSizeRefusal(codec, size).value_or(QString()), refusal);
    }
};

QTEST_APPLESS_MAIN(TestCustomVideoSize)
#include "tst_customvideosize.moc"
