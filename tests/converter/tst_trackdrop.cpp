// TrackDrop, the tool that adds a converted file to the Mobivert playlist in
// the user's music folder.
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TrackDropTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsPlaylist();
    void listsFileOnce_data();
    void listsFileOnce();
    void appendsToPlaylist();
    void musicFolder_data();
    void musicFolder();
    void failures_data();
    void failures();

private:
    ProgramResult
    trackDrop(const QStringList &arguments,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    QString playlist() const { return m_home->musicFolder() + QStringLiteral("/Mobivert.m3u8"); }

    std::unique_ptr<TestHome> m_home;
    QString m_videos; // a folder with a converted file in it
    QString m_file;   // its absolute path
};

ProgramResult TrackDropTest::trackDrop(const QStringList &arguments,
                                       const QProcessEnvironment &environment) {
    ProgramOptions options;
    options.workingDirectory = m_home->path();
    options.environment = environment;
    options.timeoutMs = 20000;
    return RunProgram(TestPaths::trackDrop(), arguments, options);
}

void TrackDropTest::init() {
    m_home = std::make_unique<TestHome>();
    m_videos = m_home->makeFolder(QStringLiteral("My Videos"));
    m_file = m_videos + QStringLiteral("/it's \"the\" $HOME `id`; Ärger.mp4");
    QVERIFY(WriteFileBytes(m_file, "converted"));
}

void TrackDropTest::cleanup() {
    m_home.reset();
}

void TrackDropTest::startsPlaylist() {
    QVERIFY(!QFileInfo::exists(m_home->musicFolder()));
    // A relative name, from the home folder.
    const ProgramResult result =
        trackDrop({QStringLiteral("My Videos/") + QFileInfo(m_file).fileName()});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(ReadFileBytes(playlist()), "#EXTM3U\n" + m_file.toUtf8() + "\n");
}

void TrackDropTest::listsFileOnce_data() {
    QTest::addColumn<QString>("again"); // the second name; "LINK-FILE" and "LINK-FOLDER" make links

    QTest::newRow("same name") << QString();
    QTest::newRow("relative") << QStringLiteral("REL");
    QTest::newRow("with . and ..") << QStringLiteral("DOTS");
    QTest::newRow("link to the file") << QStringLiteral("LINK-FILE");
    QTest::newRow("link to its folder") << QStringLiteral("LINK-FOLDER");
}

void TrackDropTest::listsFileOnce() {
    QFETCH(QString, again);
    const QString name = QFileInfo(m_file).fileName();
    QString second = m_file;
    if (again == QStringLiteral("REL")) {
        second = QStringLiteral("My Videos/") + name;
    } else if (again == QStringLiteral("DOTS")) {
        second = m_home->path() + QStringLiteral("/./My Videos/../My Videos/") + name;
    } else if (again == QStringLiteral("LINK-FILE")) {
        second = m_home->path() + QStringLiteral("/link.mp4");
        QVERIFY(QFile::link(m_file, second));
    } else if (again == QStringLiteral("LINK-FOLDER")) {
        QVERIFY(QFile::link(m_videos, m_home->path() + QStringLiteral("/Films")));
        second = m_home->path() + QStringLiteral("/Films/") + name;
    }
    QCOMPARE(trackDrop({m_file}).exitCode, 0);
    const QByteArray once = ReadFileBytes(playlist());
    QCOMPARE(once, "#EXTM3U\n" + m_file.toUtf8() + "\n");
    const ProgramResult result = trackDrop({second});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(ReadFileBytes(playlist()), once);
}

void TrackDropTest::appendsToPlaylist() {
    // A playlist written by someone else, without a line end after its last entry.
    QVERIFY(QDir().mkpath(m_home->musicFolder()));
    const QByteArray earlier = "#EXTM3U\n#EXTINF:12,Someone - Song\n/music/song.mp3";
    QVERIFY(WriteFileBytes(playlist(), earlier));
    const QString other = m_videos + QStringLiteral("/second.m4v");
    QVERIFY(WriteFileBytes(other, "converted"));

    QCOMPARE(trackDrop({m_file}).exitCode, 0);
    QCOMPARE(trackDrop({other}).exitCode, 0);
    QCOMPARE(ReadFileBytes(playlist()),
             earlier + "\n" + m_file.toUtf8() + "\n" + other.toUtf8() + "\n");
}

void TrackDropTest::musicFolder_data() {
    QTest::addColumn<QString>("musicVariable");  // "UNSET": not set at all
    QTest::addColumn<QString>("expectedFolder"); // relative to the home folder

    QTest::newRow("XDG_MUSIC_DIR")
        << QStringLiteral("HOME/Tunes/Mine") << QStringLiteral("Tunes/Mine");
    QTest::newRow("unset") << QStringLiteral("UNSET") << QStringLiteral("Music");
    QTest::newRow("empty") << QString() << QStringLiteral("Music");
    QTest::newRow("relative") << QStringLiteral("Tunes") << QStringLiteral("Music");
}

void TrackDropTest::musicFolder() {
    QFETCH(QString, musicVariable);
    QFETCH(QString, expectedFolder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (musicVariable == QStringLiteral("UNSET"))
        environment.remove(QStringLiteral("XDG_MUSIC_DIR"));
    else
        environment.insert(QStringLiteral("XDG_MUSIC_DIR"),
                           musicVariable.replace(QStringLiteral("HOME"), m_home->path()));
    const ProgramResult result = trackDrop({m_file}, environment);
    QCOMPARE(result.exitCode, 0);
    const QString expected =
        m_home->path() + QLatin1Char('/') + expectedFolder + QStringLiteral("/Mobivert.m3u8");
    QCOMPARE(ReadFileBytes(expected), "#EXTM3U\n" + m_file.toUtf8() + "\n");
}

void TrackDropTest::failures_data() {
    QTest::addColumn<QStringList>("arguments"); // "FILE" for the converted file
    QTest::addColumn<QString>("obstacle");      // what is in the way
    QTest::addColumn<QString>("message");       // a part of the one line printed

    QTest::newRow("no argument") << QStringList() << QString() << QStringLiteral("usage");
    QTest::newRow("two arguments") << QStringList{QStringLiteral("FILE"), QStringLiteral("FILE")}
                                   << QString() << QStringLiteral("usage");
    QTest::newRow("missing file") << QStringList{QStringLiteral("My Videos/gone.mp4")} << QString()
                                  << QStringLiteral("My Videos/gone.mp4: no such file");
    QTest::newRow("a folder") << QStringList{QStringLiteral("My Videos")} << QString()
                              << QStringLiteral("My Videos: not a file");
    QTest::newRow("playlist is a folder")
        << QStringList{QStringLiteral("FILE")} << QStringLiteral("playlist folder")
        << QStringLiteral("cannot write the playlist");
    QTest::newRow("music folder is a file")
        << QStringList{QStringLiteral("FILE")} << QStringLiteral("music file")
        << QStringLiteral("Mobivert.m3u8");
    QTest::newRow("line break in the name") << QStringList{QStringLiteral("My Videos/a\nb.mp4")}
                                            << QString() << QStringLiteral("line break");
}

void TrackDropTest::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, obstacle);
    QFETCH(QString, message);
    for (QString &argument : arguments) {
        if (argument == QStringLiteral("FILE"))
            argument = m_file;
    }
    QVERIFY(WriteFileBytes(m_videos + QStringLiteral("/a\nb.mp4"), "converted"));
    if (obstacle == QStringLiteral("playlist folder"))
        QVERIFY(QDir().mkpath(playlist()));
    else if (obstacle == QStringLiteral("music file"))
        QVERIFY(WriteFileBytes(m_home->musicFolder(), "not a folder"));

    const ProgramResult result = trackDrop(arguments);
    QVERIFY(result.exitCode != 0);
    QVERIFY(!result.crashed);
    QCOMPARE(result.output.count('\n'), 1);
    QVERIFY(result.output.endsWith('\n'));
    QVERIFY2(result.output.contains(message.toUtf8()), result.output.constData());
    QVERIFY(!QFileInfo(playlist()).isFile());
}

QTEST_GUILESS_MAIN(TrackDropTest)
#include "tst_trackdrop.moc"
