#include "app/filelist/FileListItems.h"

#include <QTreeWidget>

#include <memory>

namespace {

// Where a row keeps its track choices: data of its first cell.
constexpr int AudioTrackRole = Qt::UserRole + 1;
constexpr int SubtitleTrackRole = Qt::UserRole + 2;
constexpr int MediaKindRole = Qt::UserRole + 3;
constexpr int MediaTitleRole = Qt::UserRole + 4;
constexpr int MediaShowRole = Qt::UserRole + 5;
constexpr int MediaSeasonRole = Qt::UserRole + 6; // invalid: not set
constexpr int MediaEpisodeRole = Qt::UserRole + 7;
// The row's name, where the cell may show more of it (NamesApart).
constexpr int FilenameRole = Qt::UserRole + 8;

QVariant numberData(const std::optional<int> &number) {
    return number ? QVariant(*number) : QVariant();
}

std::optional<int> numberOf(const QVariant &data) {
    return data.isValid() ? std::optional<int>(data.toInt()) : std::nullopt;
}

} // namespace

QList<FileListRow> ReadFileListRows(const QTreeWidget *list) {
    QList<FileListRow> rows;
    const int count = list->topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(ReadFileListRow(list->topLevelItem(i)));
    return rows;
}

FileListRow ReadFileListRow(const QTreeWidgetItem *item) {
    if (!item)
        return {};
    QStringList cells;
    for (int column = 0; column < FileListColumnCount; ++column)
        cells.append(item->text(column));
    FileListRow row = FileListRowFromCells(cells);
    if (const QVariant name = item->data(ColumnFilename, FilenameRole); name.isValid())
        row.Filename = name.toString();
    row.AudioTrack = item->data(ColumnFilename, AudioTrackRole).toString();
    row.SubtitleTrack = item->data(ColumnFilename, SubtitleTrackRole).toString();
    row.Media.kind = MediaKind(item->data(ColumnFilename, MediaKindRole).toInt());
    row.Media.title = item->data(ColumnFilename, MediaTitleRole).toString();
    row.Media.show = item->data(ColumnFilename, MediaShowRole).toString();
    row.Media.season = numberOf(item->data(ColumnFilename, MediaSeasonRole));
    row.Media.episode = numberOf(item->data(ColumnFilename, MediaEpisodeRole));
    return row;
}

QString FilenameCellText(const QString &name) {
    QString text = name;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "))
        .replace(u'\n', QStringLiteral(" / "))
        .replace(u'\r', QStringLiteral(" / "));
}

void SetFilenameCell(QTreeWidgetItem *item, const QString &name) {
    item->setData(ColumnFilename, FilenameRole, name);
    item->setText(ColumnFilename, FilenameCellText(name));
}

void ShowNamesApart(QTreeWidget *list) {
    const QStringList names = NamesApart(ReadFileListRows(list));
    for (int i = 0; i < names.size(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        const QString text = FilenameCellText(names[i]);
        if (item->text(ColumnFilename) != text)
            item->setText(ColumnFilename, text);
    }
}

void KeepNamesApart(QTreeWidget *list) {
    QAbstractItemModel *model = list->model();
    const auto showApart = [list, busy = std::make_shared<bool>(false)] {
        if (*busy)
            return;
        *busy = true;
        ShowNamesApart(list);
        *busy = false;
    };
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, list, showApart);
    // A row's name or path set, not its outcome or its trim.
    QObject::connect(model, &QAbstractItemModel::dataChanged, list,
                     [showApart](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                         const auto changed = [&](int column) {
                             return topLeft.column() <= column && column <= bottomRight.column();
                         };
                         if (changed(ColumnFilename) || changed(ColumnFilepath))
                             showApart();
                     });
}

void WriteFileListRow(QTreeWidgetItem *item, const FileListRow &row) {
    if (!item)
        return;
    const QStringList cells = FileListCells(row);
    for (int column = 0; column < FileListColumnCount; ++column) {
        if (column != ColumnFilename)
            item->setText(column, cells[column]);
    }
    SetFilenameCell(item, row.Filename);
    item->setData(ColumnFilename, AudioTrackRole, row.AudioTrack);
    item->setData(ColumnFilename, SubtitleTrackRole, row.SubtitleTrack);
    item->setData(ColumnFilename, MediaKindRole, int(row.Media.kind));
    item->setData(ColumnFilename, MediaTitleRole, row.Media.title);
    item->setData(ColumnFilename, MediaShowRole, row.Media.show);
    item->setData(ColumnFilename, MediaSeasonRole, numberData(row.Media.season));
    item->setData(ColumnFilename, MediaEpisodeRole, numberData(row.Media.episode));
}

QTreeWidgetItem *FileListItem(const QTreeWidget *list, int position) {
    if (position < 1 || position > list->topLevelItemCount())
        return nullptr;
    return list->topLevelItem(position - 1);
}

QTreeWidgetItem *AppendFileListRow(QTreeWidget *list) {
    auto *item = new QTreeWidgetItem(list);
    WriteFileListRow(item, FileListRow{});
    return item;
}

QTreeWidgetItem *CurrentFileListItem(const QTreeWidget *list) {
    QTreeWidgetItem *item = list->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void SetFileListStatus(QTreeWidgetItem *item, const QString &status, const QString &tooltip) {
    if (!item)
        return;
    item->setText(ColumnStatus, status);
    item->setToolTip(ColumnStatus, tooltip);
}
