// mobivert-bench: Mobivert's benchmarks, one program that prints a table per
// section. "make bench" runs them all; name sections to run only those.
#include "bench/AddFilesBench.h"
#include "bench/BatchBench.h"
#include "bench/BenchSection.h"
#include "bench/BenchTools.h"
#include "bench/ConsoleBench.h"
#include "bench/ConverterBench.h"
#include "bench/CopyBench.h"
#include "bench/FrameBench.h"
#include "bench/LanesBench.h"
#include "bench/QualityBench.h"
#include "bench/SourcesBench.h"
#include "bench/StartupBench.h"
#include "bench/SubtitleMemoryBench.h"
#include "bench/TakenLanesBench.h"
#include "bench/TimeLeftBench.h"
#include "bench/WholeBatchBench.h"

#include <QApplication>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform notes on every window shown that it cannot pass
// size hints on; between the tables that is only noise.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (message.contains(u"does not support propagateSizeHints"))
        return;
    g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char **argv) {
    g_defaultHandler = qInstallMessageHandler(quietHandler);
    // Sections that need windows get them, but none is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const std::vector<BenchSection> sections = {
        {QStringLiteral("converter"), QStringLiteral("Converter overhead"), RunConverterBench},
        {QStringLiteral("addfiles"), QStringLiteral("Adding files to the list"),
         RunAddFilesBenchSection},
        {QStringLiteral("console"), QStringLiteral("Console output handling"), RunConsoleBench},
        {QStringLiteral("batch"), QStringLiteral("Building the batch"), RunBatchBench},
        {QStringLiteral("startup"), QStringLiteral("Start-up to ready"), RunStartupBench},
        {QStringLiteral("wholebatch"), QStringLiteral("A whole batch of ten clips"),
         RunWholeBatchBench},
        {QStringLiteral("quality"), QStringLiteral("Picture per megabyte, per encoder family"),
         RunQualityBench},
        {QStringLiteral("lanes"), QStringLiteral("Files at once: Automatic against one lane"),
         RunLanesBench},
        {QStringLiteral("frames"), QStringLiteral("A frame of a 1080p H.264 file"), RunFrameBench},
        {QStringLiteral("sources"), QStringLiteral("Sources of today against HandBrakeCLI"),
         RunSourcesBench},
        {QStringLiteral("copy"),
         QStringLiteral("A source that suits the device: copied or encoded"), RunCopyBench},
        {QStringLiteral("timeleft"), QStringLiteral("Time left of a batch in lanes"),
         RunTimeLeftBench},
        {QStringLiteral("takenlanes"),
         QStringLiteral("Lanes that take work as they free up, against dealt lanes"),
         RunTakenLanesBench},
        {QStringLiteral("subtitlememory"),
         QStringLiteral("Hostile subtitles burnt in: the converter's peak memory"),
         RunSubtitleMemoryBench},
        // Further sections follow here, each with its own name.
    };

    QTextStream out(stdout);
    const QStringList wanted = application.arguments().mid(1);
    for (const QString &name : wanted) {
        const bool known = std::any_of(sections.begin(), sections.end(),
                                       [&name](const BenchSection &s) { return s.name == name; });
        if (!known) {
            QTextStream(stderr) << "usage: mobivert-bench [section...]; sections:";
            for (const BenchSection &section : sections)
                QTextStream(stderr) << ' ' << section.name;
            QTextStream(stderr) << '\n';
            return 2;
        }
    }
    out << "Machine: " << BenchTools::machineDescription() << "\n\n";
    for (const BenchSection &section : sections) {
        if (!wanted.isEmpty() && !wanted.contains(section.name))
            continue;
        out << section.title << '\n' << QString(section.title.size(), QLatin1Char('=')) << '\n';
        out.flush();
        const QStringList lines = section.run();
        for (const QString &line : lines)
            out << line << '\n';
        out << '\n';
        out.flush();
    }
    return 0;
}
