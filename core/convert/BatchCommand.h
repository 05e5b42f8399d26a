#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One command of a batch: a program and its arguments, as the program gets
// them. Quoted for the shell only where the batch file is written or the
// batch is listed (line()).
struct BatchCommand {
    QString program;
    QStringList arguments;
    QList<qsizetype> fileArguments; // the positions of the arguments that name files

    BatchCommand &add(const QStringList &words);
    BatchCommand &addFile(const QString &path);

    // The command as one shell line: the program and each file between
    // single quotes, every other argument quoted only when the shell would
    // read it otherwise.
    QString line() const;
};

// Each command's line, in order.
QStringList BatchLines(const QList<BatchCommand> &commands);
