#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// A command line of the tests, written with blanks between its words, as the
// converter gets it; and arguments joined back for comparing.
inline std::vector<std::string> words(const QString &line) {
    std::vector<std::string> result;
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        result.push_back(part.toStdString());
    return result;
}

inline QString joined(const std::vector<std::string> &list) {
    QStringList parts;
    for (const std::string &item : list)
        parts << QString::fromStdString(item);
    return parts.join(QLatin1Char(' '));
}
