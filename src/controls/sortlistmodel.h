#pragma once

#include "controls/sortlistrow.h"
#include "controls/sortlistsorter.h"
#include "platform/rowsort.h"

#include <QAbstractTableModel>
#include <QVariant>

#include <optional>
#include <vector>

// The rows of a sortable file list.
class SortListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    ~SortListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // At most SortListRow::maxColumns columns.
    void insertColumnAt(int index, const QString &title, Qt::Alignment alignment);

    // Replaces every row in one reset.
    void setRows(FileRows rows);
    void clear();
    int appendRow(const SortListRow &row);
    void removeRowAt(int row);
    void setText(int row, int column, const QString &text);

    // Row `row` in display order, made anew: loops over many rows read what they need below.
    SortListRow row(int row) const { return rows_.at(order_[size_t(row)]); }
    QString text(int row, int column) const { return rows_.text(order_[size_t(row)], column); }
    QByteArray nameBytes(int row) const { return rows_.nameBytes(order_[size_t(row)]); }
    bool isFolder(int row) const { return rows_.isFolder(order_[size_t(row)]); }
    int rowItemData(int row) const { return rows_.itemData(order_[size_t(row)]); }
    int size() const { return int(rows_.size()); }
    // A copy of every row in display order.
    std::vector<SortListRow> rowsInDisplayOrder() const;
    // The rows as stored, and for each display row where it is stored.
    const FileRows &storedRows() const { return rows_; }
    const std::vector<quint32> &displayOrder() const { return order_; }

    // Folders above files in both directions; within each group the column's kind decides.
    // Rows that compare equal keep their order.
    void sortRows(int column, int kind, bool ascending);
    // The same order, for a list of backgroundSortRows() rows or more made on a thread of its
    // own: the list shows its old order until the new one is ready. A later request wins over one
    // still running; a change of the rows meanwhile sorts them again.
    void requestSort(int column, int kind, bool ascending);
    // A requested sort has not arrived yet.
    [[nodiscard]] bool sortPending() const { return sorter_.pending(); }
    [[nodiscard]] int backgroundSortRows() const { return backgroundSortRows_; }
    void setBackgroundSortRows(int rows) { backgroundSortRows_ = rows; }

signals:
    // A requested sort is shown.
    void sortFinished();
    // The rows are about to be written (also a sort writes the keys it reads): whoever reads
    // them on another thread stops now.
    void rowsAboutToChange();

private:
    struct Column {
        QString title;
        Qt::Alignment alignment;
        QVariant decoration;
    };
    void applyOrder(const std::vector<quint32> &order);
    // Before the rows change: the sort running on them stops. Returns what it sorted by.
    std::optional<RowOrder> stopSort();
    // After they changed: a sort that stopSort() stopped starts again on the new rows.
    void restartSort(const std::optional<RowOrder> &stopped);
    // For each stored row, where it is shown.
    std::vector<quint32> displayPositions() const;

    std::vector<Column> columns_;
    // Rows stay where they were put; sorting only rearranges order_, the storage index of each
    // display row, so that a sort of many rows moves no row.
    FileRows rows_;
    std::vector<quint32> order_;
    // A sort of 1,000,000 rows takes a third of a second; below this many the window waits.
    int backgroundSortRows_ = 50'000;
    // Reads rows_: declared after it, so that it ends first.
    SortListSorter sorter_;
};
