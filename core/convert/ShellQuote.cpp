#include "core/convert/ShellQuote.h"

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

ShellWordSplit SplitShellWords(const QString &text) {
    ShellWordSplit split;
    QString current;
    bool quoted = false;
    bool inWord = false;
    bool inQuote = false;
    const auto endWord = [&] {
        if (inWord) {
            split.words.append(current);
            split.quoted.append(quoted);
        }
        current.clear();
        quoted = false;
        inWord = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuote) {
            if (c == u'\'')
                inQuote = false;
            else
                current += c;
            continue;
        }
        if (c == u'\'') {
            inQuote = true;
            inWord = true;
            quoted = true;
        } else if (c == u'\\' && i + 1 < text.size()) {
            current += text[++i];
            quoted = true;
            inWord = true;
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            endWord();
        } else {
            current += c;
            inWord = true;
        }
    }
    endWord();
    split.openQuote = inQuote;
    return split;
}
