#include "app/StartupSteps.h"

#include "app/StartupFiles.h"
#include "app/frmMain.h"
#include "core/platform/TerminationSignals.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

void ShowMainWindowAtStart(frmMain &main, const QStringList &arguments) {
    main.show();
    // The questions and the files' progress belong over the shown window.
    QTimer::singleShot(0, &main, [&main, arguments] {
        main.OfferInterruptedBatch();
        AddStartupFiles(main, arguments);
    });
}

void EndOnTerminationSignals() {
    TerminationSignals::watch([](int) {
        QApplication::closeAllWindows();
        // A modal dialog runs a loop of its own, and the last window closed
        // under it does not end the program's loop: every loop is ended here,
        // and a dialog that would open on the way out returns at once.
        const QWidgetList windows = QApplication::topLevelWidgets();
        if (std::none_of(windows.begin(), windows.end(),
                         [](const QWidget *window) { return window->isVisible(); }))
            QCoreApplication::exit(0);
    });
}
