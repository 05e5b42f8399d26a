#pragma once

#include "core/convert/ConsoleLineSplitter.h"
#include "core/convert/ConsoleOutputParser.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One row of a running batch as the conversion window follows it.
struct BatchRow {
    QString inputPath;
    qint64 totalSeconds = 0; // the part to convert: the whole file, or the trimmed part
};

// What the conversion window shows, worked out from the console output
// alone: the current file, both progress bars, the caption, the status line
// and the collected errors. Fed with raw chunks in arrival order.
class ConversionProgress final {
public:
    ConversionProgress(const QString &converterPath, const QString &trackDropPath,
                       const QList<BatchRow> &rows);

    void feed(QByteArrayView chunk);
    // The batch has ended.
    void finish();

    int currentFile() const { return m_currentFile; }
    int rowCount() const { return int(m_rows.size()); }
    QString currentFileText() const; // "Processing File: 2 of 3..."
    QString caption() const { return m_caption; }
    QString status() const { return m_status; }
    int currentMaximum() const { return m_currentMaximum; }
    int currentValue() const { return m_currentValue; }
    int totalMaximum() const { return rowCount() + 1; }
    int totalValue() const { return m_totalValue; }
    bool finished() const { return m_finished; }
    // The error messages, in the order they were found.
    const QStringList &errors() const { return m_errors; }
    // The file (1-based) each of those messages was reported against.
    const QList<int> &errorFiles() const { return m_errorFiles; }
    // The files (1-based) whose video the converter copied, each with what
    // the converter noted about the copy (empty, or where a trim was cut).
    const QHash<int, QString> &copies() const { return m_copies; }
    // The same as the error log shows them: each "-" + message + CR LF.
    QString errorMessages() const;
    // The files (1-based) that the library hand-off said it added.
    const QList<int> &handedOff() const { return m_handedOff; }

    static inline const QString BaseCaption = QStringLiteral("Converting Video Files...");
    // value / maximum as a percentage rounded to two decimals, halves to
    // even, without trailing zeros: 25, 12.5, 33.33.
    static QString percentage(qint64 value, qint64 maximum);

private:
    void apply(const QList<ConsoleEvent> &events);

    QList<BatchRow> m_rows;
    ConsoleLineSplitter m_splitter;
    ConsoleOutputParser m_parser;

    int m_currentFile = 0;
    int m_currentMaximum = 100;
    int m_currentValue = 0;
    int m_totalValue = 0;
    bool m_finished = false;
    QString m_caption = BaseCaption;
    QString m_status = QStringLiteral("Initializing...");
    QStringList m_errors;
    QList<int> m_errorFiles;
    QHash<int, QString> m_copies;
    QList<int> m_handedOff;
};
