#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// One section of mobivert-bench: measures something and returns its table,
// one line of text each, header first.
struct BenchSection {
    QString name;  // chosen on the command line: mobivert-bench converter
    QString title; // printed above the table
    std::function<QStringList()> run;
};
