// The free space a batch needs before it starts, and what a full folder or
// a working file that could not be written is told as.
#include "core/convert/FolderSpace.h"

#include <QHash>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

using namespace Qt::StringLiterals;
using FreeFigures = QHash<QString, qint64>;
Q_DECLARE_METATYPE(FreeFigures)

namespace {
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 ConverterBytes = 8 * MiB;
} // namespace

class TestFolderSpace : public QObject {
    Q_OBJECT

private slots:
    void firstUnmetNeed_data() {
        QTest::addColumn<bool>("twoPasses");
        QTest::addColumn<FreeFigures>("free");
        QTest::addColumn<QString>("refusal");
        const QString tmp = PassLogTemporaryFolder();
        QTest::newRow("room everywhere")
            << true << FreeFigures{{u"/d"_s, 20 * MiB}, {u"/o"_s, 2 * MiB}, {tmp, 2 * MiB}}
            << QString();
        QTest::newRow("data folder short of the converter copy")
            << false << FreeFigures{{u"/d"_s, ConverterBytes}, {u"/o"_s, 0}}
            << QStringLiteral("the disk is full (/d): the data folder needs 9 MB free");
        QTest::newRow("output folder full")
            << false << FreeFigures{{u"/d"_s, 20 * MiB}, {u"/o"_s, 4096}, {tmp, 0}}
            << QStringLiteral("the disk is full (/o): the output folder needs 1 MB free");
        QTest::newRow("temporary folder full with two passes")
            << true << FreeFigures{{u"/d"_s, 20 * MiB}, {u"/o"_s, 2 * MiB}, {tmp, MiB - 1}}
            << QString(u"the disk is full (" + tmp +
                       u"): the temporary folder for the two-pass logs needs 1 MB free");
        QTest::newRow("temporary folder not used by one pass")
            << false << FreeFigures{{u"/d"_s, 20 * MiB}, {u"/o"_s, 2 * MiB}, {tmp, 0}} << QString();
        QTest::newRow("unknown free space passes")
            << true << FreeFigures{{u"/d"_s, -1}, {u"/o"_s, -1}, {tmp, -1}} << QString();
    }

    void firstUnmetNeed() {
        QFETCH(bool, twoPasses);
        QFETCH(FreeFigures, free);
        QFETCH(QString, refusal);
        const std::optional<FolderNeed> unmet = FirstUnmetNeed(
            BatchFolderNeeds(QStringLiteral("/d"), ConverterBytes, QStringLiteral("/o"), twoPasses),
            [&](const QString &folder) { return free.value(folder, -1); });
        QCOMPARE(unmet ? UnmetNeedText(*unmet) : QString(), refusal);
    }

    void writeFailureText_data() {
        QTest::addColumn<qint64>("free");
        QTest::addColumn<qint64>("needed");
        QTest::addColumn<QString>("text");
        const QString full = QStringLiteral("could not write /d/BVC2.bat: the disk is full (/d)");
        const QString other = QStringLiteral("could not write /d/BVC2.bat: Is a directory");
        QTest::newRow("nothing free") << qint64(0) << qint64(100) << full;
        QTest::newRow("less free than a working file takes") << qint64(2 * MiB) << 3 * MiB << full;
        QTest::newRow("room left: the reason") << 50 * MiB << qint64(100) << other;
        QTest::newRow("free space unknown: the reason") << qint64(-1) << qint64(100) << other;
    }

    void writeFailureText() {
        QFETCH(qint64, free);
        QFETCH(qint64, needed);
        QFETCH(QString, text);
        QCOMPARE(WriteFailureText(QStringLiteral("/d/BVC2.bat"), QStringLiteral("Is a directory"),
                                  free, needed),
                 text);
    }

    // The figures come from the file system of the folder, or of the
    // nearest folder above one not made yet; the pass logs' folder follows
    // $TMPDIR as the converter does.
    void realFolders() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const qint64 free = FreeBytes(dir.path());
        QVERIFY(free > 0);
        // /proc has no room at all, and nothing else writes there to change that.
        QCOMPARE(FreeBytes(QStringLiteral("/proc")), qint64(0));
        QCOMPARE(FreeBytes(QStringLiteral("/proc/not/yet")), qint64(0));

        const QByteArray old = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir.path().toUtf8());
        QCOMPARE(PassLogTemporaryFolder(), dir.path());
        qputenv("TMPDIR", (dir.path() + u"/missing").toUtf8());
        QCOMPARE(PassLogTemporaryFolder(), QStringLiteral("/tmp"));
        if (old.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old);
    }
};

QTEST_GUILESS_MAIN(TestFolderSpace)
#include "tst_folderspace.moc"
