#pragma once

#include "controls/sortlistrow.h"

#include <QAbstractTableModel>

#include <vector>

// Interim model of the file list (the sortable list control proper replaces this file).
class SortListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void insertColumnAt(int index, const QString &title, Qt::Alignment alignment);
    void setRows(std::vector<SortListRow> rows);
    const SortListRow &row(int row) const { return rows_[size_t(row)]; }
    const std::vector<SortListRow> &rows() const { return rows_; }

private:
    std::vector<QString> titles_;
    std::vector<Qt::Alignment> alignments_;
    std::vector<SortListRow> rows_;
};
