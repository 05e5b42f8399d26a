#include "bench/QualityBench.h"

#include "Components/BrannockVideoConverter/Translation.h"
#include "bench/BenchTools.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <string>
#include <vector>

using BenchTools::number;
using BenchTools::runQuietly;

namespace {

// An encoder family as a profile uses it: the converter's options between
// the input and the output, with %1 for the video bit rate in kbit/s.
struct Family {
    QString name;
    QString options;
    QString extension;
    int width = 0;
    int height = 0;
    int fps = 25;
    double kbps = 0;
    QString handBrakeEncoder; // empty: HandBrake has none for it
    QStringList handBrakeOptions;
};

QList<Family> families() {
    return {
        {QStringLiteral("MPEG-4 (iPod 5G, 640x480)"),
         QStringLiteral("-f mp4 -vcodec mpeg4 -s 640x480 -b %1kbps -r 25 -maxrate 2500k -bufsize "
                        "2500k"),
         QStringLiteral("mp4"),
         640,
         480,
         25,
         1450,
         QStringLiteral("mpeg4"),
         {}},
        {QStringLiteral("Xvid (PSP, 320x240)"),
         QStringLiteral("-f mp4 -vcodec libxvid -s 320x240 -b %1kbps -r 25 -maxrate 768k -bufsize "
                        "768k"),
         QStringLiteral("mp4"),
         320,
         240,
         25,
         718,
         {},
         {}},
        {QStringLiteral("H.263 (3GP phone, 352x288, 15 fps)"),
         QStringLiteral("-f 3gp -vcodec h263 -s 352x288 -b %1kbps -r 15 -maxrate 128k -bufsize "
                        "128k"),
         QStringLiteral("3gp"),
         352,
         288,
         15,
         78,
         {},
         {}},
        {QStringLiteral("H.264 Baseline (iPod classic, 640x480)"),
         QStringLiteral("-f mp4 -vcodec h264 -s 640x480 -b %1kbps -r 25 -profile:v baseline "
                        "-level 3.0 -pix_fmt yuv420p -maxrate 2500k -bufsize 2500k"),
         QStringLiteral("mp4"),
         640,
         480,
         25,
         1450,
         QStringLiteral("x264"),
         {QStringLiteral("--encoder-profile"), QStringLiteral("baseline"),
          QStringLiteral("--encoder-level"), QStringLiteral("3.0")}},
        {QStringLiteral("H.264 Main (PSP, 480x272)"),
         QStringLiteral("-f mp4 -vcodec h264 -s 480x272 -b %1kbps -r 25 -profile:v main -level "
                        "3.0 -pix_fmt yuv420p -maxrate 768k -bufsize 768k"),
         QStringLiteral("mp4"),
         480,
         272,
         25,
         718,
         {},
         {}},
        {QStringLiteral("WMV (Zune, 320x240)"),
         QStringLiteral("-f asf -vcodec wmv2 -s 320x240 -b %1kbps -r 25 -maxrate 1500k -bufsize "
                        "1500k"),
         QStringLiteral("wmv"),
         320,
         240,
         25,
         718,
         {},
         {}},
    };
}

struct Clip {
    QString kind;
    QString source; // the lavfi graph
};

QList<Clip> clips() {
    const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    QString text = QStringLiteral("color=c=0x101828:s=640x480:rate=25");
    if (QFileInfo::exists(font)) {
        text += QStringLiteral(",drawtext=fontfile=%1:textfile=%2:fontsize=26:fontcolor=white:"
                               "line_spacing=8:x=(w-tw)/2:y=h-t*60,drawtext=fontfile=%1:"
                               "text='%{pts\\:hms}':fontsize=18:fontcolor=yellow:x=10:y=10")
                    .arg(font, QStringLiteral("CREDITS"));
    }
    return {
        {QStringLiteral("motion"), QStringLiteral("mandelbrot=s=640x480:rate=25")},
        {QStringLiteral("grain"),
         QStringLiteral("testsrc2=s=640x480:rate=25,format=yuv420p,noise=alls=14:allf=t+u:"
                        "all_seed=7")},
        {QStringLiteral("animation"),
         QStringLiteral("life=s=160x120:mold=10:rate=25:ratio=0.1:seed=3:death_color=#C83232:"
                        "life_color=#00ff00,scale=640:480:flags=neighbor")},
        {QStringLiteral("text"), text},
    };
}

const char Credits[] = "Mobivert\nA test of small text\nScrolling credits roll upward\n"
                       "at an even pace over a dark ground\n\nDirector  A. N. Other\n"
                       "Camera  B. Someone\nSound  C. Person\nEditing  D. Cutter\n"
                       "Music  E. Composer\n\nThe quick brown fox jumps\n"
                       "over the lazy dog 0123456789\n";

std::vector<std::string> toStd(const QStringList &list) {
    std::vector<std::string> result;
    for (const QString &item : list)
        result.push_back(item.toStdString());
    return result;
}

struct Encoding {
    bool ok = false;
    double kbps = 0; // of the whole file
    double ssim = 0;
    double psnr = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
};

double fileKbps(const QString &path, double seconds) {
    return double(QFileInfo(path).size()) * 8 / seconds / 1000;
}

// SSIM and PSNR of an encoding against the source, scaled to its picture.
void score(Encoding &encoding, const QString &output, const QString &source, const Family &family) {
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-i"), output, QStringLiteral("-i"),
                  source, QStringLiteral("-lavfi"),
                  QStringLiteral("[1]fps=%1,scale=%2:%3,setsar=1[r];[0]setsar=1[d];[d]split[a][b];"
                                 "[r]split[c][e];[a][c]ssim;[b][e]psnr")
                      .arg(family.fps)
                      .arg(family.width)
                      .arg(family.height),
                  QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    ffmpeg.waitForFinished(-1);
    const QString log = QString::fromUtf8(ffmpeg.readAll());
    static const QRegularExpression ssim(QStringLiteral("SSIM .*All:([0-9.]+)"));
    static const QRegularExpression psnr(QStringLiteral("PSNR .*average:([0-9.]+|inf)"));
    encoding.ssim = ssim.match(log).captured(1).toDouble();
    encoding.psnr = psnr.match(log).captured(1).toDouble();
}

class FamilyRun {
public:
    FamilyRun(const Family &family, const QString &folder, double seconds)
        : m_family(family)
        , m_folder(folder)
        , m_seconds(seconds) {}

    // One pass, by ffmpeg directly with the arguments the converter
    // translates the line to: with its tuned settings, or without them as
    // before.
    Encoding onePass(const QString &source, bool tuned, double kbps) {
        const QString output = outputPath(tuned ? u"tuned" : u"today");
        const std::vector<std::string> line =
            toStd(QStringList{QStringLiteral("-i"), source} +
                  m_family.options.arg(number(kbps, 0)).split(u' ') +
                  QStringList{QStringLiteral("-an"), QStringLiteral("-y"), output});
        converter::Plan plan = std::get<converter::Plan>(converter::translate(line));
        if (!tuned) {
            const auto first = plan.outputOptions.begin() + long(plan.tunedAt);
            plan.outputOptions.erase(first, first + long(plan.tunedCount));
        }
        std::vector<std::string> run{"ffmpeg", "-nostdin", "-hide_banner"};
        const std::vector<std::string> arguments =
            converter::ffmpegArguments(plan, "file:" + output.toStdString());
        run.insert(run.end(), arguments.begin(), arguments.end());
        return finish(runQuietly(run), output, source);
    }

    // Both passes, through the converter.
    Encoding twoPasses(const QString &source) {
        const QString output = outputPath(u"twopass");
        QStringList line{QString::fromUtf8(MOBIVERT_CONVERTER_PATH), QStringLiteral("-i"), source};
        line << m_family.options.arg(number(m_family.kbps, 0)).split(u' ')
             << QStringLiteral("-twopass") << QStringLiteral("-an") << QStringLiteral("-y")
             << output;
        return finish(runQuietly(toStd(line)), output, source);
    }

    Encoding handBrake(const QString &source, double kbps) {
        const QString output = outputPath(u"handbrake");
        QStringList line{QStringLiteral("HandBrakeCLI"),
                         QStringLiteral("-i"),
                         source,
                         QStringLiteral("-o"),
                         output,
                         QStringLiteral("-f"),
                         QStringLiteral("av_mp4"),
                         QStringLiteral("-e"),
                         m_family.handBrakeEncoder,
                         QStringLiteral("-b"),
                         number(kbps, 0),
                         QStringLiteral("-2"),
                         QStringLiteral("-w"),
                         QString::number(m_family.width),
                         QStringLiteral("-l"),
                         QString::number(m_family.height),
                         QStringLiteral("-r"),
                         QString::number(m_family.fps),
                         QStringLiteral("--cfr"),
                         QStringLiteral("--crop"),
                         QStringLiteral("0:0:0:0"),
                         QStringLiteral("-a"),
                         QStringLiteral("none")};
        line << m_family.handBrakeOptions;
        return finish(runQuietly(toStd(line)), output, source);
    }

    // A run more than 2% off `size` (kbit/s of the whole file) again at a
    // corrected rate, so that all are scored at one size.
    template<typename Run>
    Encoding atSize(double size, double kbps, const Run &run) {
        Encoding encoding = run(kbps);
        if (encoding.ok && encoding.kbps > 0 && std::abs(encoding.kbps / size - 1) > 0.02)
            encoding = run(kbps * size / encoding.kbps);
        return encoding;
    }

private:
    QString outputPath(QStringView variant) const {
        return m_folder + u'/' + variant + u'.' + m_family.extension;
    }

    Encoding finish(const BenchTools::ProgramRun &run, const QString &output,
                    const QString &source) {
        Encoding encoding;
        encoding.ok = run.ok && QFileInfo::exists(output);
        encoding.cpuSeconds = run.cpuSeconds;
        encoding.wallSeconds = run.wallSeconds;
        if (!encoding.ok)
            return encoding;
        encoding.kbps = fileKbps(output, m_seconds);
        score(encoding, output, source, m_family);
        QFile::remove(output);
        return encoding;
    }

    const Family &m_family;
    QString m_folder;
    double m_seconds;
};

struct Totals {
    double kbps = 0, ssim = 0, psnr = 0, cpu = 0, wall = 0;
    int count = 0;

    double mean(double Totals::*figure) const { return this->*figure / std::max(1, count); }

    // A failed run counts in no total: its row says "failed".
    void add(const Encoding &e) {
        if (!e.ok)
            return;
        kbps += e.kbps;
        ssim += e.ssim;
        psnr += e.psnr;
        cpu += e.cpuSeconds;
        wall += e.wallSeconds;
        ++count;
    }
};

QStringList row(const QString &clip, const QString &variant, const Encoding &e) {
    if (!e.ok)
        return {clip, variant, QStringLiteral("failed")};
    return {clip,
            variant,
            number(e.kbps, 1),
            number(e.ssim, 4),
            number(e.psnr, 2),
            number(e.cpuSeconds, 2),
            number(e.wallSeconds, 2)};
}

QStringList totalRow(const QString &variant, const Totals &t) {
    const double n = std::max(1, t.count);
    return {QStringLiteral("all (mean; time: sum)"),
            variant,
            number(t.kbps / n, 1),
            number(t.ssim / n, 4),
            number(t.psnr / n, 2),
            number(t.cpu, 2),
            number(t.wall, 2)};
}

} // namespace

QStringList RunQualityBench() {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        return {QStringLiteral("skipped: ffmpeg not found")};
    if (!QFile::exists(QString::fromUtf8(MOBIVERT_CONVERTER_PATH)))
        return {QStringLiteral("skipped: the converter is not built")};
    const bool handBrake =
        !QStandardPaths::findExecutable(QStringLiteral("HandBrakeCLI")).isEmpty();
    bool numeric = false;
    const double chosen = qEnvironmentVariableIntValue("MOBIVERT_BENCH_CLIP_SECONDS", &numeric);
    const double seconds = numeric && chosen > 0 ? chosen : 10;

    QTemporaryDir folder;
    QFile credits(folder.filePath(QStringLiteral("credits.txt")));
    if (!credits.open(QIODevice::WriteOnly) || credits.write(Credits) < 0)
        return {QStringLiteral("skipped: no room for the clips")};
    credits.close();

    // The sources: nearly lossless, so that only the encoder under test loses detail.
    QStringList sources;
    for (const Clip &clip : clips()) {
        const QString path = folder.filePath(clip.kind + QStringLiteral(".mkv"));
        const QString graph =
            QString(clip.source).replace(QStringLiteral("CREDITS"), credits.fileName());
        if (!BenchTools::makeLavfiClip(
                 path, graph, {},
                 QStringLiteral("-t %1 -c:v libx264 -preset veryfast -qp 0 -pix_fmt yuv420p")
                     .arg(number(seconds, 0))
                     .split(u' '))
                 .isEmpty())
            return {QStringLiteral("skipped: the %1 clip could not be made").arg(clip.kind)};
        sources << path;
    }

    QStringList lines;
    lines << QStringLiteral("Four %1-second 640x480 25 fps clips (motion: mandelbrot; grain: "
                            "testsrc2 with noise; animation: life; text: scrolling credits), video "
                            "only. kbit/s of the whole file; time in seconds; HandBrakeCLI %2.")
                 .arg(number(seconds, 0),
                      handBrake ? QStringLiteral("found") : QStringLiteral("not installed"));
    for (const Family &family : families()) {
        FamilyRun run(family, folder.path(), seconds);
        const bool withHandBrake = handBrake && !family.handBrakeEncoder.isEmpty();
        QList<QStringList> rows{{QStringLiteral("clip"), QStringLiteral("variant"),
                                 QStringLiteral("kbit/s"), QStringLiteral("SSIM"),
                                 QStringLiteral("PSNR"), QStringLiteral("CPU"),
                                 QStringLiteral("wall")}};
        Totals today, tuned, twoPass, other;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            const QString kind = clips()[i].kind;
            const Encoding passes = run.twoPasses(sources[i]);
            const double size = passes.ok ? passes.kbps : family.kbps;
            const Encoding before = run.atSize(size, family.kbps, [&](double kbps) {
                return run.onePass(sources[i], false, kbps);
            });
            const Encoding after = run.atSize(size, family.kbps, [&](double kbps) {
                return run.onePass(sources[i], true, kbps);
            });
            rows << row(kind, QStringLiteral("one pass, before"), before)
                 << row(kind, QStringLiteral("one pass, tuned"), after)
                 << row(kind, QStringLiteral("two passes"), passes);
            today.add(before);
            tuned.add(after);
            twoPass.add(passes);
            if (withHandBrake) {
                const Encoding hb = run.atSize(size, family.kbps, [&](double kbps) {
                    return run.handBrake(sources[i], kbps);
                });
                rows << row(kind, QStringLiteral("HandBrake -2"), hb);
                other.add(hb);
            }
        }
        rows << totalRow(QStringLiteral("one pass, before"), today)
             << totalRow(QStringLiteral("one pass, tuned"), tuned)
             << totalRow(QStringLiteral("two passes"), twoPass);
        if (withHandBrake)
            rows << totalRow(QStringLiteral("HandBrake -2"), other);

        lines << QString() << family.name + QStringLiteral(", %1 kbit/s").arg(family.kbps);
        lines << BenchTools::table(rows);
        const double cpuRatio = tuned.cpu / std::max(today.cpu, 1e-9);
        lines << QStringLiteral("one pass tuned / before: CPU %1 (goal at most 1.25: %2), "
                                "SSIM %3, PSNR %4 dB")
                     .arg(number(cpuRatio, 2),
                          cpuRatio <= 1.25 ? QStringLiteral("met") : QStringLiteral("NOT met"),
                          QString::asprintf("%+.4f",
                                            tuned.mean(&Totals::ssim) - today.mean(&Totals::ssim)),
                          QString::asprintf("%+.2f",
                                            tuned.mean(&Totals::psnr) - today.mean(&Totals::psnr)));
        if (withHandBrake) {
            // SSIM is compared as the table shows it, to four decimals.
            const double ssimGap =
                std::round((twoPass.mean(&Totals::ssim) - other.mean(&Totals::ssim)) * 1e4) / 1e4;
            const double sizeRatio =
                twoPass.mean(&Totals::kbps) / std::max(other.mean(&Totals::kbps), 1e-9);
            const double timeRatio = twoPass.cpu / std::max(other.cpu, 1e-9);
            const bool met = ssimGap >= 0 && std::abs(sizeRatio - 1) <= 0.03 && timeRatio <= 1.15;
            lines << QStringLiteral("two passes against HandBrake: SSIM %1, size %2, CPU %3, wall "
                                    "%4 (goal: SSIM at least HandBrake's, size within 3%, time "
                                    "at most 1.15: %5)")
                         .arg(QString::asprintf("%+.4f", ssimGap), number(sizeRatio, 3),
                              number(timeRatio, 2),
                              number(twoPass.wall / std::max(other.wall, 1e-9), 2),
                              met ? QStringLiteral("met") : QStringLiteral("NOT met"));
        }
    }
    return lines;
}
