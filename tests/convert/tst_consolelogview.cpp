// The log box shows console output as a terminal would.
#include "app/convert/ConsoleLogView.h"

#include <QtTest>

class TestConsoleLogView : public QObject {
    Q_OBJECT

private slots:
    void showsOutputLikeATerminal_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lines") << QList<QByteArray>{"one\ntwo\n"} << "one\ntwo\n";
        QTest::newRow("progress in place")
            << QList<QByteArray>{"Duration\n", "time=1    \r", "time=2    \r", "time=3    \r\n",
                                 "done\n"}
            << "Duration\ntime=3    \ndone\n";
        QTest::newRow("carriage return split from its text")
            << QList<QByteArray>{"time=1\r", "", "ti", "me=2\r"} << "time=2";
        QTest::newRow("CR LF keeps the line") << QList<QByteArray>{"a\r", "\nb"} << "a\nb";
        QTest::newRow("character split between chunks")
            << QList<QByteArray>{"caf\xc3", "\xa9\n"} << QString::fromUtf8("caf\xc3\xa9\n");
        QTest::newRow("shorter line replaces a longer one")
            << QList<QByteArray>{"long progress line\r", "short"} << "short";
    }

    void showsOutputLikeATerminal() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, expected);
        ConsoleLogView log;
        for (const QByteArray &chunk : chunks)
            log.appendOutput(chunk);
        QCOMPARE(log.toPlainText(), expected);
    }

    void veryLongLogsKeepTheirEnd() {
        ConsoleLogView log;
        QByteArray lines;
        for (int i = 0; i < ConsoleLogView::MaximumLines + 500; ++i)
            lines += "line " + QByteArray::number(i) + '\n';
        log.appendOutput(lines);
        QVERIFY(log.document()->blockCount() <= ConsoleLogView::MaximumLines);
        QVERIFY(log.toPlainText().endsWith(
            QStringLiteral("line %1\n").arg(ConsoleLogView::MaximumLines + 499)));
    }
};

QTEST_MAIN(TestConsoleLogView)
#include "tst_consolelogview.moc"
