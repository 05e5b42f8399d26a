// Another copy of Mobivert for the fault tests: a process of its own that
// opens the main window in the home it is given, lists the files named on
// its command line and converts them into the output folder named first.
// Leading options: "--device NAME" picks the device, "--one-at-a-time" sets
// Files at once to 1, "--trim-last BEGIN END" trims the last file.
// It prints "converting" once its batch runs and "finished" at the end,
// followed by the error log.
#include "app/OutputDirectoryPanel.h"
#include "app/convert/frmProcessing.h"
#include "app/frmMain.h"
#include "core/filelist/FileListRow.h"
#include "core/platform/ApplicationFolder.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>
#include <QTreeWidget>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString device;
    bool oneAtATime = false;
    QStringList trimLast;
    while (!arguments.isEmpty() && arguments.first().startsWith(u"--")) {
        const QString option = arguments.takeFirst();
        if (option == u"--device" && !arguments.isEmpty())
            device = arguments.takeFirst();
        else if (option == u"--one-at-a-time")
            oneAtATime = true;
        else if (option == u"--trim-last" && arguments.size() >= 2)
            trimLast = {arguments.takeFirst(), arguments.takeFirst()};
    }
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: other_copy <output folder> <file>...\n";
        return 2;
    }
    SetApplicationFolder(TestPaths::appDir());
    QTextStream out(stdout);
    FakePrompts prompts;
    auto window = OpenMainWindow();
    if (!device.isEmpty())
        window->SwitchDevice(device);
    if (oneAtATime)
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")->SetFilesAtOnceChoice(1);
    AddFilesThroughDialog(*window, prompts, arguments.mid(1));
    if (!trimLast.isEmpty()) {
        QTreeWidgetItem *last =
            Child<QTreeWidget>(*window, "lvwVideoFiles")
                ->topLevelItem(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount() -
                               1);
        last->setText(ColumnBeginTime, trimLast[0]);
        last->setText(ColumnEndTime, trimLast[1]);
    }
    Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
        ->txtOutputDirectory->setText(arguments[0]);
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
