// TrackDrop, the tool that adds a converted file to a connected iPod's own
// database (test iPods laid out and read back by libgpod), or to the
// Mobivert playlist in the user's music folder.
#include "Components/TrackDrop/IpodLibrary.h"
#include "Components/TrackDrop/Mp4Info.h"
#include "Components/TrackDrop/Mp4Tags.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestIpod.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
const QString Guid = QStringLiteral("0x000A27001A2B3C4D");

// MP4 boxes for the tag reader: a 32-bit size, the type, the content.
QByteArray bigEndian32(quint32 value) {
    value = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), 4);
}

QByteArray box(const QByteArray &type, const QByteArray &content) {
    return bigEndian32(quint32(content.size() + 8)) + type + content;
}

QByteArray data(quint32 kind, const QByteArray &value) {
    return box("data", bigEndian32(kind) + bigEndian32(0) + value);
}

QByteArray text(const QByteArray &type, const QByteArray &value) {
    return box(type, data(1, value));
}

// The content of a movie box holding the tag list `items`.
QByteArray movieWith(const QByteArray &items, bool quickTimeMeta = false) {
    const QByteArray handler = box("hdlr", QByteArray(8, '\0') + "mdirappl" + QByteArray(9, '\0'));
    const QByteArray meta =
        (quickTimeMeta ? QByteArray() : bigEndian32(0)) + handler + box("ilst", items);
    return box("mvhd", QByteArray(100, '\0')) + box("udta", box("meta", meta));
}

// The tags as "title|show|episode id|sort title|sort show|kind|season|episode|cover in hex".
QString summary(const trackdrop::Mp4Tags &tags) {
    const auto number = [](std::optional<quint32> value) {
        return value ? std::to_string(*value) : std::string();
    };
    return QString::fromStdString(
        tags.title + '|' + tags.show + '|' + tags.episodeId + '|' + tags.sortTitle + '|' +
        tags.sortShow + '|' + number(tags.mediaKind) + '|' + number(tags.season) + '|' +
        number(tags.episode) + '|' + QByteArray::fromStdString(tags.cover).toHex().toStdString());
}
} // namespace

class TrackDropTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addsToIpod_data();
    void addsToIpod();
    void keepsEveryTrack();
    void handOffRunAgainAddsNothing();
    void refusesWhatTheIpodWouldReject_data();
    void refusesWhatTheIpodWouldReject();
    void failedWriteLeavesDatabase_data();
    void failedWriteLeavesDatabase();
    void oneWriterAtATime();
    void chosenIpodBesideProgram();
    void cutOffHandOff_data();
    void cutOffHandOff();
    void fullIpodSaysWhatItKeeps_data();
    void fullIpodSaysWhatItKeeps();
    void failedConversionIsNotHandedOff();
    void readsTags_data();
    void readsTags();
    void handsOffWithTags_data();
    void handsOffWithTags();
    void artworkThatCannotBeWritten();
    void failedWriteLeavesArtwork();

    void startsPlaylist();
    void listsFileOnce_data();
    void listsFileOnce();
    void appendsToPlaylist();
    void musicFolder_data();
    void musicFolder();
    void failures_data();
    void failures();

private:
    // Runs TrackDrop (or another program, with TrackDrop among its arguments).
    ProgramResult
    trackDrop(const QStringList &arguments,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
              const QString &program = TestPaths::trackDrop());
    QString playlist() const { return m_home->musicFolder() + QStringLiteral("/Mobivert.m3u8"); }

    // A test iPod in the home: a 5th generation iPod, or a classic with or
    // without its FirewireGuid.
    QString ipod(const QString &model = QStringLiteral("MA446"), const QString &guid = {});
    // A file as the converter makes it for the iPod: tags are ffmpeg's
    // metadata ("show=Some Show"), the cover a picture file or none.
    bool makeTaggedFile(const QString &file, const QStringList &tags, const QString &cover);

    std::unique_ptr<TestHome> m_home;
    QString m_videos; // a folder with a converted file in it
    QString m_file;   // its absolute path
    QTemporaryDir m_clips;
    QString m_video, m_audio; // converted files: MP4 with video, and sound only
    QString m_jpeg, m_png;    // cover pictures
};

ProgramResult TrackDropTest::trackDrop(const QStringList &arguments,
                                       const QProcessEnvironment &environment,
                                       const QString &program) {
    ProgramOptions options;
    options.workingDirectory = m_home->path();
    options.environment = environment;
    options.timeoutMs = 20000;
    return RunProgram(program, arguments, options);
}

void TrackDropTest::initTestCase() {
    m_video = m_clips.filePath(QStringLiteral("Holiday clip.m4v"));
    m_audio = m_clips.filePath(QStringLiteral("tone.m4a"));
    QVERIFY(MakeClip(m_video, {1.0, 160, 120, 25, true, true, {}}));
    QVERIFY(MakeClip(m_audio, {1.5, 160, 120, 25, false, true, {}}));
    m_jpeg = m_clips.filePath(QStringLiteral("cover.jpg"));
    m_png = m_clips.filePath(QStringLiteral("cover.png"));
    for (const QString &cover : {m_jpeg, m_png}) {
        QCOMPARE(RunProgram(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                          u"testsrc2=size=120x90"_s, u"-frames:v"_s, u"1"_s, cover})
                     .exitCode,
                 0);
    }
}

QString TrackDropTest::ipod(const QString &model, const QString &guid) {
    const QString folder = m_home->makeFolder(QStringLiteral("IPOD ") + model);
    if (!MakeTestIpod(folder, model, guid))
        qFatal("no test iPod");
    return folder;
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

void TrackDropTest::addsToIpod_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("guid");
    QTest::addColumn<bool>("video");

    QTest::newRow("5th generation, video") << QStringLiteral("MA446") << QString() << true;
    QTest::newRow("5th generation, sound") << QStringLiteral("MA446") << QString() << false;
    QTest::newRow("classic, video") << QStringLiteral("MB029") << Guid << true;
}

void TrackDropTest::addsToIpod() {
    QFETCH(QString, model);
    QFETCH(QString, guid);
    QFETCH(bool, video);
    const QString folder = ipod(model, guid);
    const QString file = video ? m_video : m_audio;
    const ProgramResult result = trackDrop({QStringLiteral("--ipod"), folder, file});
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(result.exitCode, 0);

    const std::optional<QList<IpodTrack>> tracks = ReadIpodTracks(folder);
    QVERIFY(tracks && tracks->size() == 1);
    const IpodTrack &track = tracks->first();
    QCOMPARE(track.title, QFileInfo(file).completeBaseName());
    QCOMPARE(track.mediatype, video ? MovieType() : AudioType());
    QVERIFY2(qAbs(track.lengthMs - (video ? 1000 : 1500)) < 100,
             qPrintable(QString::number(track.lengthMs)));
    QCOMPARE(qint64(track.size), QFileInfo(file).size());
    QVERIFY(track.inMainList);
    QCOMPARE(ReadFileBytes(track.file), ReadFileBytes(file));
    QVERIFY(QFileInfo::exists(file)); // kept where it was
    QVERIFY(!QFileInfo::exists(playlist()));
}

void TrackDropTest::keepsEveryTrack() {
    const QString folder = ipod();
    QVERIFY(AddSongs(folder, 500));
    const QList<IpodTrack> before = *ReadIpodTracks(folder);
    const QByteArray database = IpodDatabase(folder);

    QCOMPARE(trackDrop({QStringLiteral("--ipod"), folder, m_video}).exitCode, 0);
    const QList<IpodTrack> after = *ReadIpodTracks(folder);
    QCOMPARE(after.size(), 501);
    QCOMPARE(after.first(500), before);
    // Without a check before (a run by hand), the database is backed up first.
    QCOMPARE(ReadFileBytes(folder + u"/iPod_Control/iTunes/iTunesDB.mobivert-backup"), database);
}

// A hand-off whose database write went through but whose end the batch
// never saw is run again by the resume: the file is there once.
void TrackDropTest::handOffRunAgainAddsNothing() {
    const QString folder = ipod();
    for (int run = 0; run < 2; ++run) {
        const ProgramResult result = trackDrop({QStringLiteral("--ipod"), folder, m_video});
        QCOMPARE(result.output, QByteArray());
        QCOMPARE(result.exitCode, 0);
    }
    const QList<IpodTrack> tracks = *ReadIpodTracks(folder);
    QCOMPARE(tracks.size(), 1);
    QCOMPARE(IpodMusicFiles(folder), QStringList{tracks[0].file});
}

void TrackDropTest::refusesWhatTheIpodWouldReject_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("damage"); // what the test does to the iPod or the file
    QTest::addColumn<QString>("message");

    QTest::newRow("classic without FirewireGuid")
        << QStringLiteral("MB029") << QStringLiteral("forget guid")
        << QStringLiteral("needs a checksum made from the iPod's FirewireGuid");
    QTest::newRow("classic, unknown model")
        << QStringLiteral("MB029") << QStringLiteral("no SysInfo")
        << QStringLiteral("its database carries a checksum, but iPod_Control/Device/SysInfo names "
                          "no model");
    QTest::newRow("nano 5th generation")
        << QStringLiteral("MA446") << QStringLiteral("nano 5th generation")
        << QStringLiteral("cannot be made safely here");
    QTest::newRow("not an MP4 file") << QStringLiteral("MA446") << QStringLiteral("not mp4")
                                     << QStringLiteral("it is not an MP4 file");
    QTest::newRow("video on an iPod nano 2nd generation")
        << QStringLiteral("MA477") << QString() << QStringLiteral("cannot play video");
    QTest::newRow("iPod gone") << QStringLiteral("MA446") << QStringLiteral("unplug")
                               << QStringLiteral("it is not connected");
}

void TrackDropTest::refusesWhatTheIpodWouldReject() {
    QFETCH(QString, model);
    QFETCH(QString, damage);
    QFETCH(QString, message);
    const QString folder = ipod(model, model == u"MB029" ? Guid : QString());
    const QString sysInfo = folder + u"/iPod_Control/Device/SysInfo";
    if (damage == u"forget guid")
        QVERIFY(WriteFileBytes(sysInfo, "ModelNumStr: MB029\n"));
    else if (damage == u"no SysInfo")
        QVERIFY(QFile::remove(sysInfo));
    else if (damage == u"nano 5th generation") // libgpod would not lay one out
        QVERIFY(WriteFileBytes(sysInfo, "ModelNumStr: MC031\n"));
    QString file = m_video;
    if (damage == u"not mp4")
        file = m_file;
    const QString target = damage == u"unplug" ? folder + u"/gone" : folder;
    const QByteArray database = IpodDatabase(folder);

    const ProgramResult result = trackDrop({QStringLiteral("--ipod"), target, file});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.output.count('\n'), 1);
    QVERIFY2(result.output.contains(message.toUtf8()), result.output.constData());
    QVERIFY(result.output.startsWith(
        QByteArray("TrackDrop: " + file.toUtf8() + ": not added to the iPod at ")));
    QCOMPARE(IpodDatabase(folder), database);
    QCOMPARE(IpodMusicFiles(folder), QStringList());
}

void TrackDropTest::failedWriteLeavesDatabase_data() {
    QTest::addColumn<qint64>("headroom"); // bytes the file-size limit allows beyond the clip
    QTest::addColumn<QString>("message");

    // Smaller than the clip: the copy fails half-way, as on a device that
    // is full or gone. Larger: the copy succeeds and the database (500
    // songs) cannot be written in full.
    QTest::newRow("copy") << qint64(-4096) << QStringLiteral("copying it to the iPod failed");
    QTest::newRow("database") << qint64(4096)
                              << QStringLiteral("the iPod's database could not be written");
}

void TrackDropTest::failedWriteLeavesDatabase() {
    QFETCH(qint64, headroom);
    QFETCH(QString, message);
    const QString folder = ipod();
    QVERIFY(AddSongs(folder, 500));
    QCOMPARE(trackDrop({QStringLiteral("--check"), folder}).exitCode, 0);
    const QByteArray database = IpodDatabase(folder);
    QVERIFY(database.size() > QFileInfo(m_video).size() + headroom);

    const QString limit = QString::number(QFileInfo(m_video).size() + headroom);
    const ProgramResult result =
        trackDrop({QStringLiteral("--fsize=") + limit, TestPaths::trackDrop(),
                   QStringLiteral("--ipod"), folder, m_video},
                  QProcessEnvironment::systemEnvironment(), QStringLiteral("prlimit"));
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.output.contains(message.toUtf8()), result.output.constData());
    QVERIFY(result.output.contains("was left as it was"));
    QCOMPARE(IpodDatabase(folder), database);
    QCOMPARE(IpodMusicFiles(folder), QStringList());
    QCOMPARE(QDir(folder + u"/iPod_Control/iTunes").entryList(QDir::Files),
             QStringList({QStringLiteral("iTunesDB"), QStringLiteral("iTunesDB.mobivert-backup"),
                          QStringLiteral("Mobivert.lock")}));
    QCOMPARE(ReadIpodTracks(folder)->size(), 500);
}

void TrackDropTest::oneWriterAtATime() {
    // Several batches handing files to one iPod at once: each hand-off
    // reads, changes and writes the whole database, so without the lock
    // one would write over another's track.
    const QString folder = ipod();
    QVERIFY(AddSongs(folder, 500));
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 6; ++i) {
        const QString copy = m_videos + QStringLiteral("/clip %1.m4v").arg(i);
        QVERIFY(QFile::copy(m_video, copy));
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->start(TestPaths::trackDrop(), {QStringLiteral("--ipod"), folder, copy});
    }
    for (const auto &run : runs) {
        QVERIFY(run->waitForFinished(kPatienceMs));
        QCOMPARE(run->readAll(), QByteArray());
        QCOMPARE(run->exitCode(), 0);
    }
    const QList<IpodTrack> tracks = *ReadIpodTracks(folder);
    QCOMPARE(tracks.size(), 506);
    QCOMPARE(IpodMusicFiles(folder).size(), 6);
}

void TrackDropTest::chosenIpodBesideProgram() {
    // The batch runs the copy in the data folder, with the iPod it chose
    // in TrackDrop.ipod beside it.
    const QString folder = ipod();
    const QString data = m_home->makeFolder(QStringLiteral("data"));
    QVERIFY(QFile::copy(TestPaths::trackDrop(), data + u"/TrackDrop.exe"));
    QVERIFY(WriteFileBytes(data + u"/TrackDrop.ipod", QFile::encodeName(folder)));
    const ProgramResult result =
        trackDrop({m_video}, QProcessEnvironment::systemEnvironment(), data + u"/TrackDrop.exe");
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(ReadIpodTracks(folder)->size(), 1);
    QVERIFY(!QFileInfo::exists(playlist()));
}

void TrackDropTest::cutOffHandOff_data() {
    // Where TrackDrop is killed (strace ends it at that system call): the
    // hand-off of a batch cut off by a logout or a killed batch.
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("when");    // the how-manieth such call
    QTest::addColumn<bool>("onIpod"); // only calls naming the iPod's folder

    QTest::newRow("before the copy") << u"statfs"_s << 1 << true;
    QTest::newRow("during the copy") << u"fsync"_s << 1 << false;
    QTest::newRow("after the copy") << u"fsync"_s << 2 << false;
    QTest::newRow("before the database write") << u"rename"_s << 2 << false;
}

void TrackDropTest::cutOffHandOff() {
    QFETCH(QString, call);
    QFETCH(int, when);
    QFETCH(bool, onIpod);
    const QString folder = ipod();
    QVERIFY(AddSongs(folder, 20));
    QCOMPARE(trackDrop({u"--ipod"_s, folder, m_audio}).exitCode, 0);
    // Another program's file that no track lists stays.
    const QString foreign = folder + u"/iPod_Control/Music/F00/libgpod123456.m4v"_s;
    QVERIFY(WriteFileBytes(foreign, "not ours"));
    QCOMPARE(trackDrop({u"--check"_s, folder}).exitCode, 0);
    const QList<IpodTrack> before = *ReadIpodTracks(folder);

    QStringList strace{u"-qq"_s, u"-f"_s,
                       u"-o"_s,  u"/dev/null"_s,
                       u"-e"_s,  u"trace="_s + call,
                       u"-e"_s,  u"inject=%1:signal=KILL:when=%2"_s.arg(call).arg(when)};
    if (onIpod)
        strace << u"-P"_s << folder;
    const ProgramResult cut =
        trackDrop(strace + QStringList{TestPaths::trackDrop(), u"--ipod"_s, folder, m_video},
                  QProcessEnvironment::systemEnvironment(), u"strace"_s);
    // Killed, not failed: TrackDrop said nothing.
    QVERIFY(cut.exitCode != 0);
    QCOMPARE(cut.output, QByteArray());
    QCOMPARE(*ReadIpodTracks(folder), before);

    // The hand-off done again adds the file once, and no copy is left
    // that the database does not list.
    QCOMPARE(trackDrop({u"--ipod"_s, folder, m_video}).output, QByteArray());
    const QList<IpodTrack> after = *ReadIpodTracks(folder);
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after.first(before.size()), before);
    QCOMPARE(after.last().title, u"Holiday clip"_s);
    QStringList listed{foreign};
    for (const IpodTrack &track : after) {
        if (!track.file.isEmpty())
            listed.append(track.file);
    }
    listed.sort();
    QCOMPARE(IpodMusicFiles(folder), listed);
}

void TrackDropTest::fullIpodSaysWhatItKeeps_data() {
    QTest::addColumn<quint64>("available");
    QTest::addColumn<quint64>("fileSize");
    QTest::addColumn<QString>("figures"); // "FREE, FILE" as the message shows them

    // Free room rounded down, the file rounded up, to a tenth of a MB.
    QTest::newRow("whole MB") << quint64(3u << 20) << quint64(2u << 20) << u"3, 2"_s;
    QTest::newRow("less free than the file") << quint64(1u << 20) << quint64(5u << 20) << u"1, 5"_s;
    QTest::newRow("rounding up would seem to fit")
        << quint64(6397952) << quint64(2281343) << u"6.1, 2.2"_s;
    QTest::newRow("a byte past a tenth")
        << quint64((6u << 20) + 104857) << quint64((2u << 20) + 1) << u"6, 2.1"_s;
    QTest::newRow("nothing free, a 4 GB file")
        << quint64(0) << quint64(0xffffffffu) << u"0, 4096"_s;
}

void TrackDropTest::fullIpodSaysWhatItKeeps() {
    QFETCH(quint64, available);
    QFETCH(quint64, fileSize);
    QFETCH(QString, figures);
    const QStringList shown = figures.split(u", "_s);
    QCOMPARE(QString::fromStdString(trackdrop::ipodFullReason(available, fileSize)),
             u"the iPod is full ("_s + shown[0] + u" MB free; the file needs "_s + shown[1] +
                 u" MB, and 4 MB more is kept free for its database)"_s);
    // Whenever the file does not fit, the figures shown never add up to fitting.
    static const QRegularExpression number(u"([0-9.]+) MB"_s);
    for (const quint64 file : {quint64(1), quint64(104857), quint64(104858), fileSize}) {
        for (const quint64 shortBy : {quint64(1), quint64(104857), quint64(1u << 20)}) {
            const quint64 free = file + (4u << 20) - shortBy;
            QStringList figuresShown;
            for (const QRegularExpressionMatch &match :
                 number.globalMatch(QString::fromStdString(trackdrop::ipodFullReason(free, file))))
                figuresShown << match.captured(1);
            QVERIFY2(figuresShown[0].toDouble() < figuresShown[1].toDouble() + 4,
                     qPrintable(figuresShown.join(u", "_s)));
        }
    }
}

void TrackDropTest::failedConversionIsNotHandedOff() {
    // In a batch, a file that is not there is one whose conversion failed
    // and said so: TrackDrop adds nothing and says nothing more.
    const QString folder = ipod();
    const QString data = m_home->makeFolder(u"data"_s);
    QVERIFY(QFile::copy(TestPaths::trackDrop(), data + u"/TrackDrop.exe"_s));
    QVERIFY(WriteFileBytes(data + u"/TrackDrop.ipod"_s, QFile::encodeName(folder)));
    QProcessEnvironment batch = QProcessEnvironment::systemEnvironment();
    batch.insert(u"MOBIVERT_BATCH_SHELL"_s, u"1"_s);
    const ProgramResult result =
        trackDrop({m_videos + u"/never made.m4v"_s}, batch, data + u"/TrackDrop.exe"_s);
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(ReadIpodTracks(folder)->size(), 0);
    QVERIFY(!QFileInfo::exists(playlist()));
}

void TrackDropTest::readsTags_data() {
    QTest::addColumn<QByteArray>("movie"); // the movie box's content
    QTest::addColumn<QString>("expected"); // summary()

    const QByteArray jpeg("\xff\xd8\xff\xe0", 4);
    const QByteArray every = text("\xa9nam", "The Title") + text("tvsh", "Some Show") +
                             text("tven", "S02E05") + text("sonm", "Title, The") +
                             text("sosn", "Show, Some") + box("stik", data(21, "\x0a")) +
                             box("tvsn", data(21, bigEndian32(2))) +
                             box("tves", data(21, bigEndian32(5))) + box("covr", data(13, jpeg));
    QTest::newRow("every tag")
        << movieWith(every)
        << u"The Title|Some Show|S02E05|Title, The|Show, Some|10|2|5|ffd8ffe0"_s;
    QTest::newRow("QuickTime meta box")
        << movieWith(text("\xa9nam", "Clip"), true) << u"Clip||||||||"_s;
    QTest::newRow("first picture of the cover")
        << movieWith(box("covr", data(1, "caption") + data(0, "plain") + data(0, jpeg) +
                                     data(14, "\x89PNG\r\n\x1a\n")))
        << u"||||||||ffd8ffe0"_s;
    QTest::newRow("values of the wrong kind or size")
        << movieWith(text("tvsh", QByteArray("Show\0junk", 9)) + box("\xa9nam", data(21, "x")) +
                     box("stik", data(21, "\x00\x0a\x00")) +
                     box("tvsn", data(21, QByteArray("\x00\x00\x00\x01\x00\x00\x00\x00", 8))) +
                     box("tves", box("data", "short")) + box("covr", data(13, {})))
        << u"|Show|||||||"_s;
    QTest::newRow("64-bit sizes") << movieWith(bigEndian32(1) + "\xa9nam" + bigEndian32(0) +
                                               bigEndian32(36) + data(1, "Wide"))
                                  << u"Wide||||||||"_s;
    QTest::newRow("size 0 runs to the end")
        << movieWith(text("tvsh", "Show") + bigEndian32(0) + "\xa9nam" + data(1, "Last"))
        << u"Last|Show|||||||"_s;
    QTest::newRow("box larger than what holds it")
        << movieWith(text("tvsh", "Show") + bigEndian32(1000) + "\xa9nam" + data(1, "Lost"))
        << u"|Show|||||||"_s;
    QTest::newRow("64-bit size near the top")
        << movieWith(text("tvsh", "Show") + bigEndian32(1) + "\xa9nam" + bigEndian32(0xffffffff) +
                     bigEndian32(0xfffffff0) + data(1, "Lost"))
        << u"|Show|||||||"_s;
    QTest::newRow("cut off") << movieWith(every).chopped(5) << u"||||||||"_s;
}

void TrackDropTest::readsTags() {
    QFETCH(QByteArray, movie);
    QFETCH(QString, expected);
    QCOMPARE(summary(trackdrop::readMp4Tags(movie.toStdString())), expected);
}

bool TrackDropTest::makeTaggedFile(const QString &file, const QStringList &tags,
                                   const QString &cover) {
    QStringList ffmpeg{u"-v"_s,    u"error"_s, u"-f"_s,
                       u"lavfi"_s, u"-i"_s,    u"testsrc2=size=160x120:rate=25:duration=1"_s};
    if (!cover.isEmpty())
        ffmpeg << u"-i"_s << cover << u"-map"_s << u"0"_s << u"-map"_s << u"1"_s << u"-c:v:1"_s
               << u"copy"_s << u"-disposition:v:1"_s << u"attached_pic"_s;
    for (const QString &tag : tags)
        ffmpeg << u"-metadata"_s << tag;
    ffmpeg << u"-c:v:0"_s << u"libx264"_s << u"-f"_s << u"ipod"_s << file;
    return RunProgram(u"ffmpeg"_s, ffmpeg).exitCode == 0;
}

void TrackDropTest::handsOffWithTags_data() {
    QTest::addColumn<QStringList>("tags"); // ffmpeg's metadata keys
    QTest::addColumn<QString>("cover");    // "jpeg", "png", "unreadable" or none
    QTest::addColumn<quint32>("mediatype");
    QTest::addColumn<QStringList>("expected"); // title, show, episode id, album, artist
    QTest::addColumn<int>("season");
    QTest::addColumn<int>("episode");

    const QStringList episode{u"title=The Title"_s, u"show=Some Show"_s,    u"season_number=2"_s,
                              u"episode_sort=5"_s,  u"episode_id=S02E05"_s, u"media_type=10"_s};
    const QStringList shown{u"The Title"_s, u"Some Show"_s, u"S02E05"_s, u"Some Show"_s,
                            u"Some Show"_s};
    QTest::newRow("TV episode") << episode << u"jpeg"_s << TvShowType() << shown << 2 << 5;
    QTest::newRow("TV episode, cover that does not read")
        << episode << u"unreadable"_s << TvShowType() << shown << 2 << 5;
    QTest::newRow("music video") << QStringList{u"title=Ärger – Live"_s, u"media_type=6"_s}
                                 << u"png"_s << MusicVideoType()
                                 << QStringList{u"Ärger – Live"_s, {}, {}, {}, {}} << 0 << 0;
    QTest::newRow("movie") << QStringList{u"title=A Film"_s, u"media_type=9"_s} << u"jpeg"_s
                           << MovieType() << QStringList{u"A Film"_s, {}, {}, {}, {}} << 0 << 0;
    QTest::newRow("no tags") << QStringList() << QString() << MovieType()
                             << QStringList{u"holiday"_s, {}, {}, {}, {}} << 0 << 0;
}

void TrackDropTest::handsOffWithTags() {
    QFETCH(QStringList, tags);
    QFETCH(QString, cover);
    QFETCH(quint32, mediatype);
    QFETCH(QStringList, expected);
    QFETCH(int, season);
    QFETCH(int, episode);
    const QString file = m_videos + u"/holiday.m4v"_s;
    QVERIFY(makeTaggedFile(file, tags,
                           cover == u"png"   ? m_png
                           : cover.isEmpty() ? QString()
                                             : m_jpeg));
    if (cover == u"unreadable") { // the JPEG's bytes after its first marker, spoilt
        QByteArray bytes = ReadFileBytes(file);
        const qsizetype picture = bytes.indexOf("\xff\xd8\xff", bytes.indexOf("covr"));
        QVERIFY(picture > 0);
        bytes.replace(picture + 2, 64, QByteArray(64, 'x'));
        QVERIFY(WriteFileBytes(file, bytes));
    } else if (!cover.isEmpty()) {
        QCOMPARE(trackdrop::readMp4Info(file.toStdString()).tags.cover,
                 ReadFileBytes(cover == u"png" ? m_png : m_jpeg).toStdString());
    }
    const QString folder = ipod(u"MB029"_s, Guid);
    const ProgramResult result = trackDrop({u"--ipod"_s, folder, file});
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(result.exitCode, 0);

    const std::optional<QList<IpodTrack>> tracks = ReadIpodTracks(folder);
    QVERIFY(tracks && tracks->size() == 1);
    const IpodTrack &track = tracks->first();
    QCOMPARE(track.mediatype, mediatype);
    QCOMPARE((QStringList{track.title, track.tvShow, track.episodeId, track.album, track.artist}),
             expected);
    QCOMPARE(int(track.season), season);
    QCOMPARE(int(track.episode), episode);
    QCOMPARE(track.artworkWidth > 0, cover == u"jpeg" || cover == u"png");
    QCOMPARE(ReadFileBytes(track.file), ReadFileBytes(file));
}

// Room for the file and its database but not for its pictures: the file
// is added, without a word, and the track goes without (all) its artwork.
void TrackDropTest::artworkThatCannotBeWritten() {
    const QString file = m_videos + u"/episode.m4v"_s;
    QVERIFY(makeTaggedFile(file, {u"media_type=10"_s, u"show=Some Show"_s}, m_jpeg));
    const QString folder = ipod(u"MB029"_s, Guid);
    const QString limit = QString::number(QFileInfo(file).size() + 65536);
    const ProgramResult result =
        trackDrop({u"--fsize="_s + limit, TestPaths::trackDrop(), u"--ipod"_s, folder, file},
                  QProcessEnvironment::systemEnvironment(), u"prlimit"_s);
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(result.exitCode, 0);
    const QList<IpodTrack> tracks = *ReadIpodTracks(folder);
    QCOMPARE(tracks.size(), 1);
    QCOMPARE(tracks[0].tvShow, u"Some Show"_s);
}

// The artwork database is written before the iTunesDB: when the iTunesDB's
// write fails, both are as they were.
void TrackDropTest::failedWriteLeavesArtwork() {
    const QString folder = ipod(u"MB029"_s, Guid);
    const QString first = m_videos + u"/first.m4v"_s, second = m_videos + u"/second.m4v"_s;
    QVERIFY(makeTaggedFile(first, {u"title=First"_s}, m_jpeg));
    QVERIFY(makeTaggedFile(second, {u"title=Second"_s}, m_png));
    QCOMPARE(trackDrop({u"--ipod"_s, folder, first}).exitCode, 0);
    const QString artworkDatabase = folder + u"/iPod_Control/Artwork/ArtworkDB"_s;
    const QByteArray database = IpodDatabase(folder), artwork = ReadFileBytes(artworkDatabase);
    QVERIFY(!artwork.isEmpty());

    // The first rename puts the new artwork database in place, the second
    // the iTunesDB.
    const ProgramResult result = trackDrop(
        {u"-qq"_s, u"-f"_s, u"-o"_s, u"/dev/null"_s, u"-e"_s, u"trace=rename"_s, u"-e"_s,
         u"inject=rename:error=EIO:when=2"_s, TestPaths::trackDrop(), u"--ipod"_s, folder, second},
        QProcessEnvironment::systemEnvironment(), u"strace"_s);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.output.contains("could not be written"), result.output.constData());
    QCOMPARE(IpodDatabase(folder), database);
    QCOMPARE(ReadFileBytes(artworkDatabase), artwork);
    QCOMPARE(ReadIpodTracks(folder)->size(), 1);
    QVERIFY(ReadIpodTracks(folder)->first().artworkWidth > 0);
}

QTEST_GUILESS_MAIN(TrackDropTest)
#include "tst_trackdrop.moc"
