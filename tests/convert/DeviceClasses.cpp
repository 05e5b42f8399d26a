#include "tests/convert/DeviceClasses.h"

#include "tests/support/MediaTools.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSize>

namespace {

constexpr double Tolerance = 1.25;

struct VideoRule {
    QString codec;        // ffprobe's codec name
    QStringList profiles; // allowed profile names; empty: any
    int maxLevel = 0;     // H.264 level times ten; 0: not checked
    int maxWidth = 0, maxHeight = 0;
    QList<QSize> exactSizes; // when not empty, the only sizes allowed
    double maxFps = 30;
    int maxKbps = 0;
    bool noBFrames = false;
};

struct AudioRule {
    QString codec;
    QString profile; // "LC" for AAC; empty: not checked
    int maxKbps = 0;
    QList<int> rates; // allowed sample rates
    int maxChannels = 2;
    int exactChannels = 0; // when not 0, the only channel count allowed
};

struct ClassRule {
    QList<VideoRule> video; // any one of them
    QList<AudioRule> audio; // any one of them
    QStringList brands;     // major brands of the MP4 family; empty: not MP4
    QString formatName;     // for other containers
    bool audioRequired = false;
    bool indexFirst = false; // the MP4 index before the media data
};

const QList<int> UpTo48k{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const QStringList Baseline{QStringLiteral("Baseline"), QStringLiteral("Constrained Baseline")};
const QStringList MainOrBaseline{QStringLiteral("Main"), QStringLiteral("Baseline"),
                                 QStringLiteral("Constrained Baseline")};
const QStringList Simple{QStringLiteral("Simple Profile")};
const QStringList Mp4Brands{QStringLiteral("M4V "), QStringLiteral("isom"), QStringLiteral("mp42"),
                            QStringLiteral("M4A ")};

ClassRule ruleFor(const QString &deviceClass) {
    const AudioRule aac160{QStringLiteral("aac"), QStringLiteral("LC"), 160, UpTo48k, 2, 0};
    const VideoRule mpeg4Sp{QStringLiteral("mpeg4"), Simple, 0, 640, 480, {}, 30, 2500, true};
    if (deviceClass == u"ipod-5g")
        return {{{QStringLiteral("h264"), Baseline, 13, 320, 240, {}, 30, 768, false}, mpeg4Sp},
                {aac160},
                {QStringLiteral("M4V ")},
                {},
                false,
                false};
    if (deviceClass == u"ipod-classic")
        return {{{QStringLiteral("h264"), Baseline, 30, 640, 480, {}, 30, 2500, false}, mpeg4Sp},
                {aac160},
                {QStringLiteral("M4V ")},
                {},
                false,
                false};
    if (deviceClass == u"iphone-hd")
        return {{{QStringLiteral("h264"), MainOrBaseline, 31, 1280, 720, {}, 30, 5000, false}},
                {aac160},
                Mp4Brands,
                {},
                false,
                false};
    if (deviceClass == u"zune-wmv")
        return {{{QStringLiteral("wmv2"), {}, 0, 320, 240, {}, 30, 1500, false}},
                {{QStringLiteral("wmav2"), {}, 192, {44100}, 2, 0}},
                {},
                QStringLiteral("asf"),
                false,
                false};
    if (deviceClass == u"zune")
        return {{{QStringLiteral("h264"), Baseline, 30, 720, 480, {}, 30, 2500, false},
                 {QStringLiteral("mpeg4"), Simple, 0, 720, 480, {}, 30, 2500, true}},
                {{QStringLiteral("aac"), QStringLiteral("LC"), 192, UpTo48k, 2, 0}},
                Mp4Brands,
                {},
                false,
                false};
    if (deviceClass == u"psp")
        return {{{QStringLiteral("mpeg4"), Simple, 0, 320, 240, {}, 30, 768, true},
                 {QStringLiteral("h264"), MainOrBaseline, 30, 480, 272, {}, 30, 768, false}},
                {{QStringLiteral("aac"), QStringLiteral("LC"), 0, {24000, 48000}, 2, 2}},
                {QStringLiteral("MSNV")},
                {},
                true,
                false};
    if (deviceClass == u"phone-3gp")
        return {{{QStringLiteral("h263"),
                  {},
                  0,
                  352,
                  288,
                  {{128, 96}, {176, 144}, {352, 288}},
                  15,
                  128,
                  false},
                 {QStringLiteral("mpeg4"), Simple, 0, 352, 288, {}, 30, 384, true}},
                {{QStringLiteral("amr_nb"), {}, 0, {8000}, 1, 1},
                 {QStringLiteral("aac"), QStringLiteral("LC"), 64, UpTo48k, 2, 0}},
                {QStringLiteral("3gp4"), QStringLiteral("3gp5"), QStringLiteral("3gp6")},
                {},
                false,
                false};
    if (deviceClass == u"phone-modern")
        return {{{QStringLiteral("h264"), MainOrBaseline, 31, 1280, 720, {}, 30, 0, false}},
                {aac160},
                Mp4Brands,
                {},
                false,
                true};
    return {};
}

double frameRate(const QString &fraction) {
    const QStringList parts = fraction.split(u'/');
    if (parts.size() != 2 || parts[1].toDouble() == 0)
        return 0;
    return parts[0].toDouble() / parts[1].toDouble();
}

int kbps(const QJsonObject &object) {
    return int(object.value(QStringLiteral("bit_rate")).toString().toLongLong() / 1000);
}

QStringList checkVideo(const VideoRule &rule, const QJsonObject &video, int videoKbps) {
    QStringList problems;
    const auto problem = [&](const QString &what) {
        problems << rule.codec + u": " + what;
    };
    if (video.value(QStringLiteral("codec_name")).toString() != rule.codec)
        return {rule.codec + u": codec is " + video.value(QStringLiteral("codec_name")).toString()};
    const QString profile = video.value(QStringLiteral("profile")).toString();
    if (!rule.profiles.isEmpty() && !rule.profiles.contains(profile))
        problem(u"profile " + profile);
    const int level = video.value(QStringLiteral("level")).toInt();
    if (rule.maxLevel > 0 && level > rule.maxLevel)
        problem(u"level " + QString::number(level));
    const QSize size(video.value(QStringLiteral("width")).toInt(),
                     video.value(QStringLiteral("height")).toInt());
    if (!rule.exactSizes.isEmpty() ? !rule.exactSizes.contains(size)
                                   : size.width() > rule.maxWidth || size.height() > rule.maxHeight)
        problem(QStringLiteral("frame %1x%2").arg(size.width()).arg(size.height()));
    const double fps = frameRate(video.value(QStringLiteral("avg_frame_rate")).toString());
    if (fps <= 0 || fps > rule.maxFps + 0.01)
        problem(u"frame rate " + QString::number(fps));
    if (video.value(QStringLiteral("pix_fmt")).toString() != u"yuv420p")
        problem(u"pixel format " + video.value(QStringLiteral("pix_fmt")).toString());
    if (rule.maxKbps > 0 && videoKbps > rule.maxKbps * Tolerance)
        problem(QStringLiteral("bit rate %1 kbit/s").arg(videoKbps));
    if (rule.noBFrames && video.value(QStringLiteral("has_b_frames")).toInt() != 0)
        problem(QStringLiteral("B-frames"));
    return problems;
}

QStringList checkAudio(const AudioRule &rule, const QJsonObject &audio) {
    QStringList problems;
    const auto problem = [&](const QString &what) {
        problems << rule.codec + u": " + what;
    };
    if (audio.value(QStringLiteral("codec_name")).toString() != rule.codec)
        return {rule.codec + u": codec is " + audio.value(QStringLiteral("codec_name")).toString()};
    if (!rule.profile.isEmpty() &&
        audio.value(QStringLiteral("profile")).toString() != rule.profile)
        problem(u"profile " + audio.value(QStringLiteral("profile")).toString());
    const int rate = audio.value(QStringLiteral("sample_rate")).toString().toInt();
    if (!rule.rates.contains(rate))
        problem(QStringLiteral("sample rate %1").arg(rate));
    const int channels = audio.value(QStringLiteral("channels")).toInt();
    if (channels > rule.maxChannels || (rule.exactChannels > 0 && channels != rule.exactChannels))
        problem(QStringLiteral("%1 channels").arg(channels));
    if (rule.maxKbps > 0 && kbps(audio) > rule.maxKbps * Tolerance)
        problem(QStringLiteral("bit rate %1 kbit/s").arg(kbps(audio)));
    return problems;
}

// Whether the MP4 index (moov) comes before the media data (mdat).
bool indexFirst(const QString &file) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    while (!input.atEnd()) {
        const QByteArray header = input.read(8);
        if (header.size() < 8)
            return false;
        quint64 size = (quint64(quint8(header[0])) << 24) | (quint64(quint8(header[1])) << 16) |
                       (quint64(quint8(header[2])) << 8) | quint64(quint8(header[3]));
        const QByteArray type = header.mid(4, 4);
        if (type == "moov")
            return true;
        if (type == "mdat")
            return false;
        if (size == 1) {
            const QByteArray large = input.read(8);
            size = 0;
            for (const char byte : large)
                size = (size << 8) | quint8(byte);
            size -= 8;
        }
        if (size < 8 || !input.seek(input.pos() + qint64(size) - 8))
            return false;
    }
    return false;
}

} // namespace

QList<ProfileTarget> ReadProfileTargets(const QString &tableFile) {
    QList<ProfileTarget> targets;
    QFile table(tableFile);
    if (!table.open(QIODevice::ReadOnly | QIODevice::Text))
        return targets;
    const QStringList lines = QString::fromUtf8(table.readAll()).split(u'\n');
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        if (line.startsWith(u'#') || fields.size() != 4 || fields[0] == u"device")
            continue;
        targets.append({fields[0], fields[1].toInt(), fields[2], fields[3].trimmed()});
    }
    return targets;
}

QStringList CheckDeviceClass(const QString &deviceClass, const QString &file) {
    const ClassRule rule = ruleFor(deviceClass);
    if (rule.video.isEmpty())
        return {u"unknown device class " + deviceClass};
    const QJsonObject probe = Probe(file);
    const QJsonObject format = probe.value(QStringLiteral("format")).toObject();
    const QJsonObject video = ProbeStream(probe, QStringLiteral("video"));
    const QJsonObject audio = ProbeStream(probe, QStringLiteral("audio"));
    if (video.isEmpty())
        return {QStringLiteral("no video stream")};

    QStringList problems;
    // ASF gives no per-stream rate: the video gets what the audio leaves.
    int videoKbps = kbps(video);
    if (videoKbps == 0)
        videoKbps = kbps(format) - kbps(audio);

    QStringList videoProblems;
    bool videoOk = false;
    for (const VideoRule &candidate : rule.video) {
        const QStringList found = checkVideo(candidate, video, videoKbps);
        if (found.isEmpty())
            videoOk = true;
        videoProblems += found;
    }
    if (!videoOk)
        problems += videoProblems;

    if (audio.isEmpty()) {
        if (rule.audioRequired)
            problems << QStringLiteral("no audio stream");
    } else {
        QStringList audioProblems;
        bool audioOk = false;
        for (const AudioRule &candidate : rule.audio) {
            const QStringList found = checkAudio(candidate, audio);
            if (found.isEmpty())
                audioOk = true;
            audioProblems += found;
        }
        if (!audioOk)
            problems += audioProblems;
    }

    const QString brand = format.value(QStringLiteral("tags"))
                              .toObject()
                              .value(QStringLiteral("major_brand"))
                              .toString();
    if (!rule.brands.isEmpty() && !rule.brands.contains(brand))
        problems << u"brand '" + brand + u'\'';
    if (!rule.formatName.isEmpty() &&
        format.value(QStringLiteral("format_name")).toString() != rule.formatName)
        problems << u"container " + format.value(QStringLiteral("format_name")).toString();
    if (rule.indexFirst && !indexFirst(file))
        problems << QStringLiteral("index after the media data");
    return problems;
}
