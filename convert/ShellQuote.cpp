#include "convert/ShellQuote.h"

QString ShellQuote(const QString &argument) {
    QString quoted = argument;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}
