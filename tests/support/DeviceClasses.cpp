#include "tests/support/DeviceClasses.h"

#include "tests/support/MediaTools.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSize>

#include <algorithm>
#include <map>

namespace {

constexpr double Tolerance = 1.25;

const QList<int> UpTo48k{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const QStringList Mp4Brands{QStringLiteral("M4V "), QStringLiteral("isom"), QStringLiteral("mp42"),
                            QStringLiteral("M4A ")};
const QStringList Baseline{QStringLiteral("baseline")};
const QStringList MainOrBaseline{QStringLiteral("baseline"), QStringLiteral("main")};

const std::map<QString, DeviceClass> &Classes() {
    const AudioLimit aac160{QStringLiteral("aac"), 160, {}, 2};
    const VideoLimit mpeg4Vga{QStringLiteral("mpeg4"), 640, 480, 2500, 30, {}};
    static const std::map<QString, DeviceClass> classes{
        {QStringLiteral("ipod-5g"),
         {QStringLiteral("iPod"),
          {{QStringLiteral("h264"), 320, 240, 768, 30, {}}, mpeg4Vga},
          {aac160},
          QStringLiteral("ipod"),
          Baseline,
          13,
          {QStringLiteral("M4V ")},
          {},
          false,
          false}},
        {QStringLiteral("ipod-classic"),
         {QStringLiteral("iPod"),
          {{QStringLiteral("h264"), 640, 480, 2500, 30, {}}, mpeg4Vga},
          {aac160},
          QStringLiteral("ipod"),
          Baseline,
          30,
          {QStringLiteral("M4V ")},
          {},
          false,
          false}},
        {QStringLiteral("iphone-hd"),
         {QStringLiteral("iPod"),
          {{QStringLiteral("h264"), 1280, 720, 5000, 30, {}}},
          {aac160},
          QStringLiteral("ipod"),
          MainOrBaseline,
          31,
          Mp4Brands,
          {},
          false,
          false}},
        {QStringLiteral("zune-wmv"),
         {QStringLiteral("Zune"),
          {{QStringLiteral("wmv2"), 320, 240, 1500, 30, {}}},
          {{QStringLiteral("wmav2"), 192, {44100}, 2}},
          QStringLiteral("asf"),
          {},
          0,
          {},
          QStringLiteral("asf"),
          false,
          false}},
        {QStringLiteral("zune"),
         {QStringLiteral("Zune"),
          {{QStringLiteral("h264"), 720, 480, 2500, 30, {}},
           {QStringLiteral("mpeg4"), 720, 480, 2500, 30, {}}},
          {{QStringLiteral("aac"), 192, {}, 2}},
          QStringLiteral("mp4"),
          Baseline,
          30,
          Mp4Brands,
          {},
          false,
          false}},
        {QStringLiteral("psp"),
         {QStringLiteral("PSP"),
          {{QStringLiteral("mpeg4"), 320, 240, 768, 30, {}},
           {QStringLiteral("h264"), 480, 272, 768, 30, {}}},
          {{QStringLiteral("aac"), 320, {24000, 48000}, -2}},
          QStringLiteral("psp"),
          MainOrBaseline,
          30,
          {QStringLiteral("MSNV")},
          {},
          true,
          false}},
        {QStringLiteral("phone-3gp"),
         {QStringLiteral("MobilePhone"),
          {{QStringLiteral("h263"), 352, 288, 128, 15, {{128, 96}, {176, 144}, {352, 288}}},
           {QStringLiteral("mpeg4"), 352, 288, 384, 30, {}}},
          {{QStringLiteral("amr_nb"), 13, {8000}, -1}, {QStringLiteral("aac"), 64, {}, 2}},
          QStringLiteral("3gp"),
          {},
          0,
          {QStringLiteral("3gp4"), QStringLiteral("3gp5"), QStringLiteral("3gp6")},
          {},
          false,
          false}},
        {QStringLiteral("phone-modern"),
         {QStringLiteral("MobilePhone"),
          {{QStringLiteral("h264"), 1280, 720, 0, 30, {}}},
          {aac160},
          QStringLiteral("mp4"),
          MainOrBaseline,
          31,
          Mp4Brands,
          {},
          false,
          true}},
    };
    return classes;
}

// The names ffprobe gives the profiles that the encoder's -profile:v values make.
QStringList ProbedH264Profiles(const QStringList &encoderProfiles) {
    QStringList names;
    if (encoderProfiles.contains(u"baseline"))
        names << QStringLiteral("Baseline") << QStringLiteral("Constrained Baseline");
    if (encoderProfiles.contains(u"main"))
        names << QStringLiteral("Main");
    return names;
}

// The largest decoded picture buffer of an H.264 level (ffprobe's level
// times ten), in macroblocks: Table A-1 of the standard.
int decodedPictureBufferMacroblocks(int level) {
    switch (level) {
    case 13:
    case 20:
        return 2376;
    case 21:
        return 4752;
    case 22:
    case 30:
        return 8100;
    case 31:
        return 18000;
    default:
        return 0;
    }
}

// The number of reference frames an H.264 stream declares (its sequence
// parameter set's max_num_ref_frames), -1 when it cannot be read.
int h264ReferenceFrames(const QString &file) {
    const ProgramResult result = RunProgram(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("debug"),
         QStringLiteral("-i"), file, QStringLiteral("-map"), QStringLiteral("0:v:0"),
         QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-bsf:v"),
         QStringLiteral("trace_headers"), QStringLiteral("-frames:v"), QStringLiteral("1"),
         QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    static const QRegularExpression field(QStringLiteral("max_num_ref_frames +[01]+ = (\\d+)"));
    const QRegularExpressionMatch match = field.match(QString::fromUtf8(result.output));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
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

QStringList checkVideo(const VideoLimit &limit, const DeviceClass &target, const QJsonObject &video,
                       int videoKbps, const QString &file) {
    QStringList problems;
    const auto problem = [&](const QString &what) {
        problems << limit.codec + u": " + what;
    };
    if (video.value(QStringLiteral("codec_name")).toString() != limit.codec)
        return {limit.codec + u": codec is " +
                video.value(QStringLiteral("codec_name")).toString()};
    const QString profile = video.value(QStringLiteral("profile")).toString();
    const bool mpeg4 = limit.codec == u"mpeg4";
    if (limit.codec == u"h264" && !ProbedH264Profiles(target.h264Profiles).contains(profile))
        problem(u"profile " + profile);
    if (mpeg4 && profile != u"Simple Profile")
        problem(u"profile " + profile);
    const int level = video.value(QStringLiteral("level")).toInt();
    if (limit.codec == u"h264" && level > target.h264Level)
        problem(u"level " + QString::number(level));
    const QSize size(video.value(QStringLiteral("width")).toInt(),
                     video.value(QStringLiteral("height")).toInt());
    if (!limit.exactSizes.isEmpty() ? !limit.exactSizes.contains(size)
                                    : size.width() > limit.width || size.height() > limit.height)
        problem(QStringLiteral("frame %1x%2").arg(size.width()).arg(size.height()));
    const double fps = frameRate(video.value(QStringLiteral("avg_frame_rate")).toString());
    if (fps <= 0 || fps > limit.fps + 0.01)
        problem(u"frame rate " + QString::number(fps));
    if (video.value(QStringLiteral("pix_fmt")).toString() != u"yuv420p")
        problem(u"pixel format " + video.value(QStringLiteral("pix_fmt")).toString());
    if (limit.kbps > 0 && videoKbps > limit.kbps * Tolerance)
        problem(QStringLiteral("bit rate %1 kbit/s").arg(videoKbps));
    const bool baseline = profile.contains(u"Baseline");
    if ((mpeg4 || baseline) && video.value(QStringLiteral("has_b_frames")).toInt() != 0)
        problem(QStringLiteral("B-frames"));
    if (limit.codec == u"h264") {
        // Reference frames within the level's buffer, and the PSP's three.
        const int macroblocks = ((size.width() + 15) / 16) * ((size.height() + 15) / 16);
        int most = std::min(16, decodedPictureBufferMacroblocks(level) / std::max(1, macroblocks));
        if (target.muxer == u"psp")
            most = std::min(most, 3);
        const int references = h264ReferenceFrames(file);
        if (references < 1 || references > most)
            problem(QStringLiteral("%1 reference frames").arg(references));
    }
    return problems;
}

QStringList checkAudio(const AudioLimit &limit, const QJsonObject &audio) {
    QStringList problems;
    const auto problem = [&](const QString &what) {
        problems << limit.codec + u": " + what;
    };
    if (audio.value(QStringLiteral("codec_name")).toString() != limit.codec)
        return {limit.codec + u": codec is " +
                audio.value(QStringLiteral("codec_name")).toString()};
    if (limit.codec == u"aac" && audio.value(QStringLiteral("profile")).toString() != u"LC")
        problem(u"profile " + audio.value(QStringLiteral("profile")).toString());
    const int rate = audio.value(QStringLiteral("sample_rate")).toString().toInt();
    if (!(limit.rates.isEmpty() ? UpTo48k : limit.rates).contains(rate))
        problem(QStringLiteral("sample rate %1").arg(rate));
    const int channels = audio.value(QStringLiteral("channels")).toInt();
    if (limit.channels < 0 ? channels != -limit.channels : channels > limit.channels)
        problem(QStringLiteral("%1 channels").arg(channels));
    if (limit.kbps > 0 && kbps(audio) > limit.kbps * Tolerance)
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

const DeviceClass *FindDeviceClass(const QString &name) {
    const auto found = Classes().find(name);
    return found == Classes().end() ? nullptr : &found->second;
}

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
    const DeviceClass *found = FindDeviceClass(deviceClass);
    if (!found)
        return {u"unknown device class " + deviceClass};
    const DeviceClass &rule = *found;
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
    for (const VideoLimit &candidate : rule.video) {
        const QStringList seen = checkVideo(candidate, rule, video, videoKbps, file);
        if (seen.isEmpty())
            videoOk = true;
        videoProblems += seen;
    }
    if (!videoOk)
        problems += videoProblems;

    if (audio.isEmpty()) {
        if (rule.audioRequired)
            problems << QStringLiteral("no audio stream");
    } else {
        QStringList audioProblems;
        bool audioOk = false;
        for (const AudioLimit &candidate : rule.audio) {
            const QStringList seen = checkAudio(candidate, audio);
            if (seen.isEmpty())
                audioOk = true;
            audioProblems += seen;
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
