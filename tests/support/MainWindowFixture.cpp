#include "tests/support/MainWindowFixture.h"

#include "app/StartupSteps.h"

#include <QCoreApplication>
#include <QTest>

std::unique_ptr<frmMain> OpenMainWindow(const QString &argumentText) {
    auto window = std::make_unique<frmMain>();
    window->Form_Load(argumentText);
    return window;
}

std::unique_ptr<frmMain> StartMainWindow(const QStringList &arguments) {
    auto window = OpenMainWindow(arguments.join(u' '));
    ShowMainWindowAtStart(*window, arguments);
    // The steps wait for the window to be on screen.
    if (QTest::qWaitForWindowExposed(window.get()))
        QCoreApplication::processEvents();
    return window;
}
