#pragma once

#include "core/filelist/FileListRow.h"

#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// Reading and writing file-list rows in the list view `lvwVideoFiles`.
// Positions are 1-based, as everywhere the list is addressed by position.

// Every row, in list order: what the conversion reads.
QList<FileListRow> ReadFileListRows(const QTreeWidget *list);

FileListRow ReadFileListRow(const QTreeWidgetItem *item);
// The Filename cell of a name: a line break shows as " / ", so the row
// stays one line.
QString FilenameCellText(const QString &name);
void WriteFileListRow(QTreeWidgetItem *item, const FileListRow &row);

// The row at a 1-based position, or nullptr when there is none.
QTreeWidgetItem *FileListItem(const QTreeWidget *list, int position);

// Appends an empty row (all seven fields empty) and returns it.
QTreeWidgetItem *AppendFileListRow(QTreeWidget *list);

// A row's outcome in the last batch ("Waiting", "Converting", "Converted",
// "Failed", "Cancelled"), with the tooltip that holds a failed row's error.
void SetFileListStatus(QTreeWidgetItem *item, const QString &status,
                       const QString &tooltip = QString());
inline const QString ConvertedStatus = QStringLiteral("Converted");

// The row the commands act on: the list's current item, provided it is
// selected; nullptr otherwise.
QTreeWidgetItem *CurrentFileListItem(const QTreeWidget *list);
