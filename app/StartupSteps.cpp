#include "app/StartupSteps.h"

#include "app/StartupFiles.h"
#include "app/frmMain.h"

#include <QTimer>

void ShowMainWindowAtStart(frmMain &main, const QStringList &arguments) {
    main.show();
    // The questions and the files' progress belong over the shown window.
    QTimer::singleShot(0, &main, [&main, arguments] {
        main.OfferInterruptedBatch();
        AddStartupFiles(main, arguments);
    });
}
