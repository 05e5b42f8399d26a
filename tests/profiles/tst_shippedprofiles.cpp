// The four shipped profile files: their shape (counts, names, list forms,
// ordering, codec sections) and, for every profile, the limits of the
// device class it targets according to Profiles/device-classes.tsv.
#include "core/platform/ApplicationFolder.h"
#include "core/profiles/ProfileFile.h"
#include "core/settings/IniFile.h"
#include "core/settings/ReadWriteIniFile.h"
#include "tests/support/DeviceClasses.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <map>

using namespace Qt::StringLiterals;
using namespace ProfileFile;

namespace {

const QStringList DeviceNames{u"iPod"_s, u"Zune"_s, u"PSP"_s, u"MobilePhone"_s};

// The codec that ffmpeg writes for an encoder name of the lists, as ffprobe
// names it; empty for an encoder that no device class plays.
QString VideoCodecOf(const QString &encoder) {
    static const std::map<QString, QString> codecs{
        {u"mpeg4"_s, u"mpeg4"_s}, {u"libxvid"_s, u"mpeg4"_s}, {u"xvid"_s, u"mpeg4"_s},
        {u"h264"_s, u"h264"_s},   {u"x264"_s, u"h264"_s},     {u"libx264"_s, u"h264"_s},
        {u"h263"_s, u"h263"_s},   {u"wmv2"_s, u"wmv2"_s}};
    const auto found = codecs.find(encoder);
    return found == codecs.end() ? QString() : found->second;
}

QString AudioCodecOf(const QString &encoder) {
    static const std::map<QString, QString> codecs{{u"aac"_s, u"aac"_s},
                                                   {u"wmav2"_s, u"wmav2"_s},
                                                   {u"amr_nb"_s, u"amr_nb"_s},
                                                   {u"libopencore_amrnb"_s, u"amr_nb"_s}};
    const auto found = codecs.find(encoder);
    return found == codecs.end() ? QString() : found->second;
}

int Number(const QString &item, const QString &unit) {
    return item.chopped(unit.size()).toInt();
}

QSize Size(const QString &item) {
    const QStringList parts = item.split(u'x');
    return {parts.value(0).toInt(), parts.value(1).toInt()};
}

// The value of "-name value" in an argument text.
QString Argument(const QString &arguments, const QString &name) {
    const QStringList words = arguments.split(u' ', Qt::SkipEmptyParts);
    const qsizetype at = words.indexOf(name);
    return at >= 0 ? words.value(at + 1) : QString();
}

// Profiles/device-classes.tsv: the rows of one device.
QList<ProfileTarget> TargetsOf(const QString &device) {
    QList<ProfileTarget> rows;
    for (const ProfileTarget &target :
         ReadProfileTargets(TestPaths::sourceDir() + u"/Profiles/device-classes.tsv")) {
        if (target.device == device)
            rows.append(target);
    }
    return rows;
}

} // namespace

class TestShippedProfiles : public QObject {
    Q_OBJECT

    QString file() const {
        QFETCH_GLOBAL(QString, device);
        return Path(device);
    }
    QStringList list(const char16_t *key) const {
        return ReadOptionList(file(), QString::fromUtf16(key));
    }
    int position(int profile, ProfileKey key) const {
        return ReadProfile(file(), profile)[key].value_or(-99);
    }

private slots:
    void initTestCase() { SetApplicationFolder(TestPaths::sourceDir()); }
    void cleanupTestCase() { SetApplicationFolder(TestPaths::appDir()); }

    void initTestCase_data() {
        QTest::addColumn<QString>("device");
        for (const QString &device : DeviceNames)
            QTest::newRow(qPrintable(device)) << device;
    }

    void buildTreeHoldsTheSameFiles() {
        QFETCH_GLOBAL(QString, device);
        QFile source(file());
        QFile copy(TestPaths::appDir() + u"/Profiles/" + device + u".ini");
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), source.readAll());
    }

    void profileNamesAndDefault() {
        const std::optional<qint16> count = ReadNumberOfProfiles(file());
        QVERIFY(count && *count >= 3 && *count <= 6);
        const QStringList names = ReadProfileNames(file());
        QCOMPARE(names.size(), *count);
        for (const QString &name : names) {
            QVERIFY(!name.isEmpty());
            QVERIFY(name != u"Custom");
            QCOMPARE(names.count(name), 1);
            QVERIFY2(name.size() <= 50, qPrintable(name));
        }
        // Numbered without gaps: nothing after ProfileN.
        QCOMPARE(ReadIniValue(ProfileSection(*count + 1), u"Name"_s, u"none"_s, file()), u"none"_s);
        const std::optional<qint16> defaultProfile = ReadDefaultProfile(file());
        QVERIFY(defaultProfile && *defaultProfile >= 0 && *defaultProfile < *count);
    }

    void optionLists() {
        QFile raw(file());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const IniFile ini(raw.readAll());
        const auto checkForm = [&](const char16_t *key, const QString &pattern) {
            const QString name = QString::fromUtf16(key);
            const std::optional<QString> value = ini.value(u"Defaults"_s, name);
            QVERIFY2(value, qPrintable(name));
            // Read whole: the list must not depend on the 254-character cut.
            QVERIFY2(value->size() <= MaxIniValueLength, qPrintable(name));
            const QStringList items = SplitOptionList(*value);
            QVERIFY2(!items.isEmpty(), qPrintable(name));
            const QRegularExpression form(u'^' + pattern + u'$');
            for (const QString &item : items)
                QVERIFY2(form.match(item).hasMatch(), qPrintable(name + u": " + item));
            QCOMPARE(items.size(), QSet<QString>(items.begin(), items.end()).size());
        };
        checkForm(u"AudioCodec", u"[a-z0-9_]+"_s);
        checkForm(u"AudioQuality", u"[1-9][0-9]* kbps"_s);
        checkForm(u"AudioSampleRate", u"[1-9][0-9]*"_s);
        checkForm(u"AudioChannels", u"Mono|Stereo"_s);
        checkForm(u"VideoCodec", u"[a-z0-9_]+"_s);
        checkForm(u"VideoSize", u"[1-9][0-9]*x[1-9][0-9]*"_s);
        checkForm(u"VideoQuality", u"[1-9][0-9]* kbps"_s);
        checkForm(u"VideoFrameRate", u"[1-9][0-9]*(\\.[0-9]+)? fps"_s);
        QCOMPARE(list(u"AudioChannels").first(), u"Mono"_s);
    }

    void listsRunFromSmallestToLargest() {
        const QStringList sizes = list(u"VideoSize");
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            const QSize size = Size(sizes[i]);
            QVERIFY2(size.width() % 2 == 0 && size.height() % 2 == 0, qPrintable(sizes[i]));
            if (i == 0)
                continue;
            const QSize previous = Size(sizes[i - 1]);
            QVERIFY2(size.width() >= previous.width() && size.height() >= previous.height() &&
                         size != previous,
                     qPrintable(sizes[i]));
        }
        const auto increasing = [this](const char16_t *key, const QString &unit) {
            const QStringList items = list(key);
            for (qsizetype i = 1; i < items.size(); ++i)
                QVERIFY2(items[i].chopped(unit.size()).toDouble() >
                             items[i - 1].chopped(unit.size()).toDouble(),
                         qPrintable(items[i]));
        };
        increasing(u"VideoQuality", u" kbps"_s);
        increasing(u"AudioQuality", u" kbps"_s);
        increasing(u"VideoFrameRate", u" fps"_s);
        increasing(u"AudioSampleRate", QString());
        // The conversion passes 50 less than the video quality shown.
        QVERIFY(Number(list(u"VideoQuality").first(), u" kbps"_s) > 50);
    }

    void codecSections() {
        const QStringList sizes = list(u"VideoSize");
        const QStringList qualities = list(u"VideoQuality");
        const QRegularExpression safe(u"^[A-Za-z0-9:+._ -]*$"_s);
        for (const QString &codec : list(u"VideoCodec")) {
            QVERIFY2(!VideoCodecOf(codec).isEmpty(), qPrintable(codec));
            const CodecSection section = ReadCodecSection(file(), codec);
            QVERIFY2(!section.videoFormat.isEmpty(), qPrintable(codec));
            QVERIFY2(!section.extension.isEmpty(), qPrintable(codec));
            // Extra arguments are split at blanks; nothing may need quoting.
            QVERIFY2(safe.match(section.extraParameters).hasMatch(), qPrintable(codec));
            const std::optional<qint16> maxSize = ReadMaxVideoSize(file(), codec, -99);
            const std::optional<qint16> maxQuality = ReadMaxVideoQuality(file(), codec, -99);
            QVERIFY2(maxSize && *maxSize >= 0 && *maxSize < sizes.size(), qPrintable(codec));
            QVERIFY2(maxQuality && *maxQuality >= 0 && *maxQuality < qualities.size(),
                     qPrintable(codec));
            if (VideoCodecOf(codec) == u"h264")
                QCOMPARE(Argument(section.extraParameters, u"-pix_fmt"_s), u"yuv420p"_s);
            else
                QVERIFY2(!Argument(section.extraParameters, u"-maxrate"_s).isEmpty() &&
                             !Argument(section.extraParameters, u"-bufsize"_s).isEmpty(),
                         qPrintable(codec));
        }
        for (const QString &codec : list(u"AudioCodec")) {
            QVERIFY2(!AudioCodecOf(codec).isEmpty(), qPrintable(codec));
            QVERIFY2(!ReadCodecSection(file(), codec).extension.isEmpty(), qPrintable(codec));
        }
    }

    void pspListsItsMpeg4CodecsFirst() {
        QFETCH_GLOBAL(QString, device);
        if (device != u"PSP")
            QSKIP("PSP only");
        const QStringList codecs = list(u"VideoCodec");
        QVERIFY(codecs.size() >= 3);
        for (qsizetype i = 0; i < codecs.size(); ++i)
            QCOMPARE(VideoCodecOf(codecs[i]), i < 2 ? u"mpeg4"_s : u"h264"_s);
    }

    void everyProfileIsInTheClassTable() {
        QFETCH_GLOBAL(QString, device);
        const QList<ProfileTarget> rows = TargetsOf(device);
        const QStringList names = ReadProfileNames(file());
        QCOMPARE(rows.size(), names.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].profile, int(i + 1));
            QCOMPARE(rows[i].name, names[i]);
            const DeviceClass *found = FindDeviceClass(rows[i].deviceClass);
            QVERIFY2(found, qPrintable(rows[i].deviceClass));
            QCOMPARE(found->device, device);
        }
    }

    void profilesStayWithinTheirClass() {
        QFETCH_GLOBAL(QString, device);
        const QStringList audioCodecs = list(u"AudioCodec");
        const QStringList audioQualities = list(u"AudioQuality");
        const QStringList sampleRates = list(u"AudioSampleRate");
        const QStringList channels = list(u"AudioChannels");
        const QStringList videoCodecs = list(u"VideoCodec");
        const QStringList sizes = list(u"VideoSize");
        const QStringList qualities = list(u"VideoQuality");
        const QStringList frameRates = list(u"VideoFrameRate");

        const QList<ProfileTarget> rows = TargetsOf(device);
        QVERIFY(!rows.isEmpty());
        for (const ProfileTarget &row : rows) {
            const DeviceClass &target = *FindDeviceClass(row.deviceClass);
            const QByteArray whereText = (row.name + u" (" + row.deviceClass + u')').toUtf8();
            const char *where = whereText.constData();
            const auto detail = [&](const QString &what) -> QByteArray {
                return whereText + ' ' + what.toUtf8();
            };
            const auto at = [&](ProfileKey key) {
                return position(row.profile, key);
            };
            for (int i = 0; i < ProfileKeyCount; ++i) {
                const auto key = static_cast<ProfileKey>(i);
                QVERIFY2(at(key) >= 0, detail(KeyName(key)).constData());
            }
            // Sound and picture, with a bit rate: no profile leaves either out
            // or asks for the source's quality.
            QCOMPARE(at(ProfileKey::AudioNoAudio), 0);
            QCOMPARE(at(ProfileKey::VideoNoVideo), 0);
            QCOMPARE(at(ProfileKey::VideoOriginalQuality), 0);
            QVERIFY(at(ProfileKey::VideoKeepAspectRatio) <= 1);

            const QString codec = videoCodecs.value(at(ProfileKey::VideoCodec));
            const auto limit =
                std::find_if(target.video.begin(), target.video.end(), [&](const VideoLimit &each) {
                    return each.codec == VideoCodecOf(codec);
                });
            QVERIFY2(limit != target.video.end(), detail(u"plays no "_s + codec).constData());
            const CodecSection section = ReadCodecSection(file(), codec);
            QVERIFY2(section.videoFormat == target.muxer, where);

            // The profile's own choices, and the most that the codec's
            // limits let a user choose.
            const int maxSize = *ReadMaxVideoSize(file(), codec, 0);
            const int maxQuality = *ReadMaxVideoQuality(file(), codec, 0);
            for (int sizePosition : {at(ProfileKey::VideoSize), maxSize}) {
                QVERIFY2(sizePosition < sizes.size(), where);
                const QSize size = Size(sizes[sizePosition]);
                QVERIFY2(size.width() <= limit->width && size.height() <= limit->height,
                         detail(sizes[sizePosition]).constData());
                if (!limit->exactSizes.isEmpty()) {
                    // Every size the codec's limit allows must be one it takes.
                    for (int i = 0; i <= maxSize; ++i)
                        QVERIFY2(limit->exactSizes.contains(Size(sizes[i])),
                                 detail(sizes[i]).constData());
                }
            }
            QVERIFY(at(ProfileKey::VideoSize) <= maxSize);
            QVERIFY(at(ProfileKey::VideoQuality) <= maxQuality);
            for (int qualityPosition : {at(ProfileKey::VideoQuality), maxQuality}) {
                QVERIFY2(qualityPosition < qualities.size(), where);
                const int kbps = Number(qualities[qualityPosition], u" kbps"_s);
                QVERIFY2(limit->kbps == 0 || kbps <= limit->kbps, where);
            }
            const QString maxrate = Argument(section.extraParameters, u"-maxrate"_s);
            if (limit->kbps > 0)
                QVERIFY2(!maxrate.isEmpty() && Number(maxrate, u"k"_s) <= limit->kbps, where);
            const QString frameRate = frameRates.value(at(ProfileKey::VideoFrameRate));
            QVERIFY2(frameRate.chopped(4).toDouble() <= limit->fps, where);

            if (limit->codec == u"h264") {
                QVERIFY2(target.h264Profiles.contains(
                             Argument(section.extraParameters, u"-profile:v"_s)),
                         where);
                const QString level = Argument(section.extraParameters, u"-level"_s);
                QVERIFY2(!level.isEmpty() && qRound(level.toDouble() * 10) <= target.h264Level,
                         where);
            }
            if (target.indexFirst)
                QVERIFY2(section.extraParameters.contains(u"-movflags +faststart"_s), where);
            if (row.deviceClass == u"psp")
                QCOMPARE(section.extension, u"MP4"_s);

            const QString audioCodec = audioCodecs.value(at(ProfileKey::AudioCodec));
            const auto audio =
                std::find_if(target.audio.begin(), target.audio.end(), [&](const AudioLimit &each) {
                    return each.codec == AudioCodecOf(audioCodec);
                });
            QVERIFY2(audio != target.audio.end(), detail(u"plays no "_s + audioCodec).constData());
            QVERIFY2(Number(audioQualities.value(at(ProfileKey::AudioQuality)), u" kbps"_s) <=
                         audio->kbps,
                     where);
            const int rate = sampleRates.value(at(ProfileKey::AudioSampleRate)).toInt();
            QVERIFY2(audio->rates.isEmpty() ? rate <= 48000 : audio->rates.contains(rate), where);
            const int channelCount = at(ProfileKey::AudioChannels) + 1;
            QVERIFY2(audio->channels < 0 ? channelCount == -audio->channels
                                         : channelCount <= audio->channels,
                     where);
            QVERIFY(channelCount <= channels.size());
        }
    }
};

QTEST_APPLESS_MAIN(TestShippedProfiles)
#include "tst_shippedprofiles.moc"
