#include "app/convert/ConsoleLogView.h"

#include <QScrollBar>
#include <QTextBlock>

ConsoleLogView::ConsoleLogView(QWidget *parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMaximumBlockCount(MaximumLines);
}

void ConsoleLogView::writeSegment(QTextCursor &cursor, const QString &segment) {
    if (segment.isEmpty())
        return;
    if (m_lineReturned) {
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_lineReturned = false;
    }
    cursor.insertText(segment);
}

void ConsoleLogView::appendOutput(QByteArrayView chunk) {
    // The decoder keeps a character split between two chunks.
    const QString text = m_decoder.decode(chunk);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        writeSegment(cursor, text.mid(start, i - start));
        start = i + 1;
        if (c == u'\n') {
            cursor.insertBlock();
            m_lineReturned = false;
        } else {
            m_lineReturned = true;
        }
    }
    writeSegment(cursor, text.mid(start));
    cursor.endEditBlock();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
