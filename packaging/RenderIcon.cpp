// Renders Mobivert's SVG icon as PNG images of the sizes that icon themes
// look for, at build time: mobivert-render-icon ICON.svg OUTPUT-FOLDER SIZE...
// writes OUTPUT-FOLDER/<size>x<size>/apps/mobivert.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() < 4) {
        err << "usage: mobivert-render-icon ICON.svg OUTPUT-FOLDER SIZE...\n";
        return 2;
    }
    for (const QString &text : arguments.mid(3)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size <= 0) {
            err << "not a size: " << text << '\n';
            return 2;
        }
        QImageReader reader(arguments.at(1));
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(2)).arg(size);
        if (image.isNull() || !QDir().mkpath(folder) ||
            !image.save(folder + QStringLiteral("/mobivert.png"), "PNG")) {
            err << "cannot render " << arguments.at(1) << " at " << size << ": "
                << reader.errorString() << '\n';
            return 1;
        }
    }
    return 0;
}
