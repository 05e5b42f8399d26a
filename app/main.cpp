// Start-up: registers what the platform needs, creates the main window,
// runs its load steps and shows it.
#include "app/StartupSteps.h"
#include "app/frmMain.h"
#include "app/widgets/GUIFunctions.h"
#include "core/platform/PathBytes.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace {

// Nothing is registered on this platform; the call exists so that start-up
// reads the same everywhere.
bool InitializeCommonControls() {
    return true;
}

void UseVerdana() {
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QApplication::setFont(VerdanaFont());
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/mobivert.svg")));
    // The desktop file's id, so that the desktop matches the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(MOBIVERT_APP_ID));
    InitializeCommonControls();
    UseVerdana();

    // The file names as the system gave them: a name that is no UTF-8 keeps
    // its bytes.
    const QStringList arguments = PathArguments(argc, argv);
    frmMain window;
    window.Form_Load(arguments.join(u' '));
    // An interrupted batch is offered and files named on the command line
    // ("Open With") are added once the window is on screen: the question
    // shows over it and the files' progress in its status bar.
    ShowMainWindowAtStart(window, arguments);

    EndOnTerminationSignals();
    return QApplication::exec();
}
