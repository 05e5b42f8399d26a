#pragma once

#include <QAnyStringView>
#include <QObject>
#include <QString>

// A window's control, action or menu found by its object name (each is
// named after the member that holds it), for the programs that drive a
// window from outside: tests, benchmarks, screenshots. An unknown name
// stops the program at once, naming it, instead of a crash on a null
// pointer later.
template<typename T>
T *Child(const QObject *root, QAnyStringView name) {
    T *child = root->findChild<T *>(name.toString());
    if (!child)
        qFatal("no child named %s", qPrintable(name.toString()));
    return child;
}

template<typename T>
T *Child(const QObject &root, QAnyStringView name) {
    return Child<T>(&root, name);
}
