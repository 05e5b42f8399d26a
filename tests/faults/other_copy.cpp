// Another copy of Mobivert for the fault tests: a process of its own that
// opens the main window in the home it is given, lists the files named on
// its command line and converts them into the output folder named first.
// It prints "converting" once its batch runs and "finished" at the end,
// followed by the error log.
#include "app/OutputDirectoryPanel.h"
#include "convert/frmProcessing.h"
#include "platform/ApplicationFolder.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: other_copy <output folder> <file>...\n";
        return 2;
    }
    SetApplicationFolder(TestPaths::appDir());
    QTextStream out(stdout);
    FakePrompts prompts;
    auto window = OpenMainWindow();
    AddFilesThroughDialog(*window, prompts, arguments.mid(1));
    window->frmOutputDirectorySettings->txtOutputDirectory->setText(arguments[0]);
    bool told = false;
    const ConversionSeen run =
        ConvertThroughWindow(*window, prompts, [&](frmProcessing &conversion) {
            if (!told && conversion.processGroup() != 0) {
                out << "converting" << Qt::endl;
                told = true;
            }
            return false;
        });
    for (const QString &text : prompts.texts())
        out << "message: " << text << Qt::endl;
    out << (run.finished ? "finished" : "not finished") << Qt::endl << run.errorLog;
    out.flush();
    return run.finished && run.errorLog.isEmpty() ? 0 : 1;
}
