#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Quotes one argument for the POSIX shell that runs the batch file: the
// text goes between single quotes and each embedded quote is written as
// '\'', so no file name can end its argument early, whatever it holds
// ($, backquotes, quotes, ;, &, |, newlines, a leading dash).
QString ShellQuote(const QString &argument);

// A word for the shell: unchanged when it holds only characters that the
// shell passes through as they are (letters, digits and . _ - + : / = , %
// @), else quoted. Keeps ordinary option values readable in the batch.
QString ShellWord(const QString &text);

// Shell text split into words the way the batch writes them: single-quoted
// text, backslash escapes outside quotes, words between blanks.
struct ShellWordSplit {
    QStringList words;
    QList<bool> quoted;     // per word: some of it was quoted or escaped
    bool openQuote = false; // the text ends inside a quote
};
ShellWordSplit SplitShellWords(const QString &text);
