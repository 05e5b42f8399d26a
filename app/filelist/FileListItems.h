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
// Sets a row's name: the cell shows it (FilenameCellText), the row keeps it.
void SetFilenameCell(QTreeWidgetItem *item, const QString &name);
// Shows every row by its name, with its extension where another row of the
// same name is a file of another extension (NamesApart); the rows keep
// their names.
void ShowNamesApart(QTreeWidget *list);
// Keeps the names apart from now on, whenever rows are added, filled or
// removed.
void KeepNamesApart(QTreeWidget *list);
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
