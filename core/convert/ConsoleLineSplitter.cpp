#include "core/convert/ConsoleLineSplitter.h"

#include "core/platform/PathBytes.h"

QList<QString> ConsoleLineSplitter::feed(QByteArrayView chunk) {
    QList<QString> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != '\r' && chunk[i] != '\n')
            continue;
        m_partial.append(chunk.sliced(start, i - start));
        if (!m_partial.isEmpty())
            lines.append(PathFromBytes(m_partial));
        m_partial.clear();
        start = i + 1;
    }
    m_partial.append(chunk.sliced(start));
    return lines;
}

QList<QString> ConsoleLineSplitter::finish() {
    QList<QString> lines;
    if (!m_partial.isEmpty())
        lines.append(PathFromBytes(m_partial));
    m_partial.clear();
    return lines;
}
