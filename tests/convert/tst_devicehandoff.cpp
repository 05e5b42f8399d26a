// Onto the device through the main window: converted files handed to a
// connected iPod (test iPods laid out and read back by libgpod, "mounted"
// through the test home's mountinfo) and saved to a PSP Memory Stick.
#include "app/MemoryStickOption.h"
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/convert/frmProcessing.h"
#include "core/convert/BatchRecord.h"
#include "core/convert/LibraryHandOff.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestIpod.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {
const QString Guid = u"0x000A27001A2B3C4D"_s;
} // namespace

class TestDeviceHandOff : public QObject {
    Q_OBJECT

    QTemporaryDir m_clips;
    QStringList m_files; // two short clips

    // A window with the clips listed, converting into home/out.
    std::unique_ptr<frmMain> window(const TestHome &home, FakePrompts &prompts) {
        auto main = OpenMainWindow();
        Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        AddFilesThroughDialog(*main, prompts, m_files);
        Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(home.path() + u"/out"_s);
        Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings")
            ->chkAddToiTunes->setChecked(true);
        prompts.clear();
        return main;
    }

    // A 5th generation iPod with `songs` songs on it, mounted.
    static QString mountedIpod(const TestHome &home, int songs) {
        const QString ipod = home.makeFolder(u"IPOD"_s);
        if (!MakeTestIpod(ipod, u"MA446"_s) || !AddSongs(ipod, songs))
            return {};
        home.setMounts({ipod});
        return ipod;
    }

private slots:
    void initTestCase() {
        m_files = {m_clips.filePath(u"first.avi"_s), m_clips.filePath(u"second clip.avi"_s)};
        QVERIFY(MakeClip(m_files[0], {1.0, 160, 120, 25, true, true, {}}));
        QVERIFY(MakeClip(m_files[1], {4.0, 320, 240, 25, true, true, {}}));
    }

    // The real batch adds both videos to a 5th generation iPod with 500
    // songs on it; the songs stay, the database was backed up first.
    void addsVideosToTheIpod() {
        TestHome home;
        FakePrompts prompts;
        const QString ipod = home.makeFolder(u"JOHN'S IPOD"_s);
        QVERIFY(MakeTestIpod(ipod, u"MA446"_s) && AddSongs(ipod, 500));
        const QList<IpodTrack> before = *ReadIpodTracks(ipod);
        const QByteArray database = IpodDatabase(ipod);
        home.setMounts({ipod});
        auto main = window(home, prompts);

        const ConversionSeen seen = ConvertThroughWindow(*main, prompts);
        QVERIFY(seen.finished);
        QCOMPARE(seen.errorLog, QString());
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(seen.libraryNote,
                 u"The converted files were added to the iPod at "_s + ipod + u'.');

        const QList<IpodTrack> after = *ReadIpodTracks(ipod);
        QCOMPARE(after.size(), 502);
        QCOMPARE(after.first(500), before);
        for (const QString &title : {u"first"_s, u"second clip"_s}) {
            const IpodTrack &track = after[title == u"first" ? 500 : 501];
            const QString output = home.path() + u"/out/"_s + title + u".m4v"_s;
            QCOMPARE(track.title, title);
            QCOMPARE(track.mediatype, MovieType());
            QVERIFY(track.inMainList);
            QCOMPARE(ReadFileBytes(track.file), ReadFileBytes(output)); // and kept in out/
        }
        QCOMPARE(ReadFileBytes(ipod + u"/iPod_Control/iTunes/iTunesDB.mobivert-backup"_s),
                 database);
        QCOMPARE(WorkingFiles(main->ApplicationSettingsPath), QStringList());
    }

    // Several iPods: the user is asked which one; cancelling converts
    // nothing.
    void asksWhichIpod() {
        TestHome home;
        FakePrompts prompts;
        const QString video = home.makeFolder(u"VIDEO"_s), classic = home.makeFolder(u"CLASSIC"_s);
        QVERIFY(MakeTestIpod(video, u"MA446"_s) && MakeTestIpod(classic, u"MB029"_s, Guid));
        home.setMounts({video, classic});
        auto main = window(home, prompts);

        QVERIFY(!ConvertThroughWindow(*main, prompts).windowOpened);
        QCOMPARE(prompts.texts(), QStringList{u"Several iPods are connected. Which one should the "
                                              u"converted files be added to?"_s});
        QCOMPARE(prompts.lastChoiceItems, QStringList({video, classic}));
        QVERIFY(!QFileInfo::exists(home.path() + u"/out/first.m4v"_s));

        prompts.clear();
        prompts.choices.push_back(1);
        QVERIFY(ConvertThroughWindow(*main, prompts).finished);
        QCOMPARE(ReadIpodTracks(classic)->size(), 2);
        QCOMPARE(ReadIpodTracks(video)->size(), 0);
    }

    // A classic whose FirewireGuid is unknown: said plainly, nothing
    // converted, nothing written.
    void refusesAnIpodItCannotWrite() {
        TestHome home;
        FakePrompts prompts;
        const QString classic = home.makeFolder(u"CLASSIC"_s);
        QVERIFY(MakeTestIpod(classic, u"MB029"_s, Guid));
        QVERIFY(
            WriteFileBytes(classic + u"/iPod_Control/Device/SysInfo"_s, "ModelNumStr: MB029\n"));
        const QByteArray database = IpodDatabase(classic);
        home.setMounts({classic});
        auto main = window(home, prompts);

        QVERIFY(!ConvertThroughWindow(*main, prompts).windowOpened);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Critical);
        QCOMPARE(prompts.shown[0].text,
                 u"The iPod at "_s + classic +
                     u" cannot take files: it is an iPod Classic, whose database needs a checksum "
                     u"made from the iPod's FirewireGuid, and neither iPod_Control/Device/SysInfo "
                     u"nor SysInfoExtended gives it; nothing was written to it.\r\nUncheck \"Add "
                     u"files directly to iTunes\" to convert the files without adding them to the "
                     u"iPod."_s);
        QCOMPARE(IpodDatabase(classic), database);
        QCOMPARE(QDir(home.path() + u"/out"_s).entryList(QDir::Files), QStringList());
    }

    // The iPod is unplugged after the first file was handed over: the
    // second file's row reports it, the database holds the first.
    void ipodUnpluggedDuringTheBatch() {
        TestHome home;
        FakePrompts prompts;
        const QString ipod = mountedIpod(home, 500);
        QVERIFY(!ipod.isEmpty());
        auto main = window(home, prompts);

        const QString away = home.path() + u"/unplugged"_s;
        const ConversionSeen seen = ConvertThroughWindow(*main, prompts, [&](frmProcessing &run) {
            if (run.progress().currentFile() == 2 && !QFileInfo::exists(away))
                QDir().rename(ipod, away);
            return false;
        });
        QVERIFY(seen.finished);
        const QString second = home.path() + u"/out/second clip.m4v"_s;
        QCOMPARE(seen.errorLog, u"-TrackDrop: "_s + second + u": not added to the iPod at "_s +
                                    ipod +
                                    u": it is not connected (no iPod_Control/iTunes/iTunesDB "
                                    u"there)\n"_s);
        QVERIFY(QFileInfo::exists(second));
        // The end counts the files added and not, and the record keeps the
        // hand-off left for the next start.
        QCOMPARE(seen.libraryNote,
                 u"1 of 2 converted files were added to the iPod at "_s + ipod +
                     u"; 1 was not: "_s + second + u": not added to the iPod at "_s + ipod +
                     u": it is not connected (no iPod_Control/iTunes/iTunesDB there)."_s);
        BatchRecordFile::ReadResult kept = BatchRecordFile::read(main->ApplicationSettingsPath);
        QCOMPARE(kept.record.handOffsLeft(), QList<int>{1});
        QVERIFY(QDir().rename(away, ipod));
        QCOMPARE(LibraryNote(ipod, HandOffLeftFiles(kept.record)),
                 u"The converted files were added to the iPod at "_s + ipod + u'.');
        const QList<IpodTrack> tracks = *ReadIpodTracks(ipod);
        QCOMPARE(tracks.size(), 502);
        QCOMPARE(tracks[500].title, u"first"_s);
        QCOMPARE(tracks.last().title, u"second clip"_s);
    }

    // TrackDrop killed during the batch's last hand-off, after its copy:
    // the window does not count that file as added, and the record keeps
    // its hand-off, which adds it once and removes the copy left behind.
    void killedHandOffIsNotCountedAsAdded() {
        TestHome home;
        FakePrompts prompts;
        const QString ipod = mountedIpod(home, 3);
        QVERIFY(!ipod.isEmpty());
        auto main = window(home, prompts);
        const QStringList outputs{home.path() + u"/out/first.m4v"_s,
                                  home.path() + u"/out/second clip.m4v"_s};
        qputenv("MOBIVERT_TRACKDROP_STOP_AT", "after-copy");
        const ConversionSeen seen = ConvertThroughWindow(*main, prompts, [&](frmProcessing &) {
            for (const QString &output : outputs) {
                if (const pid_t stopped = StoppedProcessMentioning(u"TrackDrop"_s, output))
                    ::kill(stopped, output == outputs[0] ? SIGCONT : SIGKILL);
            }
            return false;
        });
        qunsetenv("MOBIVERT_TRACKDROP_STOP_AT");
        QVERIFY(seen.finished);
        QCOMPARE(seen.libraryNote, u"1 of 2 converted files were added to the iPod at "_s + ipod +
                                       u"; 1 was not: "_s + outputs[1] +
                                       u": its hand-off ended before it was done (Killed)."_s);
        QCOMPARE(IpodMusicFiles(ipod).size(), 2); // the killed one's copy, listed nowhere
        BatchRecordFile::ReadResult kept = BatchRecordFile::read(main->ApplicationSettingsPath);
        QCOMPARE(kept.record.handOffsLeft(), QList<int>{1});
        QCOMPARE(LibraryNote(ipod, HandOffLeftFiles(kept.record)),
                 u"The converted files were added to the iPod at "_s + ipod + u'.');
        const QList<IpodTrack> tracks = *ReadIpodTracks(ipod);
        QCOMPARE(tracks.size(), 5);
        QCOMPARE(tracks.last().title, u"second clip"_s);
        QStringList listed{tracks[3].file, tracks[4].file};
        listed.sort();
        QCOMPARE(IpodMusicFiles(ipod), listed);
    }

    // A stand-in Memory Stick: the option appears for the PSP, sets the
    // folder by codec, gives the earlier one back, and the numbers go on
    // after the files already there.
    void savesToTheMemoryStick() {
        TestHome home;
        FakePrompts prompts;
        const QString stick = home.makeFolder(u"PSP STICK"_s);
        const QString mpeg4 = stick + u"/MP_ROOT/100MNV01"_s;
        QVERIFY(QDir().mkpath(mpeg4) && QDir().mkpath(stick + u"/PSP"_s));
        QVERIFY(WriteFileBytes(mpeg4 + u"/M4V0003.MP4"_s, "earlier video"));
        QVERIFY(WriteFileBytes(mpeg4 + u"/M4V0003.THM"_s, "earlier thumbnail"));
        auto main = window(home, prompts);
        OutputDirectoryPanel *panel =
            Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings");
        QCheckBox *option = panel->chkPSPMemoryStick;
        main->SwitchDevice(u"PSP"_s);
        QVERIFY(option->isHidden());

        home.setMounts({stick});
        main->memoryStickOption().Refresh();
        QVERIFY(!option->isHidden());
        QCOMPARE(option->text(), u"Save to the PSP Memory Stick ("_s + stick + u')');
        const QString earlier = panel->txtOutputDirectory->text();
        QComboBox *codec = Child<VideoSettingsPanel>(*main, "frmVideoSettings")->cmbVideoCodec;
        codec->setCurrentIndex(2);
        option->setChecked(true);
        QCOMPARE(panel->txtOutputDirectory->text(), QString(stick + u"/MP_ROOT/100ANV01"));
        codec->setCurrentIndex(0);
        QCOMPARE(panel->txtOutputDirectory->text(), mpeg4);
        option->setChecked(false);
        QCOMPARE(panel->txtOutputDirectory->text(), earlier);
        option->setChecked(true);
        main->SwitchDevice(u"iPod"_s); // the option is the PSP's only
        QVERIFY(option->isHidden() && !option->isChecked());
        QCOMPARE(panel->txtOutputDirectory->text(), earlier);

        main->SwitchDevice(u"PSP"_s);
        Child<QComboBox>(*main, "cmbProfiles")->setCurrentIndex(0); // MPEG-4 320x240
        option->setChecked(true);
        QCOMPARE(panel->txtOutputDirectory->text(), mpeg4);
        panel->chkPSPCreateThumbnail->setChecked(true);
        QVERIFY(ConvertThroughWindow(*main, prompts).finished);
        QCOMPARE(FilesIn(mpeg4),
                 QStringList({u"M4V0003.MP4"_s, u"M4V0003.THM"_s, u"M4V0004.MP4"_s,
                              u"M4V0004.thm"_s, u"M4V0005.MP4"_s, u"M4V0005.thm"_s}));
        QCOMPARE(ReadFileBytes(mpeg4 + u"/M4V0003.MP4"_s), "earlier video");
    }
};

QTEST_MAIN(TestDeviceHandOff)
#include "tst_devicehandoff.moc"
