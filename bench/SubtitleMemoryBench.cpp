#include "bench/SubtitleMemoryBench.h"

#include "bench/BenchTools.h"

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

constexpr qint64 kGoalKiB = 1536 * 1024;

QByteArray hostileSrt() {
    return "1\n00:00:00,000 --> 00:00:05,000\n<font size=\"99999\">Hello there</font>\n";
}

QByteArray hostileAss() {
    QByteArray script = "[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n"
                        "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, "
                        "SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, "
                        "StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
                        "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\nStyle: "
                        "Default,Arial,2000,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,"
                        "100,100,0,0,1,2,2,2,10,10,10,1\n\n[Events]\nFormat: Layer, Start, End, "
                        "Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
    for (int event = 0; event < 5000; ++event)
        script += "Dialogue: 0,0:00:00.00,0:00:05.00,Default,,0,0,0,,{\\fs3000\\blur20}Event " +
                  QByteArray::number(event) + " text\n";
    return script;
}

std::vector<std::string> line(const QString &input, bool hd, const QString &output) {
    std::vector<std::string> words{MOBIVERT_CONVERTER_PATH, "-i", input.toStdString(), "-burnsubs",
                                   "default"};
    const char *rest = hd ? "-vcodec h264 -s 1280x720 -b 2450kbps -r 30 -profile:v main -level "
                            "3.1 -pix_fmt yuv420p -maxrate 5000k -bufsize 5000k"
                          : "-vcodec mpeg4 -s 320x240 -b 718kbps -r 25";
    for (const QString &word : QString::fromLatin1(rest).split(u' '))
        words.push_back(word.toStdString());
    words.insert(words.end(), {"-acodec", "aac", "-ab", "128kbps", "-ar", "44100", "-ac", "2", "-y",
                               output.toStdString()});
    return words;
}

// The converter's last line: its summary, or the reason it failed.
QString lastLine(const QString &file) {
    QFile log(file);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = log.readAll().split('\n');
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const QByteArray text = it->trimmed();
        if (!text.isEmpty())
            return QString::fromUtf8(text.mid(text.lastIndexOf('\r') + 1));
    }
    return {};
}

} // namespace

QStringList RunSubtitleMemoryBench() {
    if (!QFile::exists(QStringLiteral(MOBIVERT_CONVERTER_PATH)))
        return {QStringLiteral("skipped: the converter is not built")};
    QTemporaryDir folder;
    QList<QStringList> rows{{QString(), QStringLiteral("output"), QStringLiteral("peak MiB"),
                             QStringLiteral("wall s"), QStringLiteral("outcome")}};
    qint64 worst = 0;
    const QList<std::pair<QString, QByteArray>> sources{
        {QStringLiteral("SRT font size 99999"), hostileSrt()},
        {QStringLiteral("ASS 5,000 events, \\fs3000\\blur20"), hostileAss()}};
    for (const auto &[name, text] : sources) {
        const QString side = folder.filePath(text.startsWith('[') ? QStringLiteral("s.ass")
                                                                  : QStringLiteral("s.srt"));
        const QString source = folder.filePath(QStringLiteral("hostile.mkv"));
        QFile sidecar(side);
        if (!sidecar.open(QIODevice::WriteOnly) || sidecar.write(text) != text.size())
            return {QStringLiteral("skipped: the subtitles could not be written")};
        sidecar.close();
        const QString made = BenchTools::makeLavfiClip(
            source, QStringLiteral("testsrc2=size=640x480:rate=25:duration=5"),
            QStringLiteral("sine=duration=5"),
            {QStringLiteral("-i"), side, QStringLiteral("-map"), QStringLiteral("0"),
             QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-map"),
             QStringLiteral("2"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
             QStringLiteral("-c:s"), QStringLiteral("ass")});
        if (!made.isEmpty())
            return {QStringLiteral("skipped: ") + made};
        for (const bool hd : {false, true}) {
            const QString log = folder.filePath(QStringLiteral("log.txt"));
            const BenchTools::ProgramRun run =
                BenchTools::runQuietly(line(source, hd, folder.filePath(QStringLiteral("out.mp4"))),
                                       {}, log.toStdString());
            worst = std::max(worst, run.peakKiB);
            rows << QStringList{
                name, hd ? QStringLiteral("1280x720 H.264") : QStringLiteral("320x240 MPEG-4"),
                BenchTools::mib(run.peakKiB), BenchTools::number(run.wallSeconds, 2),
                run.ok ? QStringLiteral("converted")
                       : lastLine(log).remove(source + QStringLiteral(": "))};
        }
    }
    QStringList lines = BenchTools::table(rows);
    lines << QStringLiteral("goal: the converter and ffmpeg never past 1.5 GB: %1 (worst %2 MiB)")
                 .arg(worst <= kGoalKiB ? QStringLiteral("met") : QStringLiteral("NOT met"),
                      BenchTools::mib(worst));
    return lines;
}
