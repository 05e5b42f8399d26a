// Subtitles burnt in with sizes and effects no larger than the frame can
// show: what is lowered, what stays, in the script's own frame.
#include "Components/BrannockVideoConverter/SubtitleTaming.h"

#include <QTest>

using namespace converter;
using namespace Qt::StringLiterals;

namespace {

QString script(const QString &playRes, const QString &style, const QString &text) {
    return u"[Script Info]\r\n"_s + playRes +
           u"\r\n\r\n[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, ScaleX, ScaleY, "_s
           u"Spacing, Outline, Shadow\r\nStyle: "_s +
           style +
           u"\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, Text\r\nDialogue: "_s
           u"0,0:00:00.00,0:00:05.00,Default,"_s +
           text + u"\r\n"_s;
}

} // namespace

class SubtitleTamingTest : public QObject {
    Q_OBJECT

private slots:
    void tamed_data() {
        QTest::addColumn<QString>("playRes");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tamedStyle"); // empty: as it was
        QTest::addColumn<QString>("tamedText");
        const QString plain = u"Default,Arial,20,100,100,0,2,1"_s;
        const QString frame = u"PlayResX: 640\r\nPlayResY: 480"_s;
        QTest::newRow("ordinary: nothing lowered")
            << frame << plain << u"{\\fs40\\blur2\\bord3}Hello, there"_s << QString() << QString();
        QTest::newRow("an SRT font size of 99999: the frame's height")
            << QString() << plain << u"{\\fs99999}Hello there{\\fs}"_s << QString()
            << u"{\\fs288}Hello there{\\fs}"_s;
        QTest::newRow("styles lowered, other fields kept")
            << frame << u"Default,Arial,2000,1000,90,900,500,-500"_s << u"Text"_s
            << u"Default,Arial,480,400,90,64,48,-48"_s << QString();
        QTest::newRow("every size tag of an event, inside animations too")
            << frame << plain
            << u"{\\fs3000\\blur50\\be99\\fscx900\\fscy5\\fsp-100\\xbord80\\shad 70"_s
               u"\\t(0,500,\\fscy2000)}a{\\b1\\fn Arial}b"_s
            << QString()
            << u"{\\fs480\\blur20\\be20\\fscx400\\fscy5\\fsp-64\\xbord48\\shad 48"_s
               u"\\t(0,500,\\fscy400)}a{\\b1\\fn Arial}b"_s;
        QTest::newRow("a relative growth is dropped, a shrink kept")
            << frame << plain << u"{\\fs+40\\fs+40\\fs-2}x"_s << QString() << u"{\\fs-2}x"_s;
        QTest::newRow("only the height named: 4:3 taken")
            << u"PlayResY: 720"_s << plain << u"{\\fs1000\\fsp100}x"_s << QString()
            << u"{\\fs720\\fsp96}x"_s;
        QTest::newRow("tags outside a brace are text")
            << frame << plain << u"\\fs9000 stays {\\fs9000}"_s << QString()
            << u"\\fs9000 stays {\\fs480}"_s;
    }

    void tamed() {
        QFETCH(QString, playRes);
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(QString, tamedStyle);
        QFETCH(QString, tamedText);
        const QString expected = script(playRes, tamedStyle.isEmpty() ? style : tamedStyle,
                                        tamedText.isEmpty() ? text : tamedText);
        const TamedSubtitles tamed = tameSubtitles(script(playRes, style, text).toStdString());
        QCOMPARE(QString::fromStdString(tamed.script), expected);
        QCOMPARE(tamed.changed, !tamedStyle.isEmpty() || !tamedText.isEmpty());
    }
};

QTEST_APPLESS_MAIN(SubtitleTamingTest)
#include "tst_subtitle_taming.moc"
