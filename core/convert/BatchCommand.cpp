#include "core/convert/BatchCommand.h"

#include "core/convert/ShellQuote.h"

BatchCommand &BatchCommand::add(const QStringList &words) {
    arguments += words;
    return *this;
}

BatchCommand &BatchCommand::addFile(const QString &path) {
    fileArguments.append(arguments.size());
    arguments.append(path);
    return *this;
}

QString BatchCommand::line() const {
    QString text = ShellQuote(program);
    for (qsizetype i = 0; i < arguments.size(); ++i)
        text +=
            u' ' + (fileArguments.contains(i) ? ShellQuote(arguments[i]) : ShellWord(arguments[i]));
    return text;
}

QStringList BatchLines(const QList<BatchCommand> &commands) {
    QStringList lines;
    for (const BatchCommand &command : commands)
        lines.append(command.line());
    return lines;
}
