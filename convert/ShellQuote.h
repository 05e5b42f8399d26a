#pragma once

#include <QString>

// Quotes one argument for the POSIX shell that runs the batch file: the
// text goes between single quotes and each embedded quote is written as
// '\'', so no file name can end its argument early, whatever it holds
// ($, backquotes, quotes, ;, &, |, newlines, a leading dash).
QString ShellQuote(const QString &argument);
