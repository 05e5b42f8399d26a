// The pass-log folder of a two-pass conversion and what a failed pass says
// about its free space.
#include "Components/BrannockVideoConverter/PassLogFolder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

class TestPassLogFolder : public QObject {
    Q_OBJECT

private slots:
    void spaceProblem_data() {
        QTest::addColumn<qlonglong>("freeBytes");
        QTest::addColumn<QString>("problem");
        const QString full =
            QStringLiteral("the pass log could not be written: the disk is full (/tmp)");
        QTest::newRow("nothing free") << 0LL << full;
        QTest::newRow("less than a pass log needs") << 512LL * 1024 << full;
        QTest::newRow("room left: another fault") << 64LL * 1024 * 1024 << QString();
        QTest::newRow("unknown") << -1LL << QString();
    }

    void spaceProblem() {
        QFETCH(qlonglong, freeBytes);
        QFETCH(QString, problem);
        QCOMPARE(QString::fromStdString(converter::passLogSpaceProblem("/tmp", freeBytes)),
                 problem);
    }

    // The free space is read from the folder made in $TMPDIR, and none is
    // known once it is removed.
    void freeBytesOfTheFolder() {
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QByteArray old = qgetenv("TMPDIR");
        qputenv("TMPDIR", temporary.path().toUtf8());
        converter::PassLogFolder folder;
        std::string error;
        QVERIFY2(folder.create(error), error.c_str());
        QVERIFY(QString::fromStdString(folder.logPrefix()).startsWith(temporary.path() + u'/'));
        QVERIFY(folder.freeBytes() > 0);
        QCOMPARE(converter::passLogSpaceProblem(converter::temporaryFolder(), folder.freeBytes()),
                 std::string());
        folder.remove();
        QCOMPARE(folder.freeBytes(), -1LL);
        if (old.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old);
    }
};

QTEST_GUILESS_MAIN(TestPassLogFolder)
#include "tst_passlogfolder.moc"
