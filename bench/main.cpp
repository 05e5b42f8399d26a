// mobivert-bench: Mobivert's benchmarks, one program that prints a table per
// section. "make bench" runs them all; name sections to run only those.
#include "bench/BenchSection.h"
#include "bench/ConverterBench.h"

#include <QApplication>
#include <QTextStream>

#include <algorithm>
#include <vector>

int main(int argc, char **argv) {
    // Sections that need windows get them, but none is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const std::vector<BenchSection> sections = {
        {QStringLiteral("converter"), QStringLiteral("Converter overhead"), RunConverterBench},
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
