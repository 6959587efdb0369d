#pragma once

#include "controls/sortlistrow.h"
#include "platform/rowsort.h"

#include <QAbstractTableModel>
#include <QVariant>

#include <vector>

// The rows of a sortable file list.
class SortListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

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

private:
    struct Column {
        QString title;
        Qt::Alignment alignment;
        QVariant decoration;
    };
    void applyOrder(const std::vector<quint32> &order);
    // For each stored row, where it is shown.
    std::vector<quint32> displayPositions() const;

    std::vector<Column> columns_;
    // Rows stay where they were put; sorting only rearranges order_, the storage index of each
    // display row, so that a sort of many rows moves no row.
    FileRows rows_;
    std::vector<quint32> order_;
};
