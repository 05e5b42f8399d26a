#include "bench/SourcesBench.h"

#include "bench/BenchTools.h"
#include "core/convert/ShellQuote.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <string>
#include <vector>

using BenchTools::number;

namespace {

// A heavy source: how ffmpeg makes it from its test sources, and what
// HandBrake is given besides size, rate and sound to do the converter's work.
struct Source {
    QString name;
    QString file;
    QString picture;     // the lavfi graph of the picture
    QStringList encoder; // ffmpeg's video options
    QStringList tags;    // metadata written afterwards by stream copy; empty: none
    QStringList handBrakeOptions;
    QString handBrakeNote;
};

const QString HdrFilter =
    QStringLiteral("zscale=tin=bt709:min=bt709:pin=bt709:t=smpte2084:p=bt2020:m=bt2020nc:npl=203,"
                   "format=yuv420p10le");

QList<Source> sources() {
    const QStringList hevc{QStringLiteral("-c:v"),         QStringLiteral("libx265"),
                           QStringLiteral("-preset"),      QStringLiteral("ultrafast"),
                           QStringLiteral("-crf"),         QStringLiteral("22"),
                           QStringLiteral("-x265-params"), QStringLiteral("log-level=error"),
                           QStringLiteral("-tag:v"),       QStringLiteral("hvc1")};
    const QStringList rotated{QStringLiteral("-metadata:s:v:0"), QStringLiteral("rotate=90")};
    return {
        {QStringLiteral("4K 60 fps H.264"),
         QStringLiteral("uhd60.mp4"),
         QStringLiteral("testsrc2=s=3840x2160:rate=60,noise=alls=8:allf=t,format=yuv420p"),
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast"), QStringLiteral("-crf"), QStringLiteral("20")},
         {},
         {},
         {}},
        {QStringLiteral("1080p HEVC 10-bit phone, rotated"),
         QStringLiteral("phone.mp4"),
         QStringLiteral("testsrc2=s=1920x1080:rate=30,noise=alls=8:allf=t,format=yuv420p10le"),
         hevc,
         rotated,
         {},
         QStringLiteral("turns it upright by itself")},
        {QStringLiteral("the same in HDR (PQ)"),
         QStringLiteral("phone-hdr.mp4"),
         QStringLiteral("testsrc2=s=1920x1080:rate=30,noise=alls=8:allf=t,") + HdrFilter,
         hevc + QStringList{QStringLiteral("-color_primaries"), QStringLiteral("bt2020"),
                            QStringLiteral("-color_trc"), QStringLiteral("smpte2084"),
                            QStringLiteral("-colorspace"), QStringLiteral("bt2020nc")},
         rotated,
         {QStringLiteral("--colorspace"), QStringLiteral("bt709")},
         QStringLiteral("--colorspace bt709: tone-mapped (hable)")},
        // Fields of a 59.94 fps picture, two by two: each field its own moment.
        {QStringLiteral("1080i H.264, 29.97 fps"),
         QStringLiteral("interlaced.ts"),
         QStringLiteral("testsrc2=s=1920x1080:rate=60000/1001,noise=alls=8:allf=t,format=yuv420p,"
                        "tinterlace=mode=interleave_top,setfield=tff"),
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast"), QStringLiteral("-crf"), QStringLiteral("20"),
          QStringLiteral("-flags"), QStringLiteral("+ildct+ilme"), QStringLiteral("-x264opts"),
          QStringLiteral("tff=1"), QStringLiteral("-field_order"), QStringLiteral("tt")},
         {},
         {QStringLiteral("--bwdif")},
         QStringLiteral("--bwdif: deinterlaced")},
    };
}

std::vector<std::string> toStd(const QStringList &list) {
    std::vector<std::string> result;
    for (const QString &item : list)
        result.push_back(item.toStdString());
    return result;
}

bool makeSource(const Source &source, const QString &folder, int seconds) {
    const QString path = folder + u'/' + source.file;
    const QString encoded = source.tags.isEmpty() ? path : folder + QStringLiteral("/untagged.mp4");
    const QStringList encoding = QStringList{QStringLiteral("-t"), QString::number(seconds)}
                                 << source.encoder << QStringLiteral("-c:a aac -ac 2").split(u' ');
    if (!BenchTools::makeLavfiClip(encoded, source.picture,
                                   QStringLiteral("sine=frequency=440:sample_rate=48000"), encoding)
             .isEmpty())
        return false;
    if (source.tags.isEmpty())
        return true;
    QStringList tag{QStringLiteral("ffmpeg"),
                    QStringLiteral("-nostdin"),
                    QStringLiteral("-y"),
                    QStringLiteral("-i"),
                    encoded,
                    QStringLiteral("-c"),
                    QStringLiteral("copy")};
    tag << source.tags << path;
    const bool tagged = BenchTools::runQuietly(toStd(tag)).ok;
    QFile::remove(encoded);
    return tagged;
}

// The converter's line that the batch writes for `source` with iPod profile
// 4, as mobivert-cli --dry-run prints it, the converter named by its path.
QStringList batchLine(const QString &source, const QString &folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), folder + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/home/.config"));
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(MOBIVERT_CLI_BINARY),
              {QStringLiteral("--dry-run"), QStringLiteral("-d"), QStringLiteral("iPod"),
               QStringLiteral("-p"), QStringLiteral("4"), QStringLiteral("-o"),
               folder + QStringLiteral("/mobivert"), source});
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
        return {};
    for (const QString &line : QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n')) {
        QStringList words = SplitShellWords(line).words;
        if (words.size() > 3 && words[1] == u"-i" && words[2] == source) {
            words[0] = QString::fromUtf8(MOBIVERT_CONVERTER_PATH);
            return words;
        }
    }
    return {};
}

// The value after `option` in a converter line, or `fallback`.
QString optionValue(const QStringList &line, QStringView option, const QString &fallback = {}) {
    const qsizetype at = line.indexOf(option);
    return at >= 0 && at + 1 < line.size() ? line[at + 1] : fallback;
}

int leadingNumber(const QString &text) {
    static const QRegularExpression digits(QStringLiteral("^\\d+"));
    return digits.match(text).captured().toInt();
}

// HandBrake asked for what the converter line asks: the picture's size and
// its bars, bit rate, frame rate, profile, level and sound; no cropping.
QStringList handBrakeLine(const QStringList &line, const Source &source, const QString &output) {
    const QStringList size = optionValue(line, u"-s").split(u'x');
    if (size.size() != 2)
        return {};
    QStringList pads;
    for (const char *side : {"top", "bottom", "left", "right"}) {
        const QString value =
            optionValue(line, QString(QStringLiteral("-pad") + QLatin1String(side)));
        if (!value.isEmpty())
            pads << QLatin1String(side) + u'=' + value;
    }
    QStringList command{QStringLiteral("HandBrakeCLI"),
                        QStringLiteral("-i"),
                        line[2],
                        QStringLiteral("-o"),
                        output,
                        QStringLiteral("-f"),
                        QStringLiteral("av_mp4"),
                        QStringLiteral("-e"),
                        QStringLiteral("x264"),
                        QStringLiteral("--encoder-profile"),
                        optionValue(line, u"-profile:v"),
                        QStringLiteral("--encoder-level"),
                        optionValue(line, u"-level"),
                        QStringLiteral("-b"),
                        QString::number(leadingNumber(optionValue(line, u"-b"))),
                        QStringLiteral("-w"),
                        size[0],
                        QStringLiteral("-l"),
                        size[1],
                        QStringLiteral("-r"),
                        optionValue(line, u"-r"),
                        QStringLiteral("--cfr"),
                        QStringLiteral("-E"),
                        QStringLiteral("av_aac"),
                        QStringLiteral("-B"),
                        QString::number(leadingNumber(optionValue(line, u"-ab"))),
                        QStringLiteral("-R"),
                        number(optionValue(line, u"-ar").toDouble() / 1000, 1),
                        QStringLiteral("--mixdown"),
                        QStringLiteral("stereo"),
                        QStringLiteral("--crop"),
                        QStringLiteral("0:0:0:0")};
    if (!pads.isEmpty())
        command << QStringLiteral("--pad") << pads.join(u':');
    return command + source.handBrakeOptions;
}

struct Timings {
    std::vector<double> wall, cpu;
    int failed = 0;

    void add(const BenchTools::ProgramRun &run, const QString &output) {
        if (run.ok && QFileInfo(output).size() > 0) {
            wall.push_back(run.wallSeconds);
            cpu.push_back(run.cpuSeconds);
        } else {
            ++failed;
        }
        QFile::remove(output);
    }
    bool ok() const { return !wall.empty(); }
    QString median(const std::vector<double> &values) const {
        if (ok())
            return number(BenchTools::median(values), 2);
        return failed > 0 ? QStringLiteral("failed") : QStringLiteral("-");
    }
};

QString ratio(const Timings &a, const Timings &b, const std::vector<double> Timings::*values) {
    if (!a.ok() || !b.ok())
        return QStringLiteral("-");
    return number(BenchTools::median(a.*values) / BenchTools::median(b.*values), 2);
}

// What the converter said it adapted, from its standard error.
QString adaptations(const QString &errorFile) {
    QFile file(errorFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression said(QStringLiteral("^Adapted to the source: (.*)$"),
                                         QRegularExpression::MultilineOption);
    return said.match(QString::fromUtf8(file.readAll())).captured(1).trimmed();
}

} // namespace

QStringList RunSourcesBench() {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        return {QStringLiteral("skipped: ffmpeg not found")};
    if (!QFile::exists(QString::fromUtf8(MOBIVERT_CONVERTER_PATH)) ||
        !QFile::exists(QStringLiteral(MOBIVERT_CLI_BINARY)))
        return {QStringLiteral("skipped: the converter or mobivert-cli is not built")};
    const bool handBrake =
        !QStandardPaths::findExecutable(QStringLiteral("HandBrakeCLI")).isEmpty();
    bool numeric = false;
    const int chosen = qEnvironmentVariableIntValue("MOBIVERT_BENCH_CLIP_SECONDS", &numeric);
    const int seconds = numeric && chosen > 0 ? chosen : 10;
    const int runs = BenchTools::runCount(3);

    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    QDir().mkpath(folder.filePath(QStringLiteral("home")));
    QDir().mkpath(folder.filePath(QStringLiteral("mobivert")));
    const QString errorFile = folder.filePath(QStringLiteral("converter.log"));
    const QString handBrakeOutput = folder.filePath(QStringLiteral("handbrake.m4v"));

    QStringList lines{
        QStringLiteral("%1-second sources with sound to iPod profile 4 (H.264 Baseline 640x480, "
                       "1450 kbit/s, 25 fps); median of %2 runs each, taking turns; seconds; "
                       "ratio Mobivert / HandBrake; HandBrakeCLI %3. Load average before: %4.")
            .arg(seconds)
            .arg(runs)
            .arg(handBrake ? QStringLiteral("found") : QStringLiteral("not installed"),
                 BenchTools::loadAverage())};
    QList<QStringList> rows{{QStringLiteral("source"), QStringLiteral("Mobivert wall"),
                             QStringLiteral("HandBrake wall"), QStringLiteral("ratio"),
                             QStringLiteral("Mobivert CPU"), QStringLiteral("HandBrake CPU"),
                             QStringLiteral("ratio")}};
    QStringList notes;
    for (const Source &source : sources()) {
        if (!makeSource(source, folder.path(), seconds))
            return {
                QStringLiteral("skipped: ffmpeg could not make the %1 source").arg(source.name)};
        const QString path = folder.filePath(source.file);
        const QStringList line = batchLine(path, folder.path());
        if (line.isEmpty())
            return {QStringLiteral("failed: mobivert-cli gave no batch line for ") + path};
        const QStringList other =
            handBrake ? handBrakeLine(line, source, handBrakeOutput) : QStringList();
        Timings mobivert, handBrakeTimes;
        QString adapted;
        for (int i = 0; i < runs; ++i) {
            // Each goes first in every other run.
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn + i) % 2 == 0) {
                    mobivert.add(BenchTools::runQuietly(toStd(line), {}, errorFile.toStdString()),
                                 line.last());
                    adapted = adaptations(errorFile);
                } else if (!other.isEmpty()) {
                    handBrakeTimes.add(BenchTools::runQuietly(toStd(other)), handBrakeOutput);
                }
            }
        }
        QFile::remove(path);
        rows << QStringList{source.name,
                            mobivert.median(mobivert.wall),
                            handBrakeTimes.median(handBrakeTimes.wall),
                            ratio(mobivert, handBrakeTimes, &Timings::wall),
                            mobivert.median(mobivert.cpu),
                            handBrakeTimes.median(handBrakeTimes.cpu),
                            ratio(mobivert, handBrakeTimes, &Timings::cpu)};
        notes << QStringLiteral("%1: %2 (picture %3). HandBrake: %4.")
                     .arg(source.name,
                          adapted.isEmpty() ? QStringLiteral("nothing adapted")
                                            : QStringLiteral("Adapted to the source: ") + adapted,
                          optionValue(line, u"-s"),
                          source.handBrakeNote.isEmpty() ? QStringLiteral("as asked")
                                                         : source.handBrakeNote);
        if (mobivert.failed + handBrakeTimes.failed > 0)
            notes << QStringLiteral("  failed runs: Mobivert %1, HandBrake %2")
                         .arg(mobivert.failed)
                         .arg(handBrakeTimes.failed);
    }
    lines << BenchTools::table(rows) << notes
          << QStringLiteral("Load average after: %1.").arg(BenchTools::loadAverage());
    return lines;
}
