#include "convert/ShellQuote.h"

QString ShellQuote(const QString &argument) {
    QString quoted = argument;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString ShellWord(const QString &text) {
    if (text.isEmpty())
        return ShellQuote(text);
    for (const QChar c : text) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || QStringView(u"._-+:/=,%@").contains(c);
        if (!plain)
            return ShellQuote(text);
    }
    return text;
}
