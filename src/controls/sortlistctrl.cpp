#include "controls/sortlistctrl.h"

#include <QHeaderView>

CSortListCtrl::CSortListCtrl(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformRowHeights(true);
    setColumnCount(0);
}

void CSortListCtrl::InsertSortColumn(int index, const QString &header, Qt::Alignment alignment, int width)
{
    if (columnCount() <= index)
        setColumnCount(index + 1);
    headerItem()->setText(index, header);
    headerItem()->setTextAlignment(index, alignment | Qt::AlignVCenter);
    setColumnWidth(index, width);
}

void CSortListCtrl::SelectItemByName(const QString &name)
{
    for (int row = 0; row < rowCount(); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        if (item->text(0).compare(name, Qt::CaseInsensitive) == 0) {
            clearSelection();
            item->setSelected(true);
            setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            scrollToItem(item);
            break;
        }
    }
    setFocus();
}

void CSortListCtrl::setRows(const QList<FileListRow> &rows)
{
    clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const FileListRow &row : rows) {
        auto *item = new QTreeWidgetItem(row.texts);
        item->setData(0, Qt::UserRole, row.name);
        item->setData(0, Qt::UserRole + 1, row.itemData);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    addTopLevelItems(items);
}

QByteArray CSortListCtrl::rowName(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toByteArray() : QByteArray();
}

QString CSortListCtrl::rowText(int row, int column) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

int CSortListCtrl::rowItemData(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole + 1).toInt() : 0;
}

QList<int> CSortListCtrl::selectedRowIndexes() const
{
    QList<int> rows;
    for (int row = 0; row < rowCount(); ++row)
        if (topLevelItem(row)->isSelected())
            rows.append(row);
    return rows;
}
