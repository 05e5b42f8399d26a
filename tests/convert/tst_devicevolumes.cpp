// Finding the portable devices among the mounts: the mountinfo text the
// kernel writes (recorded here), and iPods and PSP Memory Sticks among
// folders laid out like them.
#include "core/convert/DeviceVolumes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestDeviceVolumes : public QObject {
    Q_OBJECT

private slots:
    void parsesMountInfo_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("entry"); // device, root, mount point, type, source
        QTest::newRow("no optional fields")
            << QByteArray("22 27 0:21 / /proc rw,relatime - proc proc rw")
            << QStringList({u"0:21"_s, u"/"_s, u"/proc"_s, u"proc"_s, u"proc"_s});
        QTest::newRow("optional fields, escaped blank, tab and backslash")
            << QByteArray("612 29 8:17 / /media/ann/JOHN\\040S\\011IPOD\\134x rw,nosuid,nodev "
                          "shared:340 master:1 - vfat /dev/sdb1 rw,uid=1000,codepage=437")
            << QStringList(
                   {u"8:17"_s, u"/"_s, u"/media/ann/JOHN S\tIPOD\\x"_s, u"vfat"_s, u"/dev/sdb1"_s});
        QTest::newRow("bind mount of a folder, line break in the name")
            << QByteArray("700 29 8:17 /Films /mnt/a\\012b rw - vfat /dev/sdb1 rw")
            << QStringList({u"8:17"_s, u"/Films"_s, u"/mnt/a\nb"_s, u"vfat"_s, u"/dev/sdb1"_s});
        QTest::newRow("no separator")
            << QByteArray("22 27 0:21 / /proc rw,relatime proc proc rw") << QStringList();
        QTest::newRow("cut short") << QByteArray("22 27 0:21 / /proc rw -") << QStringList();
    }

    void parsesMountInfo() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, entry);
        // Among other lines, and with the text's last line break.
        const QList<MountEntry> mounts =
            ParseMountInfo("1 0 0:1 / / rw - ext4 /dev/sda1 rw\n" + line + '\n');
        QCOMPARE(mounts.size(), entry.isEmpty() ? 1 : 2);
        if (!entry.isEmpty())
            QCOMPARE(mounts[1], (MountEntry{entry[0], entry[1], entry[2], entry[3], entry[4]}));
    }

    void findsDevices() {
        TestHome home;
        const auto volume = [&home](const QString &name, const QString &inside) {
            const QString folder = home.makeFolder(name);
            if (inside.endsWith(u"iTunesDB")) {
                QDir().mkpath(folder + u"/iPod_Control/iTunes");
                WriteFileBytes(folder + u'/' + inside, "mhbd");
            } else if (!inside.isEmpty()) {
                QDir().mkpath(folder + u'/' + inside);
            }
            return folder;
        };
        const QString ipod = volume(u"IPOD"_s, u"iPod_Control/iTunes/iTunesDB"_s);
        const QString psp = volume(u"PSP stick"_s, u"PSP/GAME"_s);
        const QString videos = volume(u"MS videos"_s, u"MP_ROOT"_s);
        const QString usb = volume(u"USB"_s, u"iPod_Control"_s); // no database
        const QString disk = volume(u"disk"_s, u"iPod_Control/iTunes/iTunesDB"_s);
        const QList<MountEntry> mounts{
            {u"8:17"_s, u"/"_s, ipod, u"vfat"_s, u"/dev/sdb1"_s},
            {u"8:17"_s, u"/"_s, home.path() + u"/again"_s, u"vfat"_s, u"/dev/sdb1"_s},
            {u"8:33"_s, u"/"_s, psp, u"exfat"_s, u"/dev/sdc1"_s},
            {u"8:49"_s, u"/"_s, videos, u"vfat"_s, u"/dev/sdd1"_s},
            {u"8:65"_s, u"/"_s, usb, u"vfat"_s, u"/dev/sde1"_s},
            {u"8:2"_s, u"/"_s, disk, u"ext4"_s, u"/dev/sda2"_s}, // not a device's file system
        };
        QCOMPARE(IpodMountPoints(mounts), QStringList{ipod});
        QCOMPARE(MemoryStickMountPoints(mounts), QStringList({psp, videos}));
        QCOMPARE(PspVideoFolder(psp, 1), QString(psp + u"/MP_ROOT/100MNV01"));
        QCOMPARE(PspVideoFolder(psp, 2), QString(psp + u"/MP_ROOT/100ANV01"));

        // What the program reads: MOBIVERT_MOUNTINFO, which the test home sets.
        QCOMPARE(ReadMounts(), QList<MountEntry>());
        home.setMounts({usb, ipod});
        QCOMPARE(IpodMountPoints(ReadMounts()), QStringList{ipod});
    }
};

QTEST_GUILESS_MAIN(TestDeviceVolumes)
#include "tst_devicevolumes.moc"
