#include "app/StartupSteps.h"

#include "app/StartupFiles.h"
#include "app/frmMain.h"
#include "core/platform/TerminationSignals.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// Runs a step once, when a window is on screen: placed by the window manager
// and exposed. A question asked before is centred on where the window was
// before the window manager placed it, hanging off its edge.
class WhenOnScreen final : public QObject {
public:
    WhenOnScreen(QWindow *window, std::function<void()> step)
        : QObject(window)
        , m_step(std::move(step)) {
        window->installEventFilter(this);
        // A window that is never exposed (started minimised) still gets it.
        QTimer::singleShot(3000, this, &WhenOnScreen::run);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
            QTimer::singleShot(0, this, &WhenOnScreen::run); // once the expose is handled
        return false;
    }

private:
    void run() {
        if (!m_step)
            return;
        const std::function<void()> step = std::exchange(m_step, nullptr);
        deleteLater();
        step();
    }

    std::function<void()> m_step;
};

} // namespace

void ShowMainWindowAtStart(frmMain &main, const QStringList &arguments) {
    main.show();
    // The questions and the files' progress belong over the window on screen.
    const auto steps = [&main, arguments] {
        main.OfferInterruptedBatch();
        AddStartupFiles(main, arguments);
    };
    QWindow *window = main.windowHandle();
    if (window && !window->isExposed())
        new WhenOnScreen(window, steps);
    else
        QTimer::singleShot(0, &main, steps);
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
