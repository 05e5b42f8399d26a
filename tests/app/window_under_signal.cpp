// The main window as the program runs it, for a termination signal to end:
// real dialogs, the program's own handling of the signals and its event
// loop. Lists the files named after the output folder and converts them.
// Prints "shown NAME" as each modal dialog opens and "ended" once the
// event loop has returned.
#include "app/OutputDirectoryPanel.h"
#include "app/StartupSteps.h"
#include "app/frmMain.h"
#include "core/platform/ApplicationFolder.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: window_under_signal <output folder> <file>...\n";
        return 2;
    }
    SetApplicationFolder(TestPaths::appDir());
    auto window = OpenMainWindow();
    {
        FakePrompts prompts; // answers the file dialog only
        AddFilesThroughDialog(*window, prompts, arguments.mid(1));
    }
    Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
        ->txtOutputDirectory->setText(arguments[0]);
    window->show();
    EndOnTerminationSignals();

    QTextStream out(stdout);
    QWidget *shown = nullptr;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != shown)
            out << "shown " << modal->objectName() << Qt::endl;
        shown = modal;
    });
    watch.start(20);
    QTimer::singleShot(0, [&window] { Child<QAction>(*window, "mnuFile_Convert")->trigger(); });
    const int status = QApplication::exec();
    out << "ended" << Qt::endl;
    return status;
}
