#include "bench/WholeBatchBench.h"

#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "app/FileListController.h"
#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/WindowControls.h"
#include "app/convert/frmError.h"
#include "app/convert/frmProcessing.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/frmMain.h"
#include "bench/BenchTools.h"
#include "core/convert/ConvertFiles.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace {

constexpr int ClipCount = 10;
constexpr double ClipSeconds = 10;

// Plays the user: runs the conversion window to the end of its batch and
// closes it; notes the error log. Answers No and shows nothing else.
class BatchPrompts final : public BenchTools::SilentPrompts {
public:
    void message(QWidget *, Icon, const QString &text, const QString &) override {
        messages << text;
    }
    int exec(QDialog *dialog) override {
        if (auto *errors = qobject_cast<frmError *>(dialog)) {
            errorLog = errors->txtErrors->toPlainText();
            return QDialog::Accepted;
        }
        auto *conversion = qobject_cast<frmProcessing *>(dialog);
        if (!conversion)
            return QDialog::Rejected;
        // An event loop of its own, as a modal window has: it sleeps until
        // the launcher has output to deliver.
        conversion->show();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (conversion->isFinished())
                loop.quit();
        });
        poll.start(20);
        loop.exec();
        conversion->close();
        return conversion->result();
    }

    QStringList messages;
    QString errorLog;
};

struct Run {
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0; // of this process and every process it waited for
};

// The ten conversions by ffmpeg directly, one after the other.
Run runDirectly(const std::vector<std::vector<std::string>> &commands) {
    Run run;
    const double cpuBefore = BenchTools::childrenCpuSeconds() + BenchTools::processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    for (const std::vector<std::string> &command : commands) {
        if (!BenchTools::runQuietly(command).ok)
            return run;
    }
    run.wallSeconds = double(timer.nsecsElapsed()) / 1e9;
    run.cpuSeconds = BenchTools::childrenCpuSeconds() + BenchTools::processCpuSeconds() - cpuBefore;
    run.ok = true;
    return run;
}

// The batch through the main window, from Convert until the conversion
// window has closed and cleaned up.
Run runThroughMobivert(frmMain &window, BatchPrompts &prompts, const QString &outputFolder) {
    Run run;
    QDir(outputFolder).removeRecursively();
    const double cpuBefore = BenchTools::childrenCpuSeconds() + BenchTools::processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    Child<QAction>(window, "mnuFile_Convert")->trigger();
    run.wallSeconds = double(timer.nsecsElapsed()) / 1e9;
    run.cpuSeconds = BenchTools::childrenCpuSeconds() + BenchTools::processCpuSeconds() - cpuBefore;
    run.ok = prompts.messages.isEmpty() && prompts.errorLog.isEmpty() &&
             QDir(outputFolder).entryList(QDir::Files).size() == ClipCount;
    return run;
}

} // namespace

QStringList RunWholeBatchBench() {
    const std::optional<std::string> ffmpeg = converter::findFfmpeg();
    if (!ffmpeg)
        return {QStringLiteral("skipped: ffmpeg not found")};
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const QString home = folder.path() + u"/home";
    QDir().mkpath(home);
    QStringList clips;
    for (int i = 1; i <= ClipCount; ++i) {
        clips << folder.path() + QStringLiteral("/clip %1.avi").arg(i, 2, 10, QLatin1Char('0'));
        const QString error =
            BenchTools::makeClip(clips.last(), QStringLiteral("640x480"), ClipSeconds);
        if (!error.isEmpty())
            return {QStringLiteral("skipped: ") + error};
    }

    // A main window of its own: its own home, the build's profiles and
    // components; the iPod's default profile.
    const BenchTools::HomeForBench ownHome(home);
    QStringList lines;
    {
        BatchPrompts prompts;
        frmMain window;
        window.Form_Load(QString());
        window.fileList().adder().AddDroppedFiles(clips);
        const QString mobivertOut = folder.path() + u"/through Mobivert";
        Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(mobivertOut);

        // The same lines, each run by ffmpeg directly.
        const QString directOut = folder.path() + u"/directly";
        QDir().mkpath(directOut);
        BatchOptions options;
        options.dataFolder = window.ApplicationSettingsPath;
        options.outputFolder = directOut;
        const ConversionSettings settings = window.profileControls().CurrentSettings();
        const BatchPlan plan =
            BuildBatch(settings, ReadBatchCodecData(settings),
                       ReadFileListRows(Child<QTreeWidget>(window, "lvwVideoFiles")), options,
                       [](const QString &) { return false; });
        std::vector<std::vector<std::string>> commands;
        for (const BatchCommand &line : plan.commands) {
            std::vector<std::string> words;
            for (const QString &argument : line.arguments)
                words.push_back(argument.toStdString());
            const converter::Translation translation = converter::translate(words);
            const auto *translated = std::get_if<converter::Plan>(&translation);
            if (!translated)
                return {QStringLiteral("failed: a batch line does not translate: ") + line.line()};
            std::vector<std::string> command{*ffmpeg, "-nostdin", "-hide_banner"};
            for (const std::string &argument :
                 converter::ffmpegArguments(*translated, "file:" + translated->output))
                command.push_back(argument);
            commands.push_back(command);
        }

        const int runs = BenchTools::runCount(3);
        std::vector<double> mobivertWall, mobivertCpu, directWall, directCpu;
        for (int i = 0; i < runs; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                const bool mobivertTurn = (turn == 0) == (i % 2 == 0);
                if (mobivertTurn) {
                    const Run run = runThroughMobivert(window, prompts, mobivertOut);
                    if (!run.ok)
                        return {QStringLiteral("failed: the batch through Mobivert: ") +
                                prompts.messages.join(u' ') + prompts.errorLog};
                    mobivertWall.push_back(run.wallSeconds);
                    mobivertCpu.push_back(run.cpuSeconds);
                } else {
                    for (const QString &file : QDir(directOut).entryList(QDir::Files))
                        QFile::remove(directOut + u'/' + file);
                    const Run run = runDirectly(commands);
                    if (!run.ok)
                        return {QStringLiteral("failed: ffmpeg run directly")};
                    directWall.push_back(run.wallSeconds);
                    directCpu.push_back(run.cpuSeconds);
                }
            }
        }

        QList<QStringList> rows{{QString(), QStringLiteral("wall best s"),
                                 QStringLiteral("wall median s"), QStringLiteral("CPU best s"),
                                 QStringLiteral("CPU median s")}};
        const auto row = [&](const QString &name, const std::vector<double> &wall,
                             const std::vector<double> &cpu) {
            rows.append({name, BenchTools::number(BenchTools::best(wall), 2),
                         BenchTools::number(BenchTools::median(wall), 2),
                         BenchTools::number(BenchTools::best(cpu), 2),
                         BenchTools::number(BenchTools::median(cpu), 2)});
        };
        row(QStringLiteral("ffmpeg directly, one clip after the other"), directWall, directCpu);
        row(QStringLiteral("Mobivert: Convert to the window closed"), mobivertWall, mobivertCpu);
        rows.append(
            {QStringLiteral("ratio"),
             BenchTools::number(BenchTools::best(mobivertWall) / BenchTools::best(directWall), 3),
             BenchTools::number(BenchTools::median(mobivertWall) / BenchTools::median(directWall),
                                3),
             BenchTools::number(BenchTools::best(mobivertCpu) / BenchTools::best(directCpu), 3),
             BenchTools::number(BenchTools::median(mobivertCpu) / BenchTools::median(directCpu),
                                3)});
        lines << QStringLiteral("%1 clips of %2 s, 640x480 MPEG-4, converted with the iPod's "
                                "default profile (%3 %4 %5), %6 runs each")
                     .arg(ClipCount)
                     .arg(ClipSeconds)
                     .arg(settings.videoCodec, VideoSizeText(settings.videoSize),
                          KbpsText(settings.videoBitrate))
                     .arg(runs);
        lines << BenchTools::table(rows);
    }
    return lines;
}
