#include "tests/support/MainWindowFixture.h"

std::unique_ptr<frmMain> OpenMainWindow(const QString &argumentText) {
    auto window = std::make_unique<frmMain>();
    window->Form_Load(argumentText);
    return window;
}
