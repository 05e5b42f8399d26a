#pragma once

#include "app/frmMain.h"

#include <QTest>

#include <memory>

// A main window as start-up leaves it: constructed and loaded (in the
// caller's TestHome), not shown.
std::unique_ptr<frmMain> OpenMainWindow(const QString &argumentText = QString());

// A named child widget, action or menu; the test fails at once when the
// name is unknown, instead of crashing on a null pointer later.
template<typename T>
T *Child(const QObject *root, const QString &name) {
    T *child = root->findChild<T *>(name);
    if (!child)
        qFatal("no child named %s", qPrintable(name));
    return child;
}

// A main window as the program starts it: loaded, shown, and its start-up
// steps over it run (an interrupted batch offered, `arguments` added).
std::unique_ptr<frmMain> StartMainWindow(const QStringList &arguments = {});
