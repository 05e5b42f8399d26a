#pragma once

#include "app/WindowControls.h"
#include "app/frmMain.h"

#include <QTest>

#include <memory>

// A main window as start-up leaves it: constructed and loaded (in the
// caller's TestHome), not shown.
std::unique_ptr<frmMain> OpenMainWindow(const QString &argumentText = QString());

// A main window as the program starts it: loaded, shown, and its start-up
// steps over it run (an interrupted batch offered, `arguments` added).
std::unique_ptr<frmMain> StartMainWindow(const QStringList &arguments = {});
