// Quoting for the batch's shell: whatever a file is called, the shell reads
// back exactly that name as one argument, and runs nothing else.
#include "core/convert/ShellQuote.h"
#include "tests/support/MediaTools.h"

#include <QTemporaryDir>
#include <QtTest>

class TestShellQuote : public QObject {
    Q_OBJECT

private slots:
    void quoting_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "/v/a.avi"
                               << "'/v/a.avi'";
        QTest::newRow("quote") << "a'b.avi"
                               << "'a'\\''b.avi'";
        QTest::newRow("empty") << ""
                               << "''";
    }

    void quoting() {
        QFETCH(QString, argument);
        QFETCH(QString, quoted);
        QCOMPARE(ShellQuote(argument), quoted);
    }

    void shellReadsBackTheSameArgument_data() {
        QTest::addColumn<QString>("argument");
        const char *names[] = {"$(touch pwned).avi",
                               "`touch pwned`.avi",
                               "a\"b.avi",
                               "a'b.avi",
                               "a;b.avi",
                               "a&b|c.avi",
                               "-x.avi",
                               "two\nlines.avi",
                               "tab\there.avi",
                               "100% !*?.avi",
                               "\\back\\slash",
                               "  spaced  ",
                               "caf\xc3\xa9 \xd7\xa9.avi",
                               "'",
                               "''",
                               "\xe2\x80\x8f"
                               "rtl.avi"};
        for (const char *name : names)
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void shellReadsBackTheSameArgument() {
        QFETCH(QString, argument);
        QTemporaryDir dir;
        const QString script =
            u"cd " + ShellQuote(dir.path()) + u" && printf '%s' " + ShellQuote(argument);
        const ProgramResult result =
            RunProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(QString::fromUtf8(result.output), argument);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("pwned"))));
    }
};

QTEST_APPLESS_MAIN(TestShellQuote)
#include "tst_shellquote.moc"
