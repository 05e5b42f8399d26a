#include "core/convert/TerminalLines.h"

#include "core/platform/PathBytes.h"

#include <QString>

QStringList TerminalLines::feed(QByteArrayView chunk) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        const char c = chunk[i];
        if (c != '\r' && c != '\n')
            continue;
        m_line.append(chunk.sliced(start, i - start));
        start = i + 1;
        if (c == '\r') {
            if (!m_line.isEmpty())
                m_returned = m_line;
            m_line.clear();
            continue;
        }
        const QByteArray &line = m_line.isEmpty() ? m_returned : m_line;
        if (!line.isEmpty())
            lines.append(PathFromBytes(line));
        m_line.clear();
        m_returned.clear();
    }
    m_line.append(chunk.sliced(start));
    return lines;
}

QStringList TerminalLines::finish() {
    QStringList lines;
    const QByteArray &line = m_line.isEmpty() ? m_returned : m_line;
    if (!line.isEmpty())
        lines.append(PathFromBytes(line));
    m_line.clear();
    m_returned.clear();
    return lines;
}
